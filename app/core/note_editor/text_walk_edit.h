// The text walks applied to a rich-edit control: its text is read in the
// control's own character positions, whatever a paragraph end counts there.
#pragma once
#include <windows.h>

#include <string>

#include "text_walk.h"

// The whole text as the control counts positions. Returns its length, or -1.
int ReadEditText(HWND edit, std::string *out);

// Applies the plan's edits in order (undoable) and sets the selection it asks for.
void ApplyEditPlan(HWND edit, const EditPlan &plan);

// The one find-and-replace dialog shared by all notes.
#pragma once
#include <windows.h>

// The open dialog, or null; the message loop gives it its keyboard messages first.
extern HWND FindReplaceDialog;

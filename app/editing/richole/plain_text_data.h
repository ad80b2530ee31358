// A clipboard and drag data object that carries a note's characters alone,
// for a selection the rich-edit control cannot write out whole.
#pragma once
#include <windows.h>
#include <ole2.h>
#include <richedit.h>

// Whether the control writes the selection out whole as RTF (the control's
// own copy is then right as it is).
bool SelectionStreamsWhole(HWND edit);

// A data object holding the characters of range as CF_UNICODETEXT and
// CF_TEXT, with CR LF line ends. 0, or -1 (object left null) without memory
// or text.
int MakePlainTextDataObject(HWND edit, const CHARRANGE &range, IDataObject **object);

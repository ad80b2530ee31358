// The rich-edit stream callbacks: to a file for the export, and to and from
// memory blocks for the notes files.
#pragma once
#include <windows.h>
#include <richedit.h>

#include <cstdio>

struct MemoryReader {
    const char *block;
    DWORD size;
    DWORD position;
};

struct MemoryWriter {
    char *block; // grown by the callback; the caller frees it
    DWORD capacity;
    DWORD used;
};

// The message a save sends a note edit control to have its text appended to
// the MemoryWriter in lParam; a control with the note editor's subclass
// answers 1 (done) or -1 (failed), a control without it 0.
UINT TakeNoteTextMessage(void);

DWORD CALLBACK StreamOutToFile(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG *written);
DWORD CALLBACK StreamInFromMemory(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG *read);
DWORD CALLBACK StreamOutToMemory(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG *written);

// Streams size bytes into a rich-edit control with EM_STREAMIN in the given
// format (SF_RTF, SF_TEXT, with SFF_SELECTION or not), unchecked: for what the
// program itself wrote, and for the checked entries below. Returns 0, or -1
// when there is no control or the control reported an error.
int StreamInFromBlock(HWND edit, const char *bytes, size_t size, UINT format);

// Streams text into a rich-edit control as RTF, but only text that passes
// CheckRichText: the control's own reader is not safe on every shape. Returns
// 0, or -1 when the text was refused or the control reported an error; the
// control is left as it was on a refusal.
int StreamRichTextIn(HWND edit, const char *text, size_t bytes);

// Puts text into a rich-edit control as plain characters, in place of the
// whole content or of the selection. WM_SETTEXT and EM_REPLACESEL are not
// that: they read text that starts with "{\rtf" as RTF.
void StreamPlainTextIn(HWND edit, const char *text, size_t bytes, BOOL selectionOnly = FALSE);

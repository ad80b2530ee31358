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
// answers with a NoteTextTaken, a control without it 0.
UINT TakeNoteTextMessage(void);

enum NoteTextTaken {
    NOTE_TEXT_FAILED = -1,
    NOTE_TEXT_NOT_ANSWERED = 0,
    NOTE_TEXT_CURRENT = 1,   // the content as it stands
    // The content could not be written whole: what was appended instead.
    NOTE_TEXT_LAST_GOOD = 2, // the text the note loaded with or was last taken whole with
    NOTE_TEXT_PLAIN = 3,     // its plain characters, without formatting or pictures
};

enum StreamOutResult {
    STREAM_OUT_WHOLE = 0,
    STREAM_OUT_FAILED = -1,  // the control or the writer reported an error
    STREAM_OUT_CUT = -2,     // the control stopped early without a word (a picture it cannot write)
    STREAM_OUT_FAULTED = -3, // a processor fault inside the control's writer
};

// Appends the control's content as RTF (EM_STREAMOUT, SF_RTF) to out, only
// when it came out whole: on any other result out is left as it was. The
// message goes to direct when given (a control's own procedure, below a
// subclass), else to the procedure of the control's class, past any
// subclass; on the control's own thread. With SFF_SELECTION in format, the
// selection alone.
int StreamRichTextOut(HWND edit, MemoryWriter *out, WNDPROC direct = nullptr,
                      UINT format = SF_RTF);

// Appends the control's plain characters as an RTF text of our own (see
// AppendPlainTextAsRichText). 0, or -1 without memory.
int StreamPlainTextAsRichText(HWND edit, MemoryWriter *out, WNDPROC direct = nullptr);

// What a user is told a note lost when its text could not be taken whole.
const char *NoteTextLoss(int taken);

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

// A note's rich text as its control last streamed it out, kept so that a save
// takes again only the notes that may have changed since. Streaming a note out
// costs about a millisecond per 4 KB under Wine; a save of every note costs
// that many times over, while most notes have not changed since the last one.
#pragma once
#include <windows.h>

#include <cstdint>

#include "core/notes_table/rich_text_stream.h"

// Lives in the note edit control's state block; touched on the GUI thread only.
struct NoteTextCache {
    uint32_t changes; // moved on before and after every message that may change the content
    int32_t busy;     // such messages being handled right now (one may run a modal loop)
    uint32_t takenAt; // changes when the bytes were taken
    BOOL held;        // bytes holds what the control wrote at takenAt
    // The last text the note had whole (loaded or written out): what a save
    // keeps when the control cannot write the note out whole.
    char *bytes;
    DWORD size;
};

// Whether a message to a note edit control may change its text, its formatting
// or its objects. Only messages known to read, paint, move or select are
// answered no; anything else, including messages this program never sends,
// counts as a change.
bool MayChangeNoteText(UINT message, WPARAM wParam);

void NoteTextChanging(NoteTextCache *cache);
void NoteTextChanged(NoteTextCache *cache);
void ForgetNoteText(NoteTextCache *cache);

// Keeps bytes the control was just given whole by EM_STREAMIN as what the next
// save takes, as long as nothing changes the note before it. A load hands each
// note the text its last save wrote; streaming every note out again at the
// first save would write the same text at many times the cost.
void HoldNoteText(HWND edit, WNDPROC previous, NoteTextCache *cache, const char *bytes,
                  DWORD size);

// Appends the note's RTF, as EM_STREAMOUT with SF_RTF writes it, to out.
// previous is the control's own window procedure: the messages sent here must
// not count as changes. Returns a NoteTextTaken: when the control cannot
// write the note out whole, the last good text or the plain characters are
// appended instead, and the answer says which.
int TakeNoteText(HWND edit, WNDPROC previous, NoteTextCache *cache, MemoryWriter *out);

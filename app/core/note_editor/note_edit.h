// The note's rich-edit control, subclassed: keys, the line/column
// indicator, auto-copy, the console and calculator Enter key, and the
// WM_USER codes by which other windows steer it.
#pragma once
#include <windows.h>

#include <cstdint>

#include "caret_shape.h"
#include "note_text_cache.h"

struct RichOleDocument;
struct RichOleFrame;

// One per note edit control, kept as its user data; owned by the note window.
struct ZettlyEditState {
    int32_t slot;
    HWND note;
    WNDPROC previous;
    HWND lineColumn; // the line/column window, or null
    HWND edit;
    int32_t lastStart; // selection seen at the last indicator update
    int32_t lastEnd;
    int32_t caretEnd; // the selection end that moved last
    RichOleDocument *oleDocument;
    RichOleFrame *oleFrame;
    // Each editor's own mouse and key memory.
    BOOL contextMenuOpen;
    BOOL swallowNextChar;    // the character of a key already handled as a command
    BOOL dragSeen;           // the mouse moved with the button down, or a double-click
    int32_t clickCountdown;  // > 0: the click that focused the note is still to come
    BOOL suppressFocusClick; // the next focus gain simulates no click
    NoteTextCache text;      // the content as the last save took it
    // The custom caret's font measurements and where its line caret last
    // stood; the line is unknown until caretLineKnown.
    CaretMetricsCache caretMetrics;
    LineCaretMemory caretLine;
    BOOL caretLineKnown;
};

LRESULT CALLBACK ZettlyEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);

// The one floating edit toolbar, null until a note edit first gets the focus.
extern HWND EditToolbarWindow;
// The key tables the control translates (note window commands, its own
// commands): loaded once by start-up, shared by every note.
struct NoteKeyTables {
    HACCEL note;
    HACCEL edit;
};
extern NoteKeyTables NoteKeys;

// A note that became a strip (re-aligned) shows no check list, nor the edit
// toolbar when the toolbar is its; the toolbar of another note stays.
void HideStripCompanions(int slot);

// For changes the control makes without a message to it (a drop, an object
// inserted through its OLE interface): the next save takes the text afresh.
void MarkNoteTextChanged(HWND edit);

// After the whole of rtf went into the control by EM_STREAMIN: the next save
// takes these bytes unless the note changes first.
void HoldLoadedNoteText(HWND edit, const uint8_t *rtf, size_t size);

// Set by a command whose key's character is still to come: that character is dropped.
void SwallowNextEditChar(ZettlyEditState *state);

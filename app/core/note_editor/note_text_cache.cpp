#include "note_text_cache.h"

#include <richedit.h>
#include <richole.h>

#include <cstdlib>
#include <cstring>

#include "core/core_ids.h"

bool MayChangeNoteText(UINT message, WPARAM wParam)
{
    switch (message) {
    case WM_MOUSEMOVE:
        // With a button down a move may start a drag that moves text.
        return (wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) != 0;
    case WM_PAINT:
    case WM_NCPAINT:
    case WM_ERASEBKGND:
    case WM_NCHITTEST:
    case WM_SETCURSOR:
    case WM_NCMOUSEMOVE:
    case WM_MOUSEHOVER:
    case WM_MOUSELEAVE:
    case WM_CAPTURECHANGED:
    case WM_MOUSEACTIVATE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ACTIVATEAPP:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case WM_GETFONT:
    case WM_GETDLGCODE:
    case WM_WINDOWPOSCHANGING:
    case WM_WINDOWPOSCHANGED:
    case WM_MOVE:
    case WM_SIZE:
    case WM_NCCALCSIZE:
    case WM_SHOWWINDOW:
    case WM_GETMINMAXINFO:
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_INITMENUPOPUP:
    case WM_UNINITMENUPOPUP:
    case WM_MENUSELECT:
    case WM_ENTERMENULOOP:
    case WM_EXITMENULOOP:
    case WM_ENTERIDLE:
    case EM_GETSEL:
    case EM_SETSEL:
    case EM_EXGETSEL:
    case EM_EXSETSEL:
    case EM_HIDESELECTION:
    case EM_SCROLLCARET:
    case EM_LINESCROLL:
    case EM_GETMODIFY:
    case EM_SETMODIFY:
    case EM_STREAMOUT:
    case EM_GETLINECOUNT:
    case EM_GETFIRSTVISIBLELINE:
    case EM_LINEINDEX:
    case EM_LINELENGTH:
    case EM_LINEFROMCHAR:
    case EM_EXLINEFROMCHAR:
    case EM_GETLINE:
    case EM_GETCHARFORMAT:
    case EM_GETPARAFORMAT:
    case EM_GETTEXTRANGE:
    case EM_GETSELTEXT:
    case EM_GETEVENTMASK:
    case EM_GETOLEINTERFACE:
    case EM_CANUNDO:
    case EM_CANREDO:
    case EM_CANPASTE:
    case EM_POSFROMCHAR:
    case EM_CHARFROMPOS:
    case EM_FINDTEXT:
    case EM_FINDTEXTEX:
    case EM_FINDWORDBREAK:
    case EM_SELECTIONTYPE:
    case EM_GETLIMITTEXT:
    case EM_GETRECT:
    case EM_GETOPTIONS:
        return false;
    case WM_USER:
        // The program's own codes steer the toolbar and the check list; other
        // codes go on to the control.
        return wParam > EDIT_TAKE_FOCUS;
    }
    return true;
}

void NoteTextChanging(NoteTextCache *cache)
{
    ++cache->changes;
    ++cache->busy;
}

void NoteTextChanged(NoteTextCache *cache)
{
    ++cache->changes;
    --cache->busy;
}

void ForgetNoteText(NoteTextCache *cache)
{
    std::free(cache->bytes);
    cache->bytes = nullptr;
    cache->size = 0;
    cache->held = FALSE;
}

// Objects keep their data in their own storage and can change it without the
// control seeing a message.
static bool HoldsObjects(HWND edit, WNDPROC previous)
{
    IRichEditOle *ole = nullptr;
    CallWindowProcA(previous, edit, EM_GETOLEINTERFACE, 0, (LPARAM)&ole);
    if (!ole)
        return false;
    LONG count = ole->GetObjectCount();
    ole->Release();
    return count != 0;
}

static bool StillHolds(HWND edit, WNDPROC previous, const NoteTextCache *cache)
{
    return cache->held && cache->busy == 0 && cache->changes == cache->takenAt &&
           !CallWindowProcA(previous, edit, EM_GETMODIFY, 0, 0);
}

// Keeps a copy of the bytes as the note's last good text, and as its content
// at takenAt when current; without memory for the copy the text kept before
// stays, no longer current, and the next save streams the note out.
static bool KeepBytes(NoteTextCache *cache, const char *bytes, DWORD size, uint32_t takenAt,
                      bool current)
{
    cache->held = FALSE;
    char *copy = (char *)std::malloc(size ? size : 1);
    if (!copy)
        return false;
    if (size)
        std::memcpy(copy, bytes, size);
    std::free(cache->bytes);
    cache->bytes = copy;
    cache->size = size;
    cache->takenAt = takenAt;
    cache->held = current ? TRUE : FALSE;
    return current;
}

void HoldNoteText(HWND edit, WNDPROC previous, NoteTextCache *cache, const char *bytes,
                  DWORD size)
{
    bool current = cache->busy == 0 && !HoldsObjects(edit, previous);
    if (KeepBytes(cache, bytes, size, cache->changes, current))
        CallWindowProcA(previous, edit, EM_SETMODIFY, FALSE, 0);
}

static int AppendKept(const NoteTextCache *cache, MemoryWriter *out)
{
    LONG appended;
    return cache->size == 0 || StreamOutToMemory((DWORD_PTR)out, (LPBYTE)cache->bytes,
                                                 (LONG)cache->size, &appended) == 0
               ? 0
               : -1;
}

int TakeNoteText(HWND edit, WNDPROC previous, NoteTextCache *cache, MemoryWriter *out)
{
    bool objects = HoldsObjects(edit, previous);
    if (!objects && StillHolds(edit, previous, cache))
        return AppendKept(cache, out) == 0 ? NOTE_TEXT_CURRENT : NOTE_TEXT_FAILED;
    cache->held = FALSE;
    uint32_t changes = cache->changes;
    DWORD start = out->block ? out->used : 0;
    int streamed = StreamRichTextOut(edit, out, previous);
    if (streamed != STREAM_OUT_WHOLE) {
        // What the control wrote is no text: the note keeps the last one it
        // had whole, or, never having had one, its characters.
        if (cache->bytes)
            return AppendKept(cache, out) == 0 ? NOTE_TEXT_LAST_GOOD : NOTE_TEXT_FAILED;
        return StreamPlainTextAsRichText(edit, out, previous) == 0 ? NOTE_TEXT_PLAIN
                                                                    : NOTE_TEXT_FAILED;
    }
    // From here the control's own flag tells of a change that came without a message.
    CallWindowProcA(previous, edit, EM_SETMODIFY, FALSE, 0);
    KeepBytes(cache, out->block + start, out->used - start, changes,
              !objects && cache->busy == 0 && cache->changes == changes);
    return NOTE_TEXT_CURRENT;
}

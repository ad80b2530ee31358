#include "rich_text_stream.h"
#include "rich_text_check.h"
#include "streamed_rich_text.h"
#include "notes_file_ids.h"

#include "fault_guard.h"

#include <cstdlib>
#include <cstring>
#include <vector>

enum : DWORD { MEMORY_STREAM_STEP = 0x100000 };

// Long streams would otherwise freeze every window of the program.
static void HandlePendingMessages(void)
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

UINT TakeNoteTextMessage(void)
{
    static UINT message = RegisterWindowMessageA("ZettlyTakeNoteText");
    return message;
}

DWORD CALLBACK StreamOutToFile(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG *written)
{
    FILE *file = (FILE *)cookie;
    *written = 0;
    if (count <= 0)
        return 1;
    // The control writes a NUL character of the text as a 0 byte and ends
    // with one more; a reader of the file takes the text up to its first 0
    // byte, so none is written.
    bool ok = true;
    LONG from = 0;
    for (LONG i = 0; i <= count && ok; ++i) {
        if (i < count && buffer[i] != 0)
            continue;
        size_t run = (size_t)(i - from);
        ok = run == 0 || std::fwrite(buffer + from, 1, run, file) == run;
        from = i + 1;
    }
    *written = ok ? count : 0;
    HandlePendingMessages();
    // A short write is a failed write: the control stops and the save sees the error.
    return ok ? 0 : 1;
}

DWORD CALLBACK StreamInFromMemory(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG *read)
{
    MemoryReader *reader = (MemoryReader *)cookie;
    *read = 0;
    if (count <= 0 || !reader || !reader->block)
        return 1;
    DWORD left = reader->position < reader->size ? reader->size - reader->position : 0;
    DWORD n = (DWORD)count < left ? (DWORD)count : left;
    std::memcpy(buffer, reader->block + reader->position, n);
    reader->position += n;
    *read = (LONG)n;
    return 0;
}

DWORD CALLBACK StreamOutToMemory(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG *written)
{
    MemoryWriter *writer = (MemoryWriter *)cookie;
    *written = 0;
    if (count <= 0 || !writer)
        return 1;
    if (!writer->block) {
        writer->block = (char *)std::malloc(MEMORY_STREAM_STEP);
        if (!writer->block)
            return 1;
        writer->capacity = MEMORY_STREAM_STEP;
        writer->used = 0;
    }
    DWORD need = writer->used + (DWORD)count;
    if (need < writer->used)
        return 1;
    if (need > writer->capacity) {
        // Grow in whole steps, enough for this piece even when it is larger than one step.
        DWORD capacity = writer->capacity;
        while (capacity < need) {
            if (capacity > 0xFFFFFFFFu - MEMORY_STREAM_STEP)
                return 1;
            capacity += MEMORY_STREAM_STEP;
        }
        char *grown = (char *)std::realloc(writer->block, capacity);
        if (!grown)
            return 1;
        writer->block = grown;
        writer->capacity = capacity;
    }
    std::memcpy(writer->block + writer->used, buffer, (size_t)count);
    writer->used = need;
    *written = count;
    return 0;
}

namespace {

struct StreamOutCall {
    HWND edit;
    WNDPROC direct;
    bool called; // direct is the procedure's own code, called without the system between
    UINT format;
    EDITSTREAM stream;
};

// A window procedure that is code of a loaded module (not a thunk the system
// hands out for a procedure of the other character set) can be called as it
// is: nothing of the system's message handling then lies between the guard
// and a fault. Wine counts nested calls of window procedures per thread and
// stops calling any past 64; each fault jumped over inside its call would
// count one for good.
bool IsModuleCode(WNDPROC procedure)
{
    HMODULE module = nullptr;
    return procedure && GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                           (LPCSTR)(void *)procedure, &module) &&
           module;
}

int SendStreamOut(void *context)
{
    StreamOutCall *call = (StreamOutCall *)context;
    LPARAM stream = (LPARAM)&call->stream;
    if (call->called)
        call->direct(call->edit, EM_STREAMOUT, call->format, stream);
    else if (call->direct)
        CallWindowProcA(call->direct, call->edit, EM_STREAMOUT, call->format, stream);
    else
        SendMessageA(call->edit, EM_STREAMOUT, call->format, stream);
    return 0;
}

LRESULT Ask(HWND edit, WNDPROC direct, UINT message, WPARAM wParam, LPARAM lParam)
{
    return direct ? CallWindowProcA(direct, edit, message, wParam, lParam)
                  : SendMessageA(edit, message, wParam, lParam);
}

} // namespace

int StreamRichTextOut(HWND edit, MemoryWriter *out, WNDPROC direct, UINT format)
{
    if (!edit || !out)
        return STREAM_OUT_FAILED;
    DWORD start = out->block ? out->used : 0;
    // Without a procedure of its own the control's class procedure is its
    // own: a subclass on it sees nothing it must count.
    bool ownThread = GetWindowThreadProcessId(edit, nullptr) == GetCurrentThreadId();
    if (!direct && ownThread && !IsWindowUnicode(edit))
        direct = (WNDPROC)GetClassLongPtrA(edit, GCLP_WNDPROC);
    StreamOutCall call = {edit, direct, ownThread && IsModuleCode(direct), format,
                          {(DWORD_PTR)out, 0, StreamOutToMemory}};
    // Wine's writer faults on some paragraph formats (a negative tab stop).
    // Left alone, the fault would unwind through the save that asked, up to
    // whatever dispatch of a message swallows it, and leave that save's
    // mutex and its mark of a save in progress behind for good.
    int ignored = 0;
    int result = STREAM_OUT_WHOLE;
    if (!RunGuarded(SendStreamOut, &call, &ignored))
        result = STREAM_OUT_FAULTED;
    else if (call.stream.dwError != 0)
        result = STREAM_OUT_FAILED;
    else if (!out->block || !IsWholeStreamedRichText(out->block + start, out->used - start))
        result = STREAM_OUT_CUT;
    if (result != STREAM_OUT_WHOLE && out->block)
        out->used = start;
    return result;
}

int StreamPlainTextAsRichText(HWND edit, MemoryWriter *out, WNDPROC direct)
{
    LRESULT length = edit ? Ask(edit, direct, WM_GETTEXTLENGTH, 0, 0) : 0;
    std::vector<char> text(length > 0 ? (size_t)length + 1 : 1, 0);
    LRESULT got = length > 0 ? Ask(edit, direct, WM_GETTEXT, text.size(), (LPARAM)text.data()) : 0;
    if (got < 0 || got > length)
        got = 0;
    std::vector<uint8_t> rtf;
    AppendPlainTextAsRichText(text.data(), (size_t)got, &rtf);
    LONG written = 0;
    return StreamOutToMemory((DWORD_PTR)out, rtf.data(), (LONG)rtf.size(), &written) == 0 ? 0 : -1;
}

const char *NoteTextLoss(int taken)
{
    switch (taken) {
    case NOTE_TEXT_LAST_GOOD:
        return NOTE_LOST_CHANGES;
    case NOTE_TEXT_PLAIN:
        return NOTE_LOST_FORMATTING;
    case NOTE_TEXT_FAILED:
        return NOTE_LOST_TEXT;
    }
    return nullptr;
}

int StreamInFromBlock(HWND edit, const char *bytes, size_t size, UINT format)
{
    if (!edit)
        return -1;
    MemoryReader reader = {bytes ? bytes : "", bytes ? (DWORD)size : 0, 0};
    EDITSTREAM stream = {(DWORD_PTR)&reader, 0, StreamInFromMemory};
    SendMessageA(edit, EM_STREAMIN, format, (LPARAM)&stream);
    return stream.dwError ? -1 : 0;
}

int StreamRichTextIn(HWND edit, const char *text, size_t bytes)
{
    if (!edit || CheckRichText(text, bytes) != RICH_TEXT_OK)
        return -1;
    return StreamInFromBlock(edit, text, bytes, SF_RTF);
}

void StreamPlainTextIn(HWND edit, const char *text, size_t bytes, BOOL selectionOnly)
{
    StreamInFromBlock(edit, text, bytes, selectionOnly ? SF_TEXT | SFF_SELECTION : SF_TEXT);
}

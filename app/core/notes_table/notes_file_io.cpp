#include "notes_file_io.h"

#include <cstdio>

#include "notes_phase_times.h"

// The save's test seams: the program sets neither.
static struct {
    NotesFileStepHook stepHook; // the step of a save a test stops at
    DWORD writeFault;           // the system error a test gives every file a save creates
} Seams;

static const DWORD MaxReadBytes = 0x40000000;

NotesFileStepHook SetNotesFileStepHook(NotesFileStepHook hook)
{
    NotesFileStepHook previous = Seams.stepHook;
    Seams.stepHook = hook;
    return previous;
}

void SetNotesFileWriteFault(DWORD error)
{
    Seams.writeFault = error;
}

DWORD NotesFileWriteFault(void)
{
    return Seams.writeFault;
}

void ReachNotesFileStep(int step)
{
    if (Seams.stepHook)
        Seams.stepHook(step);
}

int KeepFailure(NotesFileWork *w)
{
    DWORD error = GetLastError();
    if (!w->error)
        w->error = error ? error : ERROR_GEN_FAILURE;
    return -1;
}

void FileStep(NotesFileWork *w)
{
    ++w->steps;
    ReachNotesFileStep(w->steps);
}

bool FileExists(const char *path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool CanOpenForReading(const char *path)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

bool IsMissing(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

int ReadWholeNotesFile(const char *path, ByteBuffer *out)
{
    out->clear();
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return IsMissing(GetLastError()) ? -1 : -2;
    LARGE_INTEGER size;
    int result = -2;
    if (GetFileSizeEx(file, &size) && size.QuadPart <= MaxReadBytes) {
        out->resize((size_t)size.QuadPart);
        DWORD done = 0;
        result = 0;
        while (done < out->size()) {
            DWORD got = 0;
            if (!ReadFile(file, out->data() + done, (DWORD)out->size() - done, &got, nullptr) ||
                got == 0) {
                result = -2;
                break;
            }
            done += got;
        }
    }
    CloseHandle(file);
    return result;
}

int WriteWholeFile(NotesFileWork *w, const char *path, const void *bytes, size_t size)
{
    NotesPhaseMark mark(PHASE_WRITING);
    if (Seams.writeFault) {
        SetLastError(Seams.writeFault);
        return KeepFailure(w);
    }
    HANDLE file =
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return KeepFailure(w);
    FileStep(w);
    DWORD written = 0;
    bool ok = size == 0 || (WriteFile(file, bytes, (DWORD)size, &written, nullptr) &&
                            written == (DWORD)size);
    if (!ok && GetLastError() == ERROR_SUCCESS)
        SetLastError(ERROR_DISK_FULL); // a short write without an error: no room left
    if (!ok)
        KeepFailure(w);
    FileStep(w);
    // On the disk before it is renamed into place: a power cut must not leave
    // a renamed file without its bytes.
    if (!FlushFileBuffers(file) && ok)
        ok = KeepFailure(w) == 0;
    if (!CloseHandle(file) && ok)
        ok = KeepFailure(w) == 0;
    FileStep(w);
    if (!ok)
        DeleteFileA(path);
    return ok ? 0 : -1;
}

int RewriteInPlace(NotesFileWork *w, const char *path, const void *bytes, size_t size)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return KeepFailure(w);
    FileStep(w);
    LARGE_INTEGER length;
    DWORD written = 0;
    bool ok = GetFileSizeEx(file, &length) && length.QuadPart >= (LONGLONG)size &&
              WriteFile(file, bytes, (DWORD)size, &written, nullptr) && written == (DWORD)size &&
              FlushFileBuffers(file);
    if (!ok)
        KeepFailure(w);
    ok = CloseHandle(file) && ok;
    FileStep(w);
    return ok ? 0 : -1;
}

// A copy is written beside its target and renamed into place once flushed, so
// that a copy stopped half-way never leaves a short file under the target's name.
int CopyWhole(NotesFileWork *w, const char *from, const char *to)
{
    char part[ZETTLY_PATH_CHARS + 8];
    int n = std::snprintf(part, sizeof part, "%s_new", to);
    if (n <= 0 || (size_t)n >= sizeof part)
        return -1;
    ByteBuffer bytes;
    if (ReadWholeNotesFile(from, &bytes) != 0)
        return KeepFailure(w);
    if (WriteWholeFile(w, part, bytes.data(), bytes.size()) != 0)
        return -1;
    if (!MoveFileExA(part, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        KeepFailure(w);
        DeleteFileA(part);
        return -1;
    }
    FileStep(w);
    return 0;
}

// The first free set of "_damaged" names: an earlier damaged set is never
// written over. kind -1 asks only for the number.
static int FreeDamagedNumber(const ZettlyFileSet &f)
{
    for (int number = 1; number < 100; ++number) {
        bool taken = false;
        for (int kind = 0; kind < ZETTLY_FILE_KINDS && !taken; ++kind) {
            char name[ZETTLY_PATH_CHARS + 4];
            std::snprintf(name, sizeof name, number == 1 ? "%s" : "%s%d",
                          f.damaged[kind], number);
            taken = FileExists(name);
        }
        if (!taken)
            return number;
    }
    return 99;
}

static void DamagedName(const ZettlyFileSet &f, int kind, int number, char *out, size_t outSize)
{
    std::snprintf(out, outSize, number == 1 ? "%s" : "%s%d", f.damaged[kind], number);
}

bool SetCurrentFilesAside(NotesFileWork *w, bool move)
{
    const ZettlyFileSet &f = w->files->names;
    int number = FreeDamagedNumber(f);
    bool kept = true;
    for (int kind = 0; kind < ZETTLY_FILE_KINDS; ++kind) {
        DWORD attributes = GetFileAttributesA(f.current[kind]);
        if (attributes == INVALID_FILE_ATTRIBUTES)
            continue;
        char name[ZETTLY_PATH_CHARS + 4];
        DamagedName(f, kind, number, name, sizeof name);
        // A folder under a notes file's name cannot be copied, and no file
        // can be put in its place: it moves aside whole (a folder cannot be
        // moved over anything).
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            kept = MoveFileExA(f.current[kind], name, 0) && kept;
        else if (move)
            kept = MoveFileExA(f.current[kind], name, MOVEFILE_REPLACE_EXISTING) && kept;
        else
            kept = CopyWhole(w, f.current[kind], name) == 0 && kept;
    }
    return kept;
}

void DeleteSavingFiles(const ZettlyFileSet &f)
{
    for (int kind = 0; kind < ZETTLY_FILE_KINDS; ++kind)
        DeleteFileA(f.saving[kind]);
}

// The marker's sentence, then what each file of the set holds (size and
// checksum), so that a start can tell a file changed since the save.
int WriteSaveMarker(NotesFileWork *w, const CommitRecord *holds)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    struct tm t = {};
    t.tm_year = now.wYear - 1900;
    t.tm_mon = now.wMonth - 1;
    t.tm_mday = now.wDay;
    t.tm_wday = now.wDayOfWeek;
    t.tm_hour = now.wHour;
    t.tm_min = now.wMinute;
    t.tm_sec = now.wSecond;
    char text[256];
    int length = FormatSaveMarker(&t, text, sizeof text);
    if (length < 0)
        return -1;
    if (holds) {
        int more = FormatCommitRecord(holds, text + length, sizeof text - (size_t)length);
        if (more < 0)
            return -1;
        length += more;
    }
    return WriteWholeFile(w, w->files->names.marker, text, (size_t)length);
}

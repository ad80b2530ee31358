#include "disk_file.h"

#include <cstring>

namespace {

// Wine's drive Z: is the host's whole file system, where the special files
// of /dev, /proc and /sys open as ordinary ones: /proc's report a size of 0
// and hold text, /dev/zero never ends. Wine names a path's host file on
// request; Windows has no such function and no such folders.
typedef char *(CDECL *UnixFileNameFunction)(const WCHAR *dosName);

bool InHostSpecialFolder(const char *path)
{
    static UnixFileNameFunction unixName = (UnixFileNameFunction)(void *)GetProcAddress(
        GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    if (!unixName)
        return false;
    WCHAR wide[MAX_PATH * 2];
    if (!MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH * 2))
        return true;
    char *name = unixName(wide);
    if (!name)
        return false;
    bool special = false;
    for (const char *folder : {"/dev", "/proc", "/sys"}) {
        size_t length = std::strlen(folder);
        if (std::strncmp(name, folder, length) == 0 && (name[length] == '/' || name[length] == 0))
            special = true;
    }
    HeapFree(GetProcessHeap(), 0, name);
    return special;
}

} // namespace

int ReadDiskFile(const char *path, int64_t limit, std::vector<uint8_t> *bytes)
{
    bytes->clear();
    if (!path || InHostSpecialFolder(path))
        return -1;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    LARGE_INTEGER size;
    int result = 0;
    // A pipe, a console or a port is no file: its size, if it has one, says
    // nothing of how much it will bring, and a read may wait for ever.
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &size) || size.QuadPart < 0)
        result = -1;
    else if (size.QuadPart > limit)
        result = DISK_FILE_TOO_LARGE;
    if (result != 0) {
        CloseHandle(file);
        return result;
    }
    // One byte more than the size: a file holding more than its size says is
    // no plain file, whatever its type.
    bytes->resize((size_t)size.QuadPart + 1);
    size_t got = 0;
    DWORD read = 0;
    while (got < bytes->size() &&
           ReadFile(file, bytes->data() + got, (DWORD)(bytes->size() - got), &read, nullptr) &&
           read > 0)
        got += read;
    CloseHandle(file);
    if (got > (size_t)size.QuadPart) {
        bytes->clear();
        return -1;
    }
    // A file that shrank while it was read gives what it still held.
    bytes->resize(got);
    return 0;
}

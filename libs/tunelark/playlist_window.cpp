// The playlist list box: its rows and their entries, playlist files, folder
// scans, the folder browser and the shuffle pick.
#include "player.h"

#include <commdlg.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "folder_browser.h"
#include "media_types.h"
#include "ui_seams.h"

namespace {

// Joins folder, '\' and name into out; -1 when it does not fit.
int JoinPath(char *out, int size, const char *folder, const char *name)
{
    char joined[PLAYLIST_PATH_CHARS * 2];
    lstrcpynA(joined, folder, sizeof joined);
    AppendBackslash(joined, sizeof joined);
    size_t used = strlen(joined), extra = strlen(name);
    if (used + extra >= (size_t)size)
        return -1;
    memcpy(out, joined, used);
    memcpy(out + used, name, extra + 1);
    return 0;
}

bool EndsWithPlaylistExtension(const char *name)
{
    char upper[PLAYLIST_PATH_CHARS];
    lstrcpynA(upper, name, sizeof upper);
    StringToUpper(upper);
    size_t length = strlen(upper), extension = strlen(PLAYLIST_EXTENSION);
    return length >= extension && strcmp(upper + length - extension, PLAYLIST_EXTENSION) == 0;
}

// The open-file dialog of "Add File(s)" and "Load Playlist"; 0 when files
// were chosen into buffer (a folder then names, or one full path).
int ChooseFiles(HWND owner, const char *filter, const char *title, char *buffer, int size)
{
    buffer[0] = 0;
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter;
    dialog.lpstrFile = buffer;
    dialog.nMaxFile = size;
    dialog.lpstrTitle = title;
    // The current folder is the whole process's: the notes' saves and the
    // other threads must never see it move under them.
    dialog.Flags = OFN_ENABLESIZING | OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY |
                   OFN_NOCHANGEDIR;
    return GetOpenFileNameA(&dialog) ? 0 : -1;
}

// Calls take(path) for each file the open-file dialog returned.
template <typename Take> void ForEachChosenFile(const char *buffer, Take take)
{
    const char *first = buffer;
    const char *name = first + strlen(first) + 1;
    if (!*name) {
        take(first);
        return;
    }
    for (; *name; name += strlen(name) + 1) {
        char path[PLAYLIST_PATH_CHARS];
        if (JoinPath(path, sizeof path, first, name) == 0)
            take(path);
    }
}

// Searches folder\what, or, with an empty pattern, the folder argument
// itself, which then names one file.
HANDLE FindInFolder(const char *folder, const char *pattern, const char *what, WIN32_FIND_DATAA *found)
{
    char search[PLAYLIST_PATH_CHARS];
    if (*pattern ? JoinPath(search, sizeof search, folder, what) != 0
                 : strlen(folder) >= sizeof search)
        return INVALID_HANDLE_VALUE;
    if (!*pattern)
        strcpy(search, folder);
    return FindFirstFileA(search, found);
}

} // namespace

PlaylistEntry *EntryOfRow(HWND list, int row)
{
    LRESULT data = SendMessageA(list, LB_GETITEMDATA, row, 0);
    if (data == LB_ERR || data == 0)
        return nullptr;
    return (PlaylistEntry *)data;
}

int AddPlaylistRow(HWND list, const char *text, const char *path)
{
    if (strlen(path) >= PLAYLIST_PATH_CHARS)
        return -1;
    PlaylistEntry *entry = (PlaylistEntry *)calloc(1, sizeof(PlaylistEntry));
    if (!entry)
        return ROW_OUT_OF_MEMORY;
    LRESULT row = SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)text);
    if (row == LB_ERR || row == LB_ERRSPACE) {
        free(entry);
        return -1;
    }
    strcpy(entry->path, path);
    SendMessageA(list, LB_SETITEMDATA, row, (LPARAM)entry);
    return 0;
}

int FirstSelectedRow(HWND list)
{
    int row = -1;
    if (SendMessageA(list, LB_GETSELITEMS, 1, (LPARAM)&row) != 1)
        return -1;
    return row;
}

void SelectOnlyRow(HWND list, int row)
{
    SendMessageA(list, LB_SETSEL, FALSE, -1);
    if (row >= 0)
        SendMessageA(list, LB_SETSEL, TRUE, row);
}

static void DeleteRow(HWND list, int row)
{
    free(EntryOfRow(list, row));
    SendMessageA(list, LB_DELETESTRING, row, 0);
}

void DeleteAllRows(HWND list)
{
    for (int row = (int)SendMessageA(list, LB_GETCOUNT, 0, 0) - 1; row >= 0; --row)
        DeleteRow(list, row);
}

void DeleteSelectedRows(HWND list)
{
    static_assert(PLAYER_MAX_DELETED_ROWS > 0, "");
    int *rows = (int *)calloc(PLAYER_MAX_DELETED_ROWS, sizeof(int));
    if (!rows)
        return;
    int count = (int)SendMessageA(list, LB_GETSELITEMS, PLAYER_MAX_DELETED_ROWS, (LPARAM)rows);
    for (int i = count - 1; i >= 0; --i)
        DeleteRow(list, rows[i]);
    free(rows);
}

int LoadPlaylistFile(HWND dialog, const char *path)
{
    HWND list = GetDlgItem(dialog, IDC_PLAYLIST);
    FILE *file = fopen(path, "rb");
    if (!file)
        return -1;
    char line[PLAYLIST_LINE_CHARS];
    if (ReadPlaylistLine(file, line) != 0 || strcmp(line, PLAYLIST_HEADER) != 0) {
        fclose(file);
        return -1;
    }
    while (ReadPlaylistLine(file, line) == 0) {
        char text[PLAYLIST_LINE_CHARS], rowPath[PLAYLIST_PATH_CHARS];
        // A row whose path is too long for an entry is left out; the rest load.
        if (SplitPlaylistLine(line, text, sizeof text, rowPath, sizeof rowPath) != 0)
            continue;
        if (AddPlaylistRow(list, text, rowPath) == ROW_OUT_OF_MEMORY)
            break;
    }
    fclose(file);
    return 0;
}

void SavePlaylistFile(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_PLAYLIST);
    int count = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    if (count <= 0) {
        ZtMessageBox(dialog, "Add File to the playlist first!", "No files To SAVE?",
                           MB_ICONINFORMATION);
        return;
    }
    char name[PLAYLIST_PATH_CHARS] = "";
    OPENFILENAMEA save = {};
    save.lStructSize = sizeof save;
    save.hwndOwner = dialog;
    save.lpstrFilter = "MP3 File(**.SPL)\0**.SPL\0";
    save.lpstrFile = name;
    save.nMaxFile = sizeof name;
    save.lpstrTitle = "Save playlist";
    save.Flags = OFN_ENABLESIZING | OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                 OFN_NOCHANGEDIR;
    if (!GetSaveFileNameA(&save) || AddPlaylistExtension(name, sizeof name) != 0)
        return;
    FILE *file = fopen(name, "wb");
    if (!file)
        return;
    bool ok = fprintf(file, "%s\n", PLAYLIST_HEADER) > 0;
    for (int row = 0; ok && row < count; ++row) {
        int length = (int)SendMessageA(list, LB_GETTEXTLEN, row, 0);
        PlaylistEntry *entry = EntryOfRow(list, row);
        char *text = length >= 0 ? (char *)calloc(length + 1, 1) : nullptr;
        if (!text)
            break;
        SendMessageA(list, LB_GETTEXT, row, (LPARAM)text);
        ok = fprintf(file, "%s%c%s\n", text, PLAYLIST_SEPARATOR, entry ? entry->path : "") > 0;
        free(text);
    }
    if (fclose(file) != 0 || !ok)
        ZtMessageBox(dialog, "The playlist could not be written completely.",
                           "Save playlist", MB_ICONWARNING);
}

void AppendBackslash(char *path, int size)
{
    size_t length = strlen(path);
    if (length == 0 || path[length - 1] == '\\' || length + 2 > (size_t)size)
        return;
    path[length] = '\\';
    path[length + 1] = 0;
}

int IsDirectoryPath(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}

int AddDirectoryFiles(HWND list, const char *folder, const char *pattern)
{
    WIN32_FIND_DATAA found;
    HANDLE find = FindInFolder(folder, pattern, pattern, &found);
    if (find == INVALID_HANDLE_VALUE)
        return -1;
    int result = 0;
    do {
        const char *name = found.cFileName;
        if (!strcmp(name, ".") || !strcmp(name, ".."))
            continue;
        char path[PLAYLIST_PATH_CHARS];
        if (*pattern) {
            if (JoinPath(path, sizeof path, folder, name) != 0)
                continue;
        } else {
            strcpy(path, folder); // the folder argument names the one file
        }
        if (EndsWithPlaylistExtension(name)) {
            LoadPlaylistFile(GetParent(list), path);
            continue;
        }
        char text[PLAYLIST_PATH_CHARS];
        lstrcpynA(text, name, sizeof text);
        if (char *dot = strrchr(text, '.'))
            *dot = 0;
        if (AddPlaylistRow(list, text, path) == ROW_OUT_OF_MEMORY) {
            result = -1;
            break;
        }
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return result;
}

int AddDirectoryTree(HWND list, const char *folder, const char *pattern)
{
    WIN32_FIND_DATAA found;
    HANDLE find = FindInFolder(folder, pattern, "*", &found);
    if (find == INVALID_HANDLE_VALUE)
        return -1;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !strcmp(found.cFileName, ".") ||
            !strcmp(found.cFileName, ".."))
            continue;
        char sub[PLAYLIST_PATH_CHARS];
        if (JoinPath(sub, sizeof sub, folder, found.cFileName) == 0)
            AddDirectoryTree(list, sub, pattern);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    AddDirectoryFiles(list, folder, pattern);
    return 0;
}

void AddFolderOfEveryType(HWND list, const char *folder)
{
    for (const MediaTypeRow *row = MediaTypeTable; row->type != MEDIA_TABLE_END; ++row)
        AddDirectoryTree(list, folder, row->pattern);
}

int BrowseForDirectory(HWND owner, char *buffer, int size)
{
    FolderBrowserLook look = {"Current folder is:", buffer, true, nullptr};
    return BrowseForFolder(owner, look, buffer, size);
}

void AddDirectoryCommand(PlayerState *player)
{
    while (BrowseForDirectory(player->window, player->lastAddDir, sizeof player->lastAddDir) == 0) {
        AddFolderOfEveryType(player->list, player->lastAddDir);
        if (!MciIsPlayingOrPaused(player))
            SendMessageA(player->window, WM_COMMAND, MAKEWPARAM(IDC_PLAY, PLAY_BY_USER), 0);
    }
}

void AddFilesCommand(PlayerState *player)
{
    // "Known File Types", "Any File (*.*)", then one entry per type.
    char filter[4096];
    size_t used = 0;
    auto put = [&](const char *text) {
        size_t length = strlen(text) + 1;
        if (used + length + 1 < sizeof filter) {
            memcpy(filter + used, text, length);
            used += length;
        }
    };
    char patterns[1024] = "";
    for (const MediaTypeRow *row = MediaTypeTable; row->type != MEDIA_TABLE_END; ++row) {
        size_t length = strlen(patterns);
        snprintf(patterns + length, sizeof patterns - length, "%s;", row->pattern);
    }
    put("Known File Types");
    put(patterns);
    put("Any File (*.*)");
    put("*.*");
    for (const MediaTypeRow *row = MediaTypeTable; row->type != MEDIA_TABLE_END; ++row) {
        char entry[200];
        snprintf(entry, sizeof entry, "%s (%s)", row->description, row->pattern);
        put(entry);
        put(row->pattern);
    }
    filter[used] = 0;
    char *buffer = (char *)calloc(PLAYER_FILE_BUFFER, 1);
    if (!buffer)
        return;
    if (ChooseFiles(player->window, filter, "Select a file to add to playlist", buffer,
                    PLAYER_FILE_BUFFER) == 0) {
        ForEachChosenFile(buffer, [&](const char *path) { AddDirectoryFiles(player->list, path, ""); });
        if (!MciIsPlayingOrPaused(player))
            PostMessageA(player->window, WM_COMMAND, MAKEWPARAM(IDC_PLAY, PLAY_BY_USER), 0);
    }
    free(buffer);
}

void LoadPlaylistCommand(PlayerState *player)
{
    char *buffer = (char *)calloc(PLAYER_FILE_BUFFER, 1);
    if (!buffer)
        return;
    if (ChooseFiles(player->window, "Playlist File(**.SPL)\0**.SPL\0", "Open a playlist file",
                    buffer, PLAYER_FILE_BUFFER) == 0) {
        ForEachChosenFile(buffer, [&](const char *path) { LoadPlaylistFile(player->window, path); });
        PostMessageA(player->window, WM_COMMAND, MAKEWPARAM(IDC_PLAY, PLAY_BY_USER), 0);
    }
    free(buffer);
}

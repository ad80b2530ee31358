// The player's window place, options, playlist and scope in the registry.
#include "player.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "player_settings_text.h"
#include "registry_text.h"
#include "ui_seams.h"

namespace {

int ListHeight(PlayerState *player)
{
    RECT window, mark;
    GetWindowRect(player->window, &window);
    GetWindowRect(GetDlgItem(player->window, IDC_LIST_BOTTOM_MARK), &mark);
    return mark.top - window.top - GetSystemMetrics(SM_CYDLGFRAME);
}

// The player's values have always been stored with their terminator.
int WriteString(HKEY key, const char *name, const char *text, size_t textLimit)
{
    return WriteRegistryString(key, name, text, textLimit, REGISTRY_TEXT_WITH_NUL) == ERROR_SUCCESS
               ? 0
               : -1;
}

int SavePlaylistRows(HKEY key, HWND list)
{
    int result = 0;
    char name[32];
    // Rows of a longer list saved before must not come back with this one.
    for (int n = 0;; ++n) {
        snprintf(name, sizeof name, PLAYER_FILE_VALUE, n);
        if (RegDeleteValueA(key, name) != ERROR_SUCCESS)
            break;
    }
    for (int row = (int)SendMessageA(list, LB_GETCOUNT, 0, 0) - 1; row >= 0; --row) {
        int length = (int)SendMessageA(list, LB_GETTEXTLEN, row, 0);
        if (length < 0)
            continue;
        char *text = (char *)calloc(length + 1, 1);
        if (!text)
            continue;
        SendMessageA(list, LB_GETTEXT, row, (LPARAM)text);
        PlaylistEntry *entry = EntryOfRow(list, row);
        char value[PLAYER_REGISTRY_ROW_BYTES];
        snprintf(name, sizeof name, PLAYER_FILE_VALUE, row);
        // A row too long to read back whole is not written at all.
        if (FormatPlaylistLine(value, sizeof value, text, entry ? entry->path : "") == 0 &&
            WriteString(key, name, value, sizeof value) != 0)
            result = -1;
        free(text);
    }
    return result;
}

void RestorePlaylistRows(HKEY key, HWND list, int rowCount, int *outOfMemory)
{
    for (int n = 0; n < rowCount; ++n) {
        char name[32], value[PLAYER_REGISTRY_ROW_BYTES];
        snprintf(name, sizeof name, PLAYER_FILE_VALUE, n);
        if (ReadRegistryString(key, name, value, sizeof value) != ERROR_SUCCESS)
            break;
        char text[PLAYER_REGISTRY_ROW_BYTES], path[PLAYLIST_PATH_CHARS];
        if (SplitPlaylistLine(value, text, sizeof text, path, sizeof path) != 0)
            continue; // a bad row is left out, the later ones kept
        if (AddPlaylistRow(list, text, path) == ROW_OUT_OF_MEMORY) {
            *outOfMemory = 1;
            return;
        }
    }
}

void PlaceWindow(PlayerState *player, PlayerWindowSettings *settings)
{
    RECT desktop;
    GetClientRect(GetDesktopWindow(), &desktop);
    KeepPlayerOnDesktop(settings, desktop.right, desktop.bottom);
    SetWindowTransparency(player->window, settings->alpha);
    MoveWindow(player->window, settings->left, settings->top, settings->right - settings->left,
               settings->bottom - settings->top, FALSE);
    SetWindowPos(GetDlgItem(player->window, IDC_LIST_BOTTOM_MARK), nullptr, 0,
                 settings->listHeight, 10, 1, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT list;
    GetWindowRect(player->list, &list);
    MapWindowPoints(nullptr, player->window, (POINT *)&list, 2);
    RECT window;
    GetWindowRect(player->window, &window);
    POINT top = {0, 0};
    ClientToScreen(player->window, &top);
    int height = settings->listHeight + window.top - (top.y + list.top);
    if (height < 0)
        height = 0;
    SetWindowPos(player->list, nullptr, list.left, list.top, list.right - list.left, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// The defaults, with the window where it stands.
void DefaultsAtWindow(PlayerState *player, PlayerWindowSettings *settings)
{
    DefaultPlayerWindowSettings(settings);
    RECT window;
    GetWindowRect(player->window, &window);
    settings->left = window.left;
    settings->top = window.top;
    settings->right = window.right;
    settings->bottom = window.bottom;
}

} // namespace

int SavePlayerSettings(PlayerState *player, int selectedRow)
{
    HKEY key = CreateSettingsKey(PLAYER_REGISTRY_KEY, false);
    if (!key)
        return -1;
    PlayerWindowSettings settings;
    DefaultsAtWindow(player, &settings);
    settings.rowCount = (int)SendMessageA(player->list, LB_GETCOUNT, 0, 0);
    settings.topmost = player->topmost;
    settings.shuffle = player->shuffle;
    settings.rollDirection = player->rollDirection;
    settings.rolledUp = player->rolledUp;
    settings.selectedRow = selectedRow;
    settings.listHeight = ListHeight(player);
    settings.alpha = player->alpha;
    settings.scopeOpen = 0;
    settings.scopeState = 0;
    if (player->scope && IsWindow(player->scope)) {
        int state = 0;
        SendMessageA(player->scope, WM_USER, 300, (LPARAM)&state);
        settings.scopeOpen = 1;
        settings.scopeState = state;
    }
    char text[PLAYER_WINDOW_TEXT_BYTES];
    int result = 0;
    if (FormatPlayerWindowSettings(&settings, text, sizeof text) != 0 ||
        WriteString(key, PLAYER_WINDOW_VALUE, text, sizeof text) != 0)
        result = -1;
    if (WriteString(key, PLAYER_LAST_DIR_VALUE, player->lastAddDir, sizeof player->lastAddDir) != 0)
        result = -1;
    if (SavePlaylistRows(key, player->list) != 0)
        result = -1;
    RegCloseKey(key);
    return result;
}

int LoadPlayerSettings(PlayerState *player)
{
    HKEY key;
    if (RegOpenKeyA(ZtRegistryRoot(), PLAYER_REGISTRY_KEY, &key) != ERROR_SUCCESS)
        return 0;
    char text[PLAYER_WINDOW_TEXT_BYTES], folder[PLAYLIST_PATH_CHARS];
    if (ReadRegistryString(key, PLAYER_WINDOW_VALUE, text, sizeof text) != ERROR_SUCCESS ||
        ReadRegistryString(key, PLAYER_LAST_DIR_VALUE, folder, sizeof folder) != ERROR_SUCCESS) {
        RegCloseKey(key);
        return 0;
    }
    PlayerWindowSettings settings;
    DefaultsAtWindow(player, &settings);
    ParsePlayerWindowSettings(text, &settings);
    strcpy(player->lastAddDir, folder);
    player->topmost = settings.topmost != 0;
    player->shuffle = settings.shuffle != 0;
    player->alpha = settings.alpha;
    // Placed as unrolled, so that no rolled-up height limit cuts the saved
    // size; a window saved taller than its button strip is unrolled.
    player->rolledUp = 0;
    PlaceWindow(player, &settings);
    player->rollDirection = settings.rollDirection;
    player->rolledUp = settings.rolledUp;
    int outOfMemory = 0;
    RestorePlaylistRows(key, player->list, settings.rowCount, &outOfMemory);
    int rows = (int)SendMessageA(player->list, LB_GETCOUNT, 0, 0);
    if (settings.selectedRow >= 0 && settings.selectedRow < rows)
        SelectOnlyRow(player->list, settings.selectedRow);
    if (settings.scopeOpen)
        SendMessageA(player->window, WM_COMMAND, CM_AUDIO_SCOPE, settings.scopeState);
    RegCloseKey(key);
    return outOfMemory ? -1 : 1;
}

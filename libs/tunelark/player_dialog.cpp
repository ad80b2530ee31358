// The player dialog's procedure: creation, commands, drawing, sizing, moving
// and closing. Playback itself lives in player_playback.cpp.
#include "player.h"

#include <commctrl.h>
#include <mmsystem.h>
#include <shellapi.h>
#include <vfw.h>

#include <cstdlib>
#include <ctime>
#include <new>

#include "player_text.h"
#include "scope_window.h"
#include "tunelark.h"
#include "module_instance.h"
#include "ui_seams.h"

namespace {

const COLORREF RowTop = RGB(0, 0, 0xBF), RowBottom = RGB(0, 0xBF, 0);
const COLORREF CurrentTop = RGB(0, 0, 0xFF), CurrentBottom = RGB(0, 0xFF, 0);
const COLORREF SelectedTop = RGB(0xBB, 0, 0), SelectedBottom = RGB(0xEF, 0xEF, 0);
const COLORREF SelectedCurrentTop = RGB(0xFF, 0, 0), SelectedCurrentBottom = RGB(0xFF, 0xFF, 0);
const COLORREF TipBackground = RGB(0, 0, 0xBF);

enum { ICON_SIZE = 32, ROW_FONT_HEIGHT = -8, ROW_FONT_WEIGHT = 1000, ROW_MARGIN = 3 };

int TopOfMark(PlayerState *player, int id)
{
    RECT mark;
    GetWindowRect(GetDlgItem(player->window, id), &mark);
    return mark.top;
}

// A window taller than its button strip is unrolled, whatever the flags say:
// the first sizing of a full-height window clears the rolled-up default.
void SyncRolledState(PlayerState *player)
{
    RECT window;
    GetWindowRect(player->window, &window);
    if (player->rolledUp && window.bottom > TopOfMark(player, IDC_ROLLED_MARK) + 1) {
        player->rollDirection = 2;
        player->rolledUp = 0;
        InvalidateRect(GetDlgItem(player->window, IDC_ROLL), nullptr, TRUE);
    }
}

void ApplyTopmost(PlayerState *player)
{
    HWND after = player->topmost ? HWND_TOPMOST : HWND_NOTOPMOST;
    SetWindowPos(player->window, after, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
    if (player->scope && IsWindow(player->scope))
        SetWindowPos(player->scope, after, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
    CheckMenuItem(player->menu, CM_TOP_WINDOW, MF_BYCOMMAND | (player->topmost ? MF_CHECKED : MF_UNCHECKED));
}

void CreateTip(PlayerState *player)
{
    player->tip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                                  player->window, nullptr, ModuleInstance(), nullptr);
    if (!player->tip)
        return;
    TOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_CENTERTIP;
    tool.hwnd = player->window;
    tool.uId = (UINT_PTR)player->window;
    tool.lpszText = (LPSTR) "";
    SendMessageA(player->tip, TTM_ADDTOOLA, 0, (LPARAM)&tool);
    SendMessageA(player->tip, TTM_SETDELAYTIME, TTDT_INITIAL, 65535);
    SendMessageA(player->tip, TTM_SETDELAYTIME, TTDT_RESHOW, 1);
    SendMessageA(player->tip, TTM_SETDELAYTIME, TTDT_AUTOPOP, 65535);
    SendMessageA(player->tip, TTM_SETTIPBKCOLOR, TipBackground, 0);
    SendMessageA(player->tip, TTM_SETTIPTEXTCOLOR, RGB(255, 255, 255), 0);
    SetWindowTransparency(player->tip, player->alpha);
}

void RepaintStatusPanel(PlayerState *player)
{
    HWND panel = GetDlgItem(player->window, IDC_STATUS);
    if (player->dragging) {
        long position = (long)SendDlgItemMessageA(player->window, IDC_POSITION, TBM_GETPOS, 0, 0);
        DrawStatusPanel(panel, player->mciWindow, position, player->currentIndex, 1,
                        player->recorder.recording);
    } else if (player->mciWindow) {
        long position = (long)SendMessageA(player->mciWindow, MCIWNDM_GETPOSITIONA, 0, 0);
        DrawStatusPanel(panel, player->mciWindow, position, player->currentIndex, 1,
                        player->recorder.recording);
    } else {
        DrawStatusPanel(panel, nullptr, 0, player->currentIndex, 0, player->recorder.recording);
    }
}

// The static control would paint its own background over the panel.
LRESULT CALLBACK StatusPanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam,
                                 UINT_PTR id, DWORD_PTR data)
{
    if (message == WM_ERASEBKGND)
        return 1;
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        BeginPaint(panel, &paint);
        EndPaint(panel, &paint);
        if (PlayerState *player = PlayerOf(GetParent(panel)))
            RepaintStatusPanel(player);
        return 0;
    }
    return DefSubclassProc(panel, message, wParam, lParam);
}

BOOL OnInitPlayer(HWND window)
{
    PlayerState *player = (PlayerState *)calloc(1, sizeof(PlayerState));
    if (!player)
        return FALSE;
    SetWindowLongPtrA(window, DWLP_USER, (LONG_PTR)player);
    HINSTANCE instance = ModuleInstance();
    player->window = window;
    player->list = GetDlgItem(window, IDC_PLAYLIST);
    player->currentIndex = -1;
    player->rollDone = 1;
    player->rollDirection = 2;
    player->rolledUp = 1;
    player->alpha = 255;
    DragAcceptFiles(window, TRUE);
    player->menuBar = LoadMenuA(instance, MAKEINTRESOURCEA(IDM_PLAYER));
    player->menu = player->menuBar ? GetSubMenu(player->menuBar, 0) : nullptr;
    player->rollNeutralIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_ROLL_NEUTRAL));
    player->rollUpIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_ROLL_UP_ARROW));
    player->rollDownIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_ROLL_DOWN_ARROW));
    for (int i = 0; i < PLAYER_BUTTON_ICONS; ++i)
        player->buttonIcons[i] = (HICON)LoadImageA(instance, MAKEINTRESOURCEA(IDI_BUTTON_FIRST + i),
                                                   IMAGE_ICON, ICON_SIZE, ICON_SIZE, 0);
    SetWindowSubclass(GetDlgItem(window, IDC_STATUS), StatusPanelProc, 0, 0);
    SetTimer(window, PLAYER_TIMER, PLAYER_TICK_MS, (TIMERPROC)(void *)Tunelark);
    HWND volume = GetDlgItem(window, IDC_VOLUME);
    SendMessageA(volume, TBM_SETRANGE, FALSE, MAKELPARAM(0, 65535));
    SendMessageA(volume, TBM_SETTICFREQ, 4095, 0);
    DWORD level = 0;
    if (waveOutGetVolume((HWAVEOUT)(UINT_PTR)WAVE_MAPPER, &level) == MMSYSERR_NOERROR)
        SendMessageA(volume, TBM_SETPOS, TRUE, LOWORD(level));
    LoadPlayerSettings(player);
    SyncRolledState(player);
    if (player->topmost)
        ApplyTopmost(player);
    CreateTip(player);
    srand((unsigned)time(nullptr));
    StartMidas(player);
    player->settingsSaved = 0;
    return TRUE;
}

void OnPlayerDestroy(PlayerState *player)
{
    if (!player->settingsSaved)
        SavePlayerSettings(player, FirstSelectedRow(player->list));
    player->settingsSaved = 1;
    if (player->recorder.recording)
        ToggleRecording(player);
    CloseCurrentTrack(player);
    DragAcceptFiles(player->window, FALSE);
    if (player->menuBar)
        DestroyMenu(player->menuBar);
    player->menuBar = player->menu = nullptr;
    KillTimer(player->window, PLAYER_TIMER);
    for (HICON &icon : player->buttonIcons)
        if (icon) {
            DestroyIcon(icon);
            icon = nullptr;
        }
    RemoveWindowSubclass(GetDlgItem(player->window, IDC_STATUS), StatusPanelProc, 0);
    DeleteAllRows(player->list);
    CloseMidas(player);
}

void OnPlayerClose(PlayerState *player)
{
    if (player->recorder.recording)
        ToggleRecording(player);
    CloseCurrentTrack(player);
    CloseMidas(player);
    if (!player->settingsSaved)
        SavePlayerSettings(player, FirstSelectedRow(player->list));
    player->settingsSaved = 1;
    HWND scope = player->scope;
    if (player->tip)
        DestroyWindow(player->tip);
    player->tip = nullptr;
    player->scope = nullptr;
    DestroyWindow(player->window);
    if (scope && IsWindow(scope))
        DestroyWindow(scope);
}

void StartRoll(PlayerState *player, bool atOnce)
{
    player->rollDirection = player->rolledUp ? 2 : 0;
    player->rolledUp = !player->rolledUp;
    InvalidateRect(GetDlgItem(player->window, IDC_ROLL), nullptr, TRUE);
    RollParams *roll = new (std::nothrow) RollParams();
    if (!roll)
        return;
    RECT window;
    GetWindowRect(player->window, &window);
    roll->window = player->window;
    roll->step = atOnce ? ROLL_STEP_AT_ONCE : ROLL_STEP;
    roll->rollDone = &player->rollDone;
    roll->targetRight = window.right;
    roll->targetBottom = TopOfMark(player, player->rolledUp ? IDC_ROLLED_MARK : IDC_LIST_BOTTOM_MARK);
    InterlockedExchange(&player->rollDone, 0);
    if (player->tip)
        SendMessageA(player->tip, TTM_POP, 0, 0);
    ShowWindow(player->list, SW_HIDE);
    HANDLE thread = CreateThread(nullptr, 512, WindowRollThread, roll, 0, nullptr);
    if (thread) {
        CloseHandle(thread);
    } else {
        delete roll;
        InterlockedExchange(&player->rollDone, 1);
    }
}

void ToggleScope(PlayerState *player, LPARAM state)
{
    if (player->scope && IsWindow(player->scope)) {
        SendMessageA(player->scope, WM_CLOSE, 0, 0);
        player->scope = nullptr;
        return;
    }
    player->scope = CreateScopeWindow(player->window, (int)state);
    if (!player->scope)
        return;
    SetWindowTransparency(player->scope, player->alpha);
    RECT window;
    GetWindowRect(player->window, &window);
    player->scopeAnchor = window;
    SetWindowPos(player->scope, nullptr, window.left, window.bottom + 1, 0, 0,
                 SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOZORDER);
}

// How far the scope moves on one axis: a scope beyond the player's high edge
// (under it, or right of it) follows that edge, anything else the low edge,
// so that resizing from the far side leaves it where it is.
static LONG ScopeShift(LONG scopeLow, LONG oldLow, LONG oldHigh, LONG newLow, LONG newHigh)
{
    return scopeLow >= oldHigh ? newHigh - oldHigh : newLow - oldLow;
}

// The scope goes where the player goes, keeping its place against the edge
// of the player it was placed at, whichever edge the player was sized from.
void OnPlayerMoved(PlayerState *player)
{
    RECT window, scope;
    if (!player->scope || !IsWindow(player->scope) || !GetWindowRect(player->window, &window) ||
        !GetWindowRect(player->scope, &scope))
        return;
    const RECT &old = player->scopeAnchor;
    LONG dx = ScopeShift(scope.left, old.left, old.right, window.left, window.right);
    LONG dy = ScopeShift(scope.top, old.top, old.bottom, window.top, window.bottom);
    player->scopeAnchor = window;
    if (dx || dy)
        SetWindowPos(player->scope, nullptr, scope.left + dx, scope.top + dy, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetTransparency(PlayerState *player, int id)
{
    player->alpha = AlphaOfTransparencyItem(id);
    SetWindowTransparency(player->window, player->alpha);
    SetWindowTransparency(player->scope, player->alpha);
    SetWindowTransparency(player->tip, player->alpha);
}

void OnPlayerCommand(PlayerState *player, int id, int code, LPARAM lParam)
{
    if (id >= CM_TRANSPARENCY_OFF && id <= CM_TRANSPARENCY_90) {
        SetTransparency(player, id);
        return;
    }
    switch (id) {
    case IDC_PREV: PlayPrevious(player); break;
    case IDC_PLAY: StartTrack(player, code); break;
    case IDC_STOP: StopPlaying(player); break;
    case IDC_PAUSE: PauseOrResume(player); break;
    case IDC_NEXT: PlayNext(player); break;
    case IDC_ADD: {
        POINT cursor;
        GetCursorPos(&cursor);
        TrackPopupMenu(player->menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0,
                       player->window, nullptr);
        break;
    }
    case IDC_SHUFFLE:
        player->shuffle = !player->shuffle;
        if (player->shuffle)
            for (int row = 0, n = (int)SendMessageA(player->list, LB_GETCOUNT, 0, 0); row < n; ++row)
                if (PlaylistEntry *entry = EntryOfRow(player->list, row))
                    entry->shufflePicked = 0;
        InvalidateRect(GetDlgItem(player->window, IDC_SHUFFLE), nullptr, TRUE);
        break;
    case IDC_CLOSE: PostMessageA(player->window, WM_CLOSE, 0, 0); break;
    case IDC_PLAYLIST:
        if (code == LBN_DBLCLK) {
            if (player->mciWindow) {
                SendMessageA(player->mciWindow, MCI_STOP, 0, 0);
                SendMessageA(player->mciWindow, WM_CLOSE, 0, 0);
                player->mciWindow = nullptr;
            }
            SendMessageA(player->window, WM_COMMAND, MAKEWPARAM(IDC_PLAY, PLAY_DOUBLE_CLICK), 0);
        }
        break;
    case IDC_ROLL: StartRoll(player, code != 0); break;
    case CM_ADD_DIR: AddDirectoryCommand(player); break;
    case CM_ADD_FILES: AddFilesCommand(player); break;
    case CM_DEL_ALL: DeleteAllRows(player->list); break;
    case CM_DEL_FILES: DeleteSelectedRows(player->list); break;
    case CM_TOP_WINDOW:
        player->topmost = !player->topmost;
        ApplyTopmost(player);
        break;
    case CM_SAVE_PLAYLIST: SavePlaylistFile(player->window); break;
    case CM_LOAD_PLAYLIST: LoadPlaylistCommand(player); break;
    case CM_RECORD_OUTPUT: ToggleRecording(player); break;
    case CM_AUDIO_SCOPE: ToggleScope(player, lParam); break;
    }
}

void DrawButton(PlayerState *player, const DRAWITEMSTRUCT *item)
{
    int id = (int)item->CtlID;
    if (id == IDC_ROLL) {
        HICON icon = player->rollDirection == 0   ? player->rollDownIcon
                     : player->rollDirection == 2 ? player->rollUpIcon
                                                  : player->rollNeutralIcon;
        DrawIconEx(item->hDC, 0, 0, icon, ICON_SIZE, ICON_SIZE, 0, nullptr, DI_NORMAL);
        return;
    }
    if (!(item->itemAction & (ODA_DRAWENTIRE | ODA_SELECT)))
        return;
    int image = 2 * (id - IDC_PREV);
    bool pressed = (item->itemState & ODS_SELECTED) != 0;
    bool disabled = (item->itemState & ODS_DISABLED) != 0;
    if (!pressed && !disabled && id == IDC_SHUFFLE && player->shuffle)
        image = IDI_SHUFFLE_ON - IDI_BUTTON_FIRST;
    else if (pressed || disabled)
        image += 1;
    bool paused = player->moduleState == MODULE_PAUSED ||
                  (player->mciWindow && SendMessageA(player->mciWindow, MCIWNDM_GETMODEA, 0, 0) == MCI_MODE_PAUSE);
    if (id == IDC_PAUSE && paused)
        image = pressed ? 2 * (id - IDC_PREV) : 2 * (id - IDC_PREV) + 1;
    DrawIconEx(item->hDC, 0, 0, player->buttonIcons[image], ICON_SIZE, ICON_SIZE, 0, nullptr, DI_NORMAL);
}

void DrawPlaylistRow(PlayerState *player, const DRAWITEMSTRUCT *item)
{
    if (!player->rollDone || (int)item->itemID < 0 || !(item->itemAction & (ODA_DRAWENTIRE | ODA_SELECT)))
        return;
    bool selected = (item->itemState & ODS_SELECTED) != 0;
    bool current = (int)item->itemID == player->currentIndex;
    COLORREF top = selected ? (current ? SelectedCurrentTop : SelectedTop) : (current ? CurrentTop : RowTop);
    COLORREF bottom = selected ? (current ? SelectedCurrentBottom : SelectedBottom)
                               : (current ? CurrentBottom : RowBottom);
    DrawGradient(item->hDC, &item->rcItem, top, bottom);
    if (!EntryOfRow(item->hwndItem, item->itemID))
        return;
    int length = (int)SendMessageA(item->hwndItem, LB_GETTEXTLEN, item->itemID, 0);
    char *text = length >= 0 ? (char *)calloc(length + 1, 1) : nullptr;
    char *line = text ? (char *)calloc(length + 16, 1) : nullptr;
    if (line) {
        SendMessageA(item->hwndItem, LB_GETTEXT, item->itemID, (LPARAM)text);
        wsprintfA(line, "[%03d] ", (int)item->itemID + 1);
        lstrcatA(line, text);
        HFONT font = CreateFontA(ROW_FONT_HEIGHT, 0, 0, 0, ROW_FONT_WEIGHT, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                                 "Tahoma");
        HGDIOBJ old = font ? SelectObject(item->hDC, font) : nullptr;
        SetBkMode(item->hDC, TRANSPARENT);
        SetTextColor(item->hDC, RGB(255, 255, 255));
        RECT area = item->rcItem;
        InflateRect(&area, -ROW_MARGIN, -ROW_MARGIN);
        DrawTextA(item->hDC, line, -1, &area, DT_NOPREFIX | DT_VCENTER | DT_SINGLELINE);
        if (font) {
            SelectObject(item->hDC, old);
            DeleteObject(font);
        }
    }
    free(text);
    free(line);
}

void OnPlayerContextMenu(PlayerState *player, int x, int y)
{
    int percent = TransparencyPercentOfAlpha(player->alpha);
    for (int id = CM_TRANSPARENCY_OFF; id <= CM_TRANSPARENCY_90; id += 10)
        CheckMenuItem(player->menu, id,
                      MF_BYCOMMAND | ((id - CM_TRANSPARENCY_OFF) / 10 * 10 == percent ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(player->menu, CM_AUDIO_SCOPE,
                  MF_BYCOMMAND | (player->scope && IsWindow(player->scope) ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(player->menu, CM_RECORD_OUTPUT,
                  MF_BYCOMMAND | (player->recorder.recording ? MF_CHECKED : MF_UNCHECKED));
    TrackPopupMenu(player->menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, 0, player->window, nullptr);
}

void OnPlayerSize(PlayerState *player, int width, int height)
{
    OnPlayerMoved(player);
    if (player->rollDone)
        SyncRolledState(player);
    if (player->rollDone && !player->rolledUp) {
        RECT list;
        GetWindowRect(player->list, &list);
        MapWindowPoints(nullptr, player->window, (POINT *)&list, 2);
        int bottom = height - GetSystemMetrics(SM_CYDLGFRAME);
        if (bottom > list.top)
            SetWindowPos(player->list, nullptr, 0, 0, list.right - list.left, bottom - list.top,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        SetWindowPos(GetDlgItem(player->window, IDC_LIST_BOTTOM_MARK), nullptr, 0, bottom, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT outer;
    GetWindowRect(player->window, &outer);
    HRGN region = CreateRoundRectRgn(0, 0, outer.right - outer.left + 1, outer.bottom - outer.top + 1, 8, 8);
    if (region && !SetWindowRgn(player->window, region, TRUE))
        DeleteObject(region);
    InvalidateRect(player->window, nullptr, TRUE);
}

void OnPlayerMinMax(PlayerState *player, MINMAXINFO *info)
{
    RECT window;
    GetWindowRect(player->window, &window);
    info->ptMinTrackSize.x = info->ptMaxTrackSize.x = window.right - window.left;
    if (!player->rollDone)
        return;
    if (player->rolledUp) {
        int height = TopOfMark(player, IDC_ROLLED_MARK) - window.top;
        info->ptMinTrackSize.y = info->ptMaxTrackSize.y = height;
    } else {
        info->ptMinTrackSize.y = TopOfMark(player, IDC_MIN_HEIGHT_MARK) - window.top;
    }
}

void OnDropFiles(PlayerState *player, HDROP drop)
{
    int before = (int)SendMessageA(player->list, LB_GETCOUNT, 0, 0);
    UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        char path[PLAYLIST_PATH_CHARS];
        if (DragQueryFileA(drop, i, path, sizeof path) == 0)
            continue;
        if (IsDirectoryPath(path))
            AddFolderOfEveryType(player->list, path);
        else
            AddDirectoryFiles(player->list, path, "");
    }
    DragFinish(drop);
    int after = (int)SendMessageA(player->list, LB_GETCOUNT, 0, 0);
    if (!player->mciWindow) {
        if (after > before)
            SelectOnlyRow(player->list, before);
        PostMessageA(player->window, WM_COMMAND, MAKEWPARAM(IDC_PLAY, PLAY_BY_USER), 0);
    } else if (!MciIsPlayingOrPaused(player)) {
        PostMessageA(player->window, WM_COMMAND, MAKEWPARAM(IDC_PLAY, PLAY_BY_USER), 0);
    }
}

void OnPlayerMouse(PlayerState *player, UINT message, WPARAM keys, LPARAM lParam)
{
    POINT point = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
    if (message == WM_LBUTTONDOWN) {
        player->dragPoint = point;
        SetCapture(player->window);
    } else if (message == WM_LBUTTONUP) {
        player->dragPoint = point;
        ReleaseCapture();
    } else if (keys == MK_LBUTTON) {
        RECT window;
        GetWindowRect(player->window, &window);
        SetWindowPos(player->window, nullptr, window.left + point.x - player->dragPoint.x,
                     window.top + point.y - player->dragPoint.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (player->tip) {
            SendMessageA(player->tip, TTM_ACTIVATE, FALSE, 0);
            SendMessageA(player->tip, TTM_POP, 0, 0);
        }
    } else if (GetCapture() == player->window) {
        ReleaseCapture();
    }
}

void OnPlayerPaint(PlayerState *player)
{
    if (!player->dragging && !player->mciWindow)
        SetScopeSampling(player->scope, 0);
    else if (!player->dragging)
        SetScopeSampling(player->scope, 1);
    if (!player->rollDone)
        return;
    static const int repainted[] = {IDC_PREV, IDC_PLAY, IDC_STOP, IDC_PAUSE, IDC_NEXT, IDC_ADD, IDC_SHUFFLE,
                                    IDC_STATUS, IDC_VOLUME, IDC_ROLL, IDC_CLOSE, IDC_POSITION};
    for (int id : repainted)
        InvalidateRect(GetDlgItem(player->window, id), nullptr, FALSE);
}

} // namespace

PlayerState *PlayerOf(HWND window)
{
    return (PlayerState *)GetWindowLongPtrA(window, DWLP_USER);
}

extern "C" INT_PTR WINAPI Tunelark(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        return OnInitPlayer(window);
    PlayerState *player = PlayerOf(window);
    if (!player)
        return FALSE;
    switch (message) {
    case WM_TIMER: OnPlayerTick(player); return TRUE;
    case WM_COMMAND: OnPlayerCommand(player, LOWORD(wParam), HIWORD(wParam), lParam); return TRUE;
    case WM_HSCROLL: OnPlayerSlider(player, (HWND)lParam, LOWORD(wParam)); return TRUE;
    case WM_PAINT: OnPlayerPaint(player); return FALSE;
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT *item = (const DRAWITEMSTRUCT *)lParam;
        if (item->CtlID == IDC_PLAYLIST)
            DrawPlaylistRow(player, item);
        else
            DrawButton(player, item);
        return TRUE;
    }
    case WM_CONTEXTMENU: OnPlayerContextMenu(player, (short)LOWORD(lParam), (short)HIWORD(lParam)); return TRUE;
    case WM_SIZE: OnPlayerSize(player, LOWORD(lParam), HIWORD(lParam)); return TRUE;
    case WM_MOVE: OnPlayerMoved(player); return TRUE;
    case WM_GETMINMAXINFO: OnPlayerMinMax(player, (MINMAXINFO *)lParam); return TRUE;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE: OnPlayerMouse(player, message, wParam, lParam); return TRUE;
    case WM_LBUTTONDBLCLK: SendMessageA(window, WM_COMMAND, IDC_ROLL, 0); return TRUE;
    case WM_DROPFILES: OnDropFiles(player, (HDROP)wParam); return TRUE;
    case WM_ACTIVATE: player->active = LOWORD(wParam) != WA_INACTIVE; return FALSE;
    case WM_USER:
        if (wParam == PLAYER_SAVE_STATE) {
            SavePlayerSettings(player, FirstSelectedRow(player->list));
            player->settingsSaved = (int)lParam;
        }
        return TRUE;
    case WM_CLOSE: OnPlayerClose(player); return TRUE;
    case WM_ENDSESSION:
        if (wParam && !player->settingsSaved) {
            SavePlayerSettings(player, FirstSelectedRow(player->list));
            player->settingsSaved = 1;
        }
        return TRUE;
    case WM_DESTROY: OnPlayerDestroy(player); return TRUE;
    case WM_NCDESTROY:
        SetWindowLongPtrA(window, DWLP_USER, 0);
        free(player);
        return FALSE;
    }
    return FALSE;
}

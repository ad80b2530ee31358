// Starting, stopping and pausing tracks, moving on when one ends, and the
// status panel.
#include "player.h"

#include <commctrl.h>
#include <mmsystem.h>
#include <vfw.h>

#include <cstdlib>

#include "media_types.h"
#include "player_text.h"
#include "track_info.h"
#include "module_instance.h"
#include "ui_seams.h"

namespace {

enum {
    MIDAS_SEPARATION = 32,
    MCI_AUDIO_STYLE = MCIWNDF_NOAUTOSIZEWINDOW | MCIWNDF_NOPLAYBAR | MCIWNDF_NOAUTOSIZEMOVIE,
    STATUS_FONT_HEIGHT = -9,
};

const COLORREF StatusTop = RGB(0, 0, 0xAF), StatusBottom = RGB(0, 0xAF, 0);
const COLORREF RecordingTop = RGB(0xAF, 0xAF, 0), RecordingBottom = RGB(0xAF, 0, 0);

void EnablePlay(PlayerState *player, BOOL enable)
{
    EnableWindow(GetDlgItem(player->window, IDC_PLAY), enable);
}

void RepaintPause(PlayerState *player)
{
    InvalidateRect(GetDlgItem(player->window, IDC_PAUSE), nullptr, TRUE);
}

bool PlayIsDisabled(PlayerState *player)
{
    return !IsWindowEnabled(GetDlgItem(player->window, IDC_PLAY));
}

void SetTipText(PlayerState *player, const char *text)
{
    if (!player->tip)
        return;
    TOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    tool.hwnd = player->window;
    tool.uId = (UINT_PTR)player->window;
    tool.uFlags = TTF_IDISHWND;
    tool.lpszText = (LPSTR)text;
    SendMessageA(player->tip, TTM_SETMAXTIPWIDTH, 0, 500);
    SendMessageA(player->tip, TTM_UPDATETIPTEXTA, 0, (LPARAM)&tool);
}

void ActivateTip(PlayerState *player, BOOL on)
{
    if (player->tip)
        SendMessageA(player->tip, TTM_ACTIVATE, on, 0);
}

LONG MciMode(HWND mciWindow)
{
    return (LONG)SendMessageA(mciWindow, MCIWNDM_GETMODEA, 0, 0);
}

int StartModule(PlayerState *player, const char *path)
{
    player->module = MIDASloadModule(path);
    if (!player->module)
        return -1;
    player->playHandle = MIDASplayModule(player->module, FALSE);
    if (!player->playHandle)
        return -1;
    MIDASmoduleInfo info = {};
    MIDASgetModuleInfo(player->module, &info);
    char name[sizeof info.songName + 1];
    lstrcpynA(name, info.songName, sizeof name);
    char tip[TIP_TEXT_BYTES];
    FormatModuleTip(tip, sizeof tip, name, (int)info.songLength);
    SetTipText(player, tip);
    EnablePlay(player, FALSE);
    RepaintPause(player);
    player->moduleState = MODULE_PLAYING;
    player->moduleElapsedMs = 0;
    player->moduleStartTick = GetTickCount();
    return 0;
}

int StartMci(PlayerState *player, const char *path, int type)
{
    // No error box of the MCI window: a file that cannot play is passed over
    // quietly, as every other failure to start is.
    if (type == MEDIA_MCI_AUDIO) {
        player->mciWindow = MCIWndCreateA(player->window, ModuleInstance(),
                                          MCI_AUDIO_STYLE | MCIWNDF_NOERRORDLG, path);
        // Given a parent, the MCI window makes itself visible: sound has
        // nothing to show.
        if (player->mciWindow)
            ShowWindow(player->mciWindow, SW_HIDE);
    } else
        player->mciWindow = MCIWndCreateA(nullptr, ModuleInstance(),
                                          WS_VISIBLE | MCIWNDF_NOPLAYBAR | MCIWNDF_NOERRORDLG, path);
    if (!player->mciWindow)
        return -1;
    EnableWindow(GetDlgItem(player->window, IDC_POSITION), TRUE);
    if (!SendMessageA(player->mciWindow, MCIWNDM_CAN_PLAY, 0, 0))
        return -1;
    SendMessageA(player->mciWindow, MCIWNDM_SETTIMEFORMATA, 0, (LPARAM) "ms");
    SendMessageA(player->mciWindow, MCI_PLAY, 0, 0);
    EnablePlay(player, FALSE);
    RepaintPause(player);
    TrackInfo info = {};
    info.year = -1;
    ReadTrackInfo(path, &info);
    char tip[TIP_TEXT_BYTES];
    FormatTrackTip(tip, sizeof tip, &info);
    SetTipText(player, tip);
    return 0;
}

// 0 when the row's file started.
int TryStartRow(PlayerState *player, int row)
{
    PlaylistEntry *entry = EntryOfRow(player->list, row);
    if (!entry)
        return -1;
    entry->played = 1;
    CloseCurrentTrack(player);
    int type = GetMediaType(entry->path);
    int result = -1;
    if (type == MEDIA_MODULE)
        result = StartModule(player, entry->path);
    else if (type == MEDIA_MCI_AUDIO || type == MEDIA_MCI_VIDEO)
        result = StartMci(player, entry->path, type);
    if (result != 0)
        CloseCurrentTrack(player);
    return result;
}

int RandomNumber(void)
{
    return rand();
}

int StartPickedRow(int row, void *context)
{
    PlayerState *player = (PlayerState *)context;
    player->currentIndex = row;
    SelectOnlyRow(player->list, row);
    return TryStartRow(player, row);
}

// The next row of the shuffled round that plays; -1 when none will.
int PlayShuffledTrack(PlayerState *player)
{
    int count = (int)SendMessageA(player->list, LB_GETCOUNT, 0, 0);
    if (count <= 0)
        return -1;
    PlaylistEntry **entries = (PlaylistEntry **)calloc(count, sizeof *entries);
    if (!entries)
        return -1;
    for (int row = 0; row < count; ++row)
        entries[row] = EntryOfRow(player->list, row);
    int played = StartShuffledRow(entries, count, RandomNumber, player->currentIndex, StartPickedRow, player);
    free(entries);
    return played;
}

int ChooseRow(PlayerState *player, int how)
{
    int selected = FirstSelectedRow(player->list);
    int count = (int)SendMessageA(player->list, LB_GETCOUNT, 0, 0);
    if (count <= 0)
        return -1;
    if (how == PLAY_DOUBLE_CLICK)
        return selected;
    int row = selected < 0 ? 0 : selected;
    if (selected < 0 || how == PLAY_AUTOMATIC)
        SelectOnlyRow(player->list, row);
    return row;
}

void ShowTrackEnded(PlayerState *player)
{
    SetScopeSampling(player->scope, 0);
    ActivateTip(player, FALSE);
    SendDlgItemMessageA(player->window, IDC_POSITION, TBM_SETPOS, TRUE, 0);
    if (PlayIsDisabled(player))
        PlayNext(player);
}

void ShowModuleStatus(PlayerState *player)
{
    MIDASplayStatus status = {};
    MIDASmoduleInfo info = {};
    MIDASgetPlayStatus(player->playHandle, &status);
    MIDASgetModuleInfo(player->module, &info);
    if (!player->dragging) {
        HWND slider = GetDlgItem(player->window, IDC_POSITION);
        SendMessageA(slider, TBM_SETRANGE, TRUE, MAKELPARAM(0, info.songLength));
        SendMessageA(slider, TBM_SETPOS, TRUE, status.position);
    }
    DWORD elapsed = player->moduleElapsedMs;
    if (player->moduleState == MODULE_PLAYING) {
        elapsed += GetTickCount() - player->moduleStartTick;
        SetScopeSampling(player->scope, 1);
    } else {
        SetScopeSampling(player->scope, 0);
    }
    DrawStatusPanel(GetDlgItem(player->window, IDC_STATUS), nullptr, (long)elapsed,
                    player->currentIndex, 1, player->recorder.recording);
    if (status.songLoopCount != 0)
        player->moduleState = MODULE_STOPPED; // the song ended; the next tick moves on
}

void ShowMciStatus(PlayerState *player)
{
    LONG mode = MciMode(player->mciWindow);
    HWND slider = GetDlgItem(player->window, IDC_POSITION);
    HWND panel = GetDlgItem(player->window, IDC_STATUS);
    if (mode == MCI_MODE_STOP) {
        ShowTrackEnded(player);
        return;
    }
    if (mode != MCI_MODE_PLAY && mode != MCI_MODE_PAUSE)
        return;
    if (mode == MCI_MODE_PAUSE)
        SetScopeSampling(player->scope, 0);
    if (player->dragging) {
        long position = (long)SendMessageA(slider, TBM_GETPOS, 0, 0);
        DrawStatusPanel(panel, player->mciWindow, position, player->currentIndex, 1,
                        player->recorder.recording);
        return;
    }
    if (mode == MCI_MODE_PLAY)
        SetScopeSampling(player->scope, 1);
    LONG length = (LONG)SendMessageA(player->mciWindow, MCIWNDM_GETLENGTH, 0, 0);
    LONG position = (LONG)SendMessageA(player->mciWindow, MCIWNDM_GETPOSITIONA, 0, 0);
    SendMessageA(slider, TBM_SETRANGEMIN, FALSE, 0);
    SendMessageA(slider, TBM_SETRANGEMAX, TRUE, length);
    SendMessageA(slider, TBM_SETPOS, TRUE, position);
    DrawStatusPanel(panel, player->mciWindow, position, player->currentIndex, 1,
                    player->recorder.recording);
}

void UpdateTipActivation(PlayerState *player)
{
    if (!player->rollDone) {
        SendMessageA(player->tip, TTM_POP, 0, 0);
        ActivateTip(player, FALSE);
        return;
    }
    RECT area;
    GetWindowRect(player->window, &area);
    InflateRect(&area, -GetSystemMetrics(SM_CXDLGFRAME), -GetSystemMetrics(SM_CXDLGFRAME));
    POINT cursor;
    GetCursorPos(&cursor);
    ActivateTip(player, player->active && PtInRect(&area, cursor));
}

} // namespace

void SetScopeSampling(HWND scope, int on)
{
    if (scope && IsWindow(scope))
        SendMessageA(scope, WM_USER, on ? 100 : 200, 0);
}

void StartMidas(PlayerState *player)
{
    player->module = nullptr;
    player->playHandle = 0;
    player->moduleState = MODULE_STOPPED;
    // Failures here show only as modules that do not start.
    MIDASstartup();
    MIDASsetOption(MIDAS_OPTION_DEFAULT_STEREO_SEPARATION, MIDAS_SEPARATION);
    MIDASsetOption(MIDAS_OPTION_OUTPUTMODE, MIDAS_MODE_16BIT_STEREO);
    MIDASsetOption(MIDAS_OPTION_MIXING_MODE, 1);
    MIDASsetOption(MIDAS_OPTION_16BIT_ULAW_AUTOCONVERT, 0);
    MIDASinit();
    MIDASstartBackgroundPlay(0);
    player->midasOpen = 1;
}

void CloseMidas(PlayerState *player)
{
    if (!player->midasOpen)
        return;
    MIDASstopBackgroundPlay();
    MIDASclose();
    player->midasOpen = 0;
}

void CloseCurrentTrack(PlayerState *player)
{
    if (player->mciWindow) {
        SendMessageA(player->mciWindow, MCI_STOP, 0, 0);
        SendMessageA(player->mciWindow, WM_CLOSE, 0, 0);
        player->mciWindow = nullptr;
    }
    if (player->module) {
        if (player->playHandle)
            MIDASstopModule(player->playHandle);
        MIDASfreeModule(player->module);
        player->module = nullptr;
        player->playHandle = 0;
    }
    player->moduleState = MODULE_STOPPED;
}

bool MciIsPlayingOrPaused(const PlayerState *player)
{
    if (!player->mciWindow)
        return false;
    LONG mode = MciMode(player->mciWindow);
    return mode == MCI_MODE_PLAY || mode == MCI_MODE_PAUSE;
}

void StartTrack(PlayerState *player, int how)
{
    bool mciPaused = player->mciWindow && MciMode(player->mciWindow) == MCI_MODE_PAUSE;
    if (mciPaused || (!player->mciWindow && player->moduleState == MODULE_PAUSED)) {
        PauseOrResume(player);
        return;
    }
    if (how == PLAY_AUTOMATIC && player->shuffle) {
        // Rows that will not play are passed over inside the round.
        int played = PlayShuffledTrack(player);
        InvalidateRect(player->list, nullptr, TRUE);
        if (played < 0) {
            EnablePlay(player, TRUE);
            RepaintPause(player);
        }
        return;
    }
    int row = ChooseRow(player, how);
    InvalidateRect(player->list, nullptr, TRUE);
    if (row < 0 || !EntryOfRow(player->list, row))
        return;
    // A file that will not play is passed over, not removed: it may be on a
    // drive that is back tomorrow. Every row is tried at most once.
    int count = (int)SendMessageA(player->list, LB_GETCOUNT, 0, 0);
    for (int tries = 0; tries < count; ++tries) {
        player->currentIndex = row;
        if (TryStartRow(player, row) == 0) {
            InvalidateRect(player->list, nullptr, TRUE);
            return;
        }
        row = (row + 1) % count;
        SelectOnlyRow(player->list, row);
    }
    EnablePlay(player, TRUE);
    RepaintPause(player);
    InvalidateRect(player->list, nullptr, TRUE);
}

void PlayPrevious(PlayerState *player)
{
    CloseCurrentTrack(player);
    int row = FirstSelectedRow(player->list);
    SelectOnlyRow(player->list, row <= 0 ? 0 : row - 1);
    SendMessageA(player->window, WM_COMMAND, MAKEWPARAM(IDC_PLAY, PLAY_AUTOMATIC), 0);
}

void PlayNext(PlayerState *player)
{
    CloseCurrentTrack(player);
    int row = FirstSelectedRow(player->list);
    // Past the last row nothing is selected, and the start that follows
    // takes the first row again.
    SelectOnlyRow(player->list, row < 0 ? 0 : row + 1);
    SendMessageA(player->window, WM_COMMAND, MAKEWPARAM(IDC_PLAY, PLAY_AUTOMATIC), 0);
}

void StopPlaying(PlayerState *player)
{
    CloseCurrentTrack(player);
    EnablePlay(player, TRUE);
    RepaintPause(player);
    int count = (int)SendMessageA(player->list, LB_GETCOUNT, 0, 0);
    for (int row = 0; row < count; ++row)
        if (PlaylistEntry *entry = EntryOfRow(player->list, row))
            entry->played = 0;
    InvalidateRect(player->window, nullptr, TRUE);
}

void PauseOrResume(PlayerState *player)
{
    HWND slider = GetDlgItem(player->window, IDC_POSITION);
    if (player->moduleState == MODULE_PLAYING) {
        player->moduleElapsedMs += GetTickCount() - player->moduleStartTick;
        player->moduleState = MODULE_PAUSED;
        MIDASsuspend();
        EnablePlay(player, TRUE);
        EnableWindow(slider, FALSE);
    } else if (player->moduleState == MODULE_PAUSED) {
        player->moduleStartTick = GetTickCount();
        player->moduleState = MODULE_PLAYING;
        MIDASresume();
        EnablePlay(player, FALSE);
        EnableWindow(slider, TRUE);
    } else if (player->mciWindow) {
        LONG mode = MciMode(player->mciWindow);
        if (mode == MCI_MODE_PLAY) {
            SendMessageA(player->mciWindow, MCI_PAUSE, 0, 0);
            EnablePlay(player, TRUE);
            EnableWindow(slider, FALSE);
        } else if (mode == MCI_MODE_PAUSE) {
            SendMessageA(player->mciWindow, MCI_PLAY, 0, 0);
            EnablePlay(player, FALSE);
            EnableWindow(slider, TRUE);
        }
    }
    RepaintPause(player);
}

void OnPlayerTick(PlayerState *player)
{
    if (player->rollDone && !IsWindowVisible(player->list))
        ShowWindow(player->list, SW_SHOW);
    if (!player->mciWindow && !player->module) {
        ActivateTip(player, FALSE);
        return;
    }
    if (!player->mciWindow) {
        if (player->moduleState == MODULE_STOPPED) {
            ShowTrackEnded(player);
            return;
        }
        ShowModuleStatus(player);
    } else {
        ShowMciStatus(player);
    }
    if (player->mciWindow || player->module)
        UpdateTipActivation(player);
}

void OnPlayerSlider(PlayerState *player, HWND slider, int code)
{
    HWND volume = GetDlgItem(player->window, IDC_VOLUME);
    if (slider == volume) {
        if (code == TB_THUMBTRACK || code == TB_ENDTRACK || code == TB_THUMBPOSITION) {
            DWORD level = (DWORD)SendMessageA(volume, TBM_GETPOS, 0, 0) & 0xFFFF;
            waveOutSetVolume((HWAVEOUT)(UINT_PTR)WAVE_MAPPER, level | level << 16);
        }
        return;
    }
    if (slider != GetDlgItem(player->window, IDC_POSITION))
        return;
    long position = (long)SendMessageA(slider, TBM_GETPOS, 0, 0);
    HWND panel = GetDlgItem(player->window, IDC_STATUS);
    if (code == TB_THUMBTRACK) {
        player->dragging = 1;
        DrawStatusPanel(panel, player->mciWindow, position, player->currentIndex, 1,
                        player->recorder.recording);
    } else if (code == TB_ENDTRACK && player->dragging) {
        player->dragging = 0;
        if (player->mciWindow) {
            DrawStatusPanel(panel, player->mciWindow, position, player->currentIndex, 1,
                            player->recorder.recording);
            SendMessageA(player->mciWindow, MCIWNDM_PLAYFROM, 0, position);
        } else if (player->module) {
            SendMessageA(slider, TBM_SETPOS, TRUE, 0); // modules are not positioned
        }
    }
}

void DrawGradient(HDC dc, const RECT *area, COLORREF top, COLORREF bottom)
{
    int height = area->bottom - area->top;
    for (int y = 0; y < height; ++y) {
        int span = height > 1 ? height - 1 : 1;
        COLORREF colour = RGB(GetRValue(top) + (GetRValue(bottom) - GetRValue(top)) * y / span,
                              GetGValue(top) + (GetGValue(bottom) - GetGValue(top)) * y / span,
                              GetBValue(top) + (GetBValue(bottom) - GetBValue(top)) * y / span);
        HBRUSH brush = CreateSolidBrush(colour);
        if (!brush)
            continue;
        RECT row = {area->left, area->top + y, area->right, area->top + y + 1};
        FillRect(dc, &row, brush);
        DeleteObject(brush);
    }
}

void DrawStatusPanel(HWND panel, HWND mciWindow, long milliseconds, int index, int showTime,
                     int recording)
{
    if (!panel)
        return;
    if (mciWindow) {
        LONG mode = MciMode(mciWindow);
        showTime = (mode == MCI_MODE_PLAY || mode == MCI_MODE_PAUSE) &&
                   SendMessageA(mciWindow, MCIWNDM_GETTIMEFORMATA, 0, 0) == 0;
    }
    RECT area;
    GetClientRect(panel, &area);
    HDC dc = GetDC(panel);
    if (!dc)
        return;
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, area.right, area.bottom);
    if (memory && bitmap) {
        HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
        DrawGradient(memory, &area, recording ? RecordingTop : StatusTop,
                     recording ? RecordingBottom : StatusBottom);
        if (showTime) {
            HFONT font = CreateFontA(STATUS_FONT_HEIGHT, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET,
                                     0, 0, 0, 0, "MS LineDraw");
            HGDIOBJ oldFont = font ? SelectObject(memory, font) : nullptr;
            SetBkMode(memory, TRANSPARENT);
            SetTextColor(memory, RGB(255, 255, 255));
            char text[64];
            FormatStatusText(text, sizeof text, index, milliseconds);
            TextOutA(memory, 1, 1, text, lstrlenA(text));
            if (font) {
                SelectObject(memory, oldFont);
                DeleteObject(font);
            }
        }
        BitBlt(dc, 0, 0, area.right, area.bottom, memory, 0, 0, SRCCOPY);
        SelectObject(memory, oldBitmap);
    }
    if (bitmap)
        DeleteObject(bitmap);
    if (memory)
        DeleteDC(memory);
    ReleaseDC(panel, dc);
}

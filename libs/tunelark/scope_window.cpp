// The audio scope dialog: its modes, settings, menu, and sampling what the
// sound card plays through wave input.
#include "scope_window.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <new>

#include "player.h"
#include "player_text.h"
#include "registry_text.h"
#include "scope_state.h"
#include "tunelark_ids.h"
#include "memory_bitmap.h"
#include "module_instance.h"
#include "ui_seams.h"

namespace {

struct ModeRow {
    int mode;
    int command;
};

const ModeRow ModeCommands[SCOPE_MODE_COUNT] = {
    {SCOPE_DIGITAL_METER, CM_SCOPE_DIGITAL_METER}, {SCOPE_ANALOG_METER, CM_SCOPE_ANALOG_METER},
    {SCOPE_OSCILLOSCOPE, CM_SCOPE_OSCILLOSCOPE},   {SCOPE_FINE_FULL, CM_SCOPE_FINE_FULL},
    {SCOPE_BARS_FULL, CM_SCOPE_BARS_FULL},         {SCOPE_FINE_HALF, CM_SCOPE_FINE_HALF},
    {SCOPE_BARS_HALF, CM_SCOPE_BARS_HALF},
};

const int BitmapIds[SCOPE_BITMAPS] = {IDB_METER_DARK, IDB_METER_LIT, IDB_METER_FACE, IDB_BAR_DARK, IDB_BAR_LIT};

enum { BAR_CLIENT_WIDTH = 22 * 8 + 54, WAVE_CLIENT_HEIGHT = 78 };

int ModeOfCommand(int command)
{
    for (const ModeRow &row : ModeCommands)
        if (row.command == command)
            return row.mode;
    return 0;
}

int CommandOfMode(int mode)
{
    for (const ModeRow &row : ModeCommands)
        if (row.mode == mode)
            return row.command;
    return 0;
}

bool IsResizableMode(int mode)
{
    return mode == 0 || mode == SCOPE_OSCILLOSCOPE || mode == SCOPE_FINE_FULL || mode == SCOPE_FINE_HALF;
}

// The player asks the scope to start on every tick while something plays,
// also while a box is open: a failure is told once per scope window.
void ReportOnce(ScopeState *scope, const char *text)
{
    if (scope->failureReported)
        return;
    scope->failureReported = 1;
    ZtMessageBox(scope->window, text, "", MB_ICONERROR);
}

void MakeBackBuffer(ScopeState *scope, int width, int height)
{
    EnterCriticalSection(&scope->drawLock);
    FreeMemoryBitmap(&scope->backDc, &scope->backBitmap, &scope->backOld);
    HDC dc = GetDC(scope->window);
    if (dc && width > 0 && height > 0) {
        scope->backBitmap = CreateCompatibleBitmap(dc, width, height);
        scope->backDc = SelectIntoMemoryDc(dc, scope->backBitmap, &scope->backOld);
        if (scope->backDc)
            PatBlt(scope->backDc, 0, 0, width, height, BLACKNESS);
        else
            FreeMemoryBitmap(&scope->backDc, &scope->backBitmap, &scope->backOld);
    }
    if (dc)
        ReleaseDC(scope->window, dc);
    scope->backWidth = width;
    scope->backHeight = height;
    LeaveCriticalSection(&scope->drawLock);
}

void LoadBitmaps(ScopeState *scope)
{
    HDC dc = GetDC(scope->window);
    for (int i = 0; i < SCOPE_BITMAPS; ++i) {
        scope->bitmaps[i] = LoadBitmapA(ModuleInstance(), MAKEINTRESOURCEA(BitmapIds[i]));
        scope->bitmapDcs[i] = dc ? CreateCompatibleDC(dc) : nullptr;
        if (scope->bitmaps[i] && scope->bitmapDcs[i])
            scope->bitmapOlds[i] = SelectObject(scope->bitmapDcs[i], scope->bitmaps[i]);
    }
    if (dc)
        ReleaseDC(scope->window, dc);
    BITMAP info;
    if (scope->bitmaps[0] && GetObjectA(scope->bitmaps[0], sizeof info, &info))
        scope->stripSize = {info.bmWidth, info.bmHeight};
    if (scope->bitmaps[2] && GetObjectA(scope->bitmaps[2], sizeof info, &info))
        scope->faceSize = {info.bmWidth, info.bmHeight};
    if (scope->bitmaps[3] && GetObjectA(scope->bitmaps[3], sizeof info, &info))
        scope->barSize = {info.bmWidth, info.bmHeight};
}

void FreeBitmaps(ScopeState *scope)
{
    for (int i = 0; i < SCOPE_BITMAPS; ++i) {
        if (scope->bitmapDcs[i]) {
            if (scope->bitmapOlds[i])
                SelectObject(scope->bitmapDcs[i], scope->bitmapOlds[i]);
            DeleteDC(scope->bitmapDcs[i]);
        }
        if (scope->bitmaps[i])
            DeleteObject(scope->bitmaps[i]);
        scope->bitmapDcs[i] = nullptr;
        scope->bitmaps[i] = nullptr;
    }
}

void SetModeItems(ScopeState *scope, bool sampling)
{
    for (const ModeRow &row : ModeCommands)
        EnableMenuItem(scope->menu, row.command, MF_BYCOMMAND | (sampling ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(scope->menu, CM_SCOPE_PLASMA_INIT, MF_BYCOMMAND | (sampling ? MF_GRAYED : MF_ENABLED));
}

// Signals the thread's stop event, waits for it to end, and readies the
// event for the next thread.
void JoinThread(HANDLE *thread, HANDLE stop)
{
    if (!*thread)
        return;
    SetEvent(stop);
    WaitForSingleObject(*thread, INFINITE);
    CloseHandle(*thread);
    *thread = nullptr;
    ResetEvent(stop);
}

void StopPlasma(ScopeState *scope)
{
    JoinThread(&scope->plasmaThread, scope->plasmaStop);
}

void StartPlasma(ScopeState *scope)
{
    // A plasma thread that ended by itself when sampling began is joined here.
    if (scope->plasmaThread && WaitForSingleObject(scope->plasmaThread, 0) == WAIT_OBJECT_0)
        StopPlasma(scope);
    if (scope->plasmaThread || scope->sampling)
        return;
    scope->plasmaThread = CreateThread(nullptr, 0, PlasmaThread, scope, 0, nullptr);
    for (const ModeRow &row : ModeCommands)
        EnableMenuItem(scope->menu, row.command, MF_BYCOMMAND | MF_GRAYED);
    EnableMenuItem(scope->menu, CM_SCOPE_PLASMA_INIT, MF_BYCOMMAND | MF_ENABLED);
}

void CALLBACK WaveInCallback(HWAVEIN device, UINT message, DWORD_PTR instance, DWORD_PTR, DWORD_PTR)
{
    // Only a signal here: the device must not be called back from its own
    // callback, so the drawing thread takes the buffer and queues it again.
    ScopeState *scope = (ScopeState *)instance;
    if (message == WIM_DATA && scope && scope->sampling)
        ReleaseSemaphore(scope->dataReady, 1, nullptr);
}

void ReleaseDevice(ScopeState *scope)
{
    if (scope->waveIn) {
        // Reset hands the queued buffer back before it is unprepared.
        waveInReset(scope->waveIn);
        if (scope->header.dwFlags & WHDR_PREPARED)
            waveInUnprepareHeader(scope->waveIn, &scope->header, sizeof scope->header);
        waveInClose(scope->waveIn);
        scope->waveIn = nullptr;
    }
    free(scope->buffer);
    scope->buffer = nullptr;
    scope->header = WAVEHDR();
}

void FreeAnalysis(ScopeState *scope)
{
    delete scope->fft;
    delete scope->reader;
    scope->fft = nullptr;
    scope->reader = nullptr;
}

void StopDrawThread(ScopeState *scope)
{
    JoinThread(&scope->drawThread, scope->drawStop);
}

void StopSampling(ScopeState *scope, bool full)
{
    if (scope->sampling || scope->waveIn || scope->drawThread) {
        InterlockedExchange(&scope->sampling, 0);
        StopDrawThread(scope);
        ReleaseDevice(scope);
    }
    if (!full)
        return;
    if (scope->sourceSwitched) {
        SelectRecordingSource(scope->previousSource ? scope->previousSource
                                                    : MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE,
                              nullptr);
        scope->sourceSwitched = 0;
    }
    FreeAnalysis(scope);
    if (IsWindow(scope->window))
        PostMessageA(scope->window, WM_USER, SCOPE_START_PLASMA, 0);
}

void OpenDevice(ScopeState *scope);

void StartSampling(ScopeState *scope, bool switchSource)
{
    // A box shown below runs a message loop, in which the player's ticks
    // ask for a start again.
    if (scope->sampling || scope->starting || scope->deviceUnavailable)
        return;
    scope->starting = 1;
    if (switchSource && !scope->sourceSwitched && !scope->sourceUnavailable) {
        if (SwitchToOutputSource(&scope->previousSource)) {
            scope->sourceSwitched = 1;
        } else {
            // Without the switch the scope shows what the recording input has.
            scope->sourceUnavailable = 1;
            ReportOnce(scope, "Error unable to set recording WAVEOUT device");
        }
    }
    OpenDevice(scope);
    scope->starting = 0;
}

void OpenDevice(ScopeState *scope)
{
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = SCOPE_RATE;
    format.nAvgBytesPerSec = SCOPE_RATE * 4;
    format.nBlockAlign = 4;
    format.wBitsPerSample = 16;
    char text[256];
    MMRESULT result = waveInOpen(&scope->waveIn, WAVE_MAPPER, &format, (DWORD_PTR)WaveInCallback,
                                 (DWORD_PTR)scope, CALLBACK_FUNCTION);
    if (result != MMSYSERR_NOERROR) {
        scope->waveIn = nullptr;
        scope->deviceUnavailable = 1;
        if (!scope->failureReported) {
            char error[MAXERRORLENGTH];
            snprintf(text, sizeof text, "ERROR 0x%08X: %s\r\n", (unsigned)result, "Can't open WAVE In Device!");
            if (waveInGetErrorTextA(result, error, sizeof error) == MMSYSERR_NOERROR)
                snprintf(text + strlen(text), sizeof text - strlen(text), "%s\r\n", error);
            else
                snprintf(text + strlen(text), sizeof text - strlen(text), "0x%08X returned!\r\n", (unsigned)result);
            ReportOnce(scope, text);
        }
        return;
    }
    // The plasma gives way only to a device that opened: it goes on showing
    // while there is nothing to sample.
    StopPlasma(scope);
    scope->buffer = (char *)calloc(SCOPE_BUFFER_BYTES, 1);
    scope->header = WAVEHDR();
    scope->header.lpData = scope->buffer;
    scope->header.dwBufferLength = SCOPE_BUFFER_BYTES;
    const char *failure = nullptr;
    if (!scope->buffer)
        failure = "ERROR: Can't allocate memory for WAVE buffer!\n";
    else if ((result = waveInPrepareHeader(scope->waveIn, &scope->header, sizeof scope->header)))
        failure = "Error preparing WAVEHDR 1! -- %08X\n";
    else if ((result = waveInAddBuffer(scope->waveIn, &scope->header, sizeof scope->header)))
        failure = "Error queueing WAVEHDR 1! -- %08X\n";
    if (!failure && !scope->reader) {
        scope->reader = new (std::nothrow) SampleReader();
        scope->fft = new (std::nothrow) SpectrumFft(SCOPE_RATE, SCOPE_BUFFER_BYTES / 4);
        if (!scope->reader || !scope->fft || !scope->fft->Ready())
            failure = "ERROR: Can't allocate memory for WAVE buffer!\n";
    }
    if (!failure) {
        InterlockedExchange(&scope->sampling, 1);
        scope->drawThread = CreateThread(nullptr, 0, ScopeDrawThread, scope, 0, nullptr);
        if (!scope->drawThread)
            failure = "Error starting record! -- %08X\n";
        else if ((result = waveInStart(scope->waveIn)))
            failure = "Error starting record! -- %08X\n";
    }
    if (failure) {
        scope->deviceUnavailable = 1;
        snprintf(text, sizeof text, failure, (unsigned)result);
        ReportOnce(scope, text);
        StopSampling(scope, false);
        FreeAnalysis(scope);
        PostMessageA(scope->window, WM_USER, SCOPE_START_PLASMA, 0);
        return;
    }
    SetModeItems(scope, true);
}

void SetMode(ScopeState *scope, int mode)
{
    InterlockedExchange(&scope->mode, 0);
    int width = BAR_CLIENT_WIDTH, height = scope->barSize.cy;
    switch (mode) {
    case SCOPE_DIGITAL_METER:
        width = scope->stripSize.cx;
        height = 2 * scope->stripSize.cy;
        break;
    case SCOPE_ANALOG_METER:
        width = 2 * scope->faceSize.cx;
        height = scope->faceSize.cy;
        break;
    case SCOPE_OSCILLOSCOPE:
    case SCOPE_FINE_FULL:
    case SCOPE_FINE_HALF: {
        RECT owner = {0, 0, 200, 0};
        if (HWND player = GetWindow(scope->window, GW_OWNER))
            GetClientRect(player, &owner);
        width = owner.right;
        height = WAVE_CLIENT_HEIGHT;
        break;
    }
    }
    ResizeClient(scope->window, width, height);
    InterlockedExchange(&scope->mode, mode);
}

void OnScopeCommand(ScopeState *scope, int id)
{
    if (int mode = ModeOfCommand(id)) {
        SetMode(scope, mode);
        return;
    }
    if (id >= CM_SCOPE_GAIN_0 && id <= CM_SCOPE_GAIN_80) {
        InterlockedExchange(&scope->gain, id - CM_SCOPE_GAIN_0);
    } else if (id >= CM_TRANSPARENCY_OFF && id <= CM_TRANSPARENCY_90) {
        scope->alpha = AlphaOfTransparencyItem(id);
        SetWindowTransparency(scope->window, scope->alpha);
    } else if (id >= CM_SCOPE_EVERY_FRAME && id <= CM_SCOPE_SKIP_12) {
        InterlockedExchange(&scope->skip, id - CM_SCOPE_EVERY_FRAME + 1);
    } else if (id == CM_SCOPE_SAMPLING) {
        // Asked for by the user, the device is tried again, and a failure told again.
        if (!scope->sampling) {
            scope->deviceUnavailable = 0;
            scope->sourceUnavailable = 0;
            scope->failureReported = 0;
        }
        SendMessageA(scope->window, WM_USER, scope->sampling ? SCOPE_STOP : SCOPE_START, 0);
    } else if (id == CM_SCOPE_TOPMOST) {
        scope->topmost = !scope->topmost;
        SetWindowPos(scope->window, scope->topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    } else if (id == CM_SCOPE_PLASMA_INIT) {
        InterlockedExchange(&scope->plasmaReseed, 1);
    } else if (id == CM_SCOPE_CLOSE) {
        PostMessageA(scope->window, WM_CLOSE, 0, 0);
    }
}

void OnScopeUser(ScopeState *scope, WPARAM code, LPARAM lParam)
{
    switch (code) {
    case SCOPE_START: StartSampling(scope, lParam == 0); break;
    case SCOPE_STOP: StopSampling(scope, lParam == 0); break;
    case SCOPE_GET_MODE:
        if (lParam)
            *(int *)lParam = scope->mode;
        break;
    case SCOPE_SET_MODE:
        if (int command = CommandOfMode((int)lParam))
            PostMessageA(scope->window, WM_COMMAND, command, 0);
        break;
    case SCOPE_RESTART:
        PostMessageA(scope->window, WM_USER, SCOPE_STOP, 1);
        PostMessageA(scope->window, WM_USER, SCOPE_START, 1);
        break;
    case SCOPE_START_PLASMA: StartPlasma(scope); break;
    }
}

void OnScopeContextMenu(ScopeState *scope, int x, int y)
{
    int percent = TransparencyPercentOfAlpha(scope->alpha);
    for (int id = CM_TRANSPARENCY_OFF; id <= CM_TRANSPARENCY_90; id += 10)
        CheckMenuItem(scope->menu, id, MF_BYCOMMAND | (id - CM_TRANSPARENCY_OFF == percent ? MF_CHECKED : MF_UNCHECKED));
    for (int id = CM_SCOPE_GAIN_0; id <= CM_SCOPE_GAIN_80; id += 20)
        CheckMenuItem(scope->menu, id, MF_BYCOMMAND | (id - CM_SCOPE_GAIN_0 == scope->gain ? MF_CHECKED : MF_UNCHECKED));
    for (const ModeRow &row : ModeCommands)
        CheckMenuItem(scope->menu, row.command, MF_BYCOMMAND | (row.mode == scope->mode ? MF_CHECKED : MF_UNCHECKED));
    for (int id = CM_SCOPE_EVERY_FRAME; id <= CM_SCOPE_SKIP_12; ++id)
        CheckMenuItem(scope->menu, id,
                      MF_BYCOMMAND | (id - CM_SCOPE_EVERY_FRAME + 1 == scope->skip ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(scope->menu, CM_SCOPE_SAMPLING, MF_BYCOMMAND | (scope->sampling ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(scope->menu, CM_SCOPE_TOPMOST, MF_BYCOMMAND | (scope->topmost ? MF_CHECKED : MF_UNCHECKED));
    TrackPopupMenu(scope->menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, 0, scope->window, nullptr);
}

void OnScopeSize(ScopeState *scope, int width, int height)
{
    MakeBackBuffer(scope, width, height);
    RECT outer;
    GetWindowRect(scope->window, &outer);
    HRGN region = CreateRoundRectRgn(0, 0, outer.right - outer.left + 1, outer.bottom - outer.top + 1, 8, 8);
    if (region && !SetWindowRgn(scope->window, region, TRUE))
        DeleteObject(region);
}

void OnScopeMinMax(ScopeState *scope, MINMAXINFO *info)
{
    if (IsResizableMode(scope->mode))
        return;
    RECT window;
    GetWindowRect(scope->window, &window);
    POINT size = {window.right - window.left, window.bottom - window.top};
    info->ptMaxSize = info->ptMinTrackSize = info->ptMaxTrackSize = size;
}

void OnScopeMouse(ScopeState *scope, UINT message, WPARAM keys, LPARAM lParam)
{
    POINT point = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
    if (message == WM_LBUTTONDOWN) {
        scope->dragPoint = point;
        SetCapture(scope->window);
    } else if (message == WM_LBUTTONUP) {
        ReleaseCapture();
    } else if (keys == MK_LBUTTON) {
        RECT window;
        GetWindowRect(scope->window, &window);
        SetWindowPos(scope->window, nullptr, window.left + point.x - scope->dragPoint.x,
                     window.top + point.y - scope->dragPoint.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void OnScopePaint(ScopeState *scope)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(scope->window, &paint);
    EnterCriticalSection(&scope->drawLock);
    if (dc && scope->backDc)
        BitBlt(dc, 0, 0, scope->backWidth, scope->backHeight, scope->backDc, 0, 0, SRCCOPY);
    LeaveCriticalSection(&scope->drawLock);
    EndPaint(scope->window, &paint);
}

// A dialog without a place of its own starts at its owner's top-left: the
// scope goes under the player before anything can show it.
void PlaceUnderOwner(HWND window)
{
    HWND owner = GetWindow(window, GW_OWNER);
    RECT r;
    if (owner && GetWindowRect(owner, &r))
        SetWindowPos(window, nullptr, r.left, r.bottom + 1, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL OnInitScope(HWND window, int mode)
{
    ScopeState *scope = new (std::nothrow) ScopeState();
    if (!scope)
        return FALSE;
    SetWindowLongPtrA(window, DWLP_USER, (LONG_PTR)scope);
    scope->window = window;
    PlaceUnderOwner(window);
    scope->skip = 1;
    InitializeCriticalSection(&scope->drawLock);
    scope->menuBar = LoadMenuA(ModuleInstance(), MAKEINTRESOURCEA(IDM_SCOPE));
    scope->menu = scope->menuBar ? GetSubMenu(scope->menuBar, 0) : nullptr;
    RECT client;
    GetClientRect(window, &client);
    MakeBackBuffer(scope, client.right, client.bottom);
    LoadBitmaps(scope);
    SendMessageA(window, WM_USER, SCOPE_SET_MODE, mode ? mode : SCOPE_ANALOG_METER);
    LoadScopeSettings(scope);
    scope->dataReady = CreateSemaphoreA(nullptr, 0, 1, nullptr);
    scope->drawStop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    scope->plasmaStop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    PostMessageA(window, WM_USER, SCOPE_START_PLASMA, 0);
    return TRUE;
}

// Safe to run more than once: close, end of session and destruction all come here.
void ShutDownScope(ScopeState *scope)
{
    if (!scope->settingsSaved) {
        SaveScopeSettings(scope);
        scope->settingsSaved = 1;
    }
    StopSampling(scope, true);
    StopPlasma(scope);
    EnterCriticalSection(&scope->drawLock);
    FreeMemoryBitmap(&scope->backDc, &scope->backBitmap, &scope->backOld);
    LeaveCriticalSection(&scope->drawLock);
    FreeBitmaps(scope);
    if (scope->menuBar)
        DestroyMenu(scope->menuBar);
    scope->menuBar = scope->menu = nullptr;
}

void FreeScope(ScopeState *scope)
{
    for (HANDLE *handle : {&scope->dataReady, &scope->drawStop, &scope->plasmaStop})
        if (*handle) {
            CloseHandle(*handle);
            *handle = nullptr;
        }
    DeleteCriticalSection(&scope->drawLock);
    delete scope;
}

} // namespace

ScopeState *ScopeOf(HWND window)
{
    return (ScopeState *)GetWindowLongPtrA(window, DWLP_USER);
}

void ResizeClient(HWND window, int width, int height)
{
    RECT area = {0, 0, width, height};
    AdjustWindowRectEx(&area, GetWindowLongA(window, GWL_STYLE), FALSE, GetWindowLongA(window, GWL_EXSTYLE));
    SetWindowPos(window, nullptr, 0, 0, area.right - area.left, area.bottom - area.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void LoadScopeSettings(ScopeState *scope)
{
    HKEY key;
    if (RegOpenKeyA(ZtRegistryRoot(), SCOPE_REGISTRY_KEY, &key) != ERROR_SUCCESS)
        return;
    char text[128];
    if (ReadRegistryString(key, SCOPE_INFO_VALUE, text, sizeof text) == ERROR_SUCCESS) {
        unsigned skip = 1;
        int alpha = scope->alpha, gain = scope->gain, topmost = scope->topmost;
        int read = sscanf(text, SCOPE_INFO_FORMAT, &skip, &alpha, &gain, &topmost);
        // A skip of 0 or a gain past the menu would break the drawing.
        if (read >= 1)
            scope->skip = skip < 1 ? 1 : skip > (unsigned)SCOPE_MAX_SKIP ? (LONG)SCOPE_MAX_SKIP : (LONG)skip;
        if (read >= 2 && (alpha == -1 || (alpha >= 1 && alpha <= 255))) {
            scope->alpha = alpha;
            SetWindowTransparency(scope->window, alpha);
        }
        if (read >= 3 && gain >= 0 && gain <= 80)
            scope->gain = gain / 20 * 20;
        if (read >= 4) {
            scope->topmost = topmost != 0;
            if (scope->topmost)
                SetWindowPos(scope->window, HWND_TOPMOST, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE);
        }
    }
    RegCloseKey(key);
}

int SaveScopeSettings(ScopeState *scope)
{
    HKEY key = CreateSettingsKey(SCOPE_REGISTRY_KEY, false);
    if (!key)
        return -1;
    char text[128];
    snprintf(text, sizeof text, SCOPE_INFO_FORMAT, (unsigned)scope->skip, scope->alpha, (int)scope->gain,
             scope->topmost);
    // Stored with its terminator, as the scope has always written it.
    LONG result = WriteRegistryString(key, SCOPE_INFO_VALUE, text, sizeof text, REGISTRY_TEXT_WITH_NUL);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? 0 : -1;
}

INT_PTR CALLBACK ScopeDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        return OnInitScope(window, (int)lParam);
    ScopeState *scope = ScopeOf(window);
    if (!scope)
        return FALSE;
    switch (message) {
    case WM_COMMAND: OnScopeCommand(scope, LOWORD(wParam)); return TRUE;
    case WM_USER: OnScopeUser(scope, wParam, lParam); return TRUE;
    case WM_CONTEXTMENU: OnScopeContextMenu(scope, (short)LOWORD(lParam), (short)HIWORD(lParam)); return TRUE;
    case WM_SIZE: OnScopeSize(scope, LOWORD(lParam), HIWORD(lParam)); return TRUE;
    case WM_GETMINMAXINFO: OnScopeMinMax(scope, (MINMAXINFO *)lParam); return TRUE;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE: OnScopeMouse(scope, message, wParam, lParam); return TRUE;
    case WM_PAINT: OnScopePaint(scope); return TRUE;
    case WM_ERASEBKGND: return TRUE;
    case WM_CLOSE:
        ShutDownScope(scope);
        DestroyWindow(window);
        return TRUE;
    case WM_ENDSESSION:
        if (wParam)
            ShutDownScope(scope);
        return TRUE;
    case WM_DESTROY: ShutDownScope(scope); return TRUE;
    case WM_NCDESTROY:
        SetWindowLongPtrA(window, DWLP_USER, 0);
        FreeScope(scope);
        return FALSE;
    }
    return FALSE;
}

HWND CreateScopeWindow(HWND player, int mode)
{
    return CreateDialogParamA(ModuleInstance(), MAKEINTRESOURCEA(IDD_SCOPE), player, ScopeDlgProc, mode);
}

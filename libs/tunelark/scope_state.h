// The audio scope's state, shared by its window, its drawing thread and its
// plasma thread.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include "scope_math.h"
#include "spectrum.h"

enum {
    SCOPE_BUFFER_BYTES = 1024,      // 256 stereo 16-bit frames, about 5.8 ms
    SCOPE_RATE = 44100,
    SCOPE_MODE_COUNT = 7,
    SCOPE_BITMAPS = 5,
    SCOPE_MAX_SKIP = 13,
};

enum ScopeMode {
    SCOPE_DIGITAL_METER = 1,
    SCOPE_ANALOG_METER = 2,
    SCOPE_OSCILLOSCOPE = 3,
    SCOPE_FINE_FULL = 4,
    SCOPE_BARS_FULL = 5,
    SCOPE_FINE_HALF = 6,
    SCOPE_BARS_HALF = 7,
};

struct ScopeState {
    HWND window;
    volatile LONG mode;             // 0 while the window is being resized for a new mode
    volatile LONG gain;             // percent: 0, 20, 40, 60, 80
    volatile LONG skip;             // a frame is drawn every skip buffers
    int alpha;
    int topmost;
    volatile LONG sampling;
    LONG frameCounter;
    HMENU menuBar, menu;

    CRITICAL_SECTION drawLock;      // the back buffer: drawn by the thread, remade on WM_SIZE
    HDC backDc;
    HBITMAP backBitmap;
    HGDIOBJ backOld;
    int backWidth, backHeight;
    HDC bitmapDcs[SCOPE_BITMAPS];   // meter strip dark, lit, face, bar dark, lit
    HBITMAP bitmaps[SCOPE_BITMAPS];
    HGDIOBJ bitmapOlds[SCOPE_BITMAPS];
    SIZE stripSize, faceSize, barSize;

    HWAVEIN waveIn;
    WAVEHDR header;
    char *buffer;
    short samples[SCOPE_BUFFER_BYTES / 2];
    int sampleBytes;
    HANDLE dataReady;               // semaphore, count 0..1: a buffer is waiting
    HANDLE drawStop;                // ends the drawing thread
    HANDLE drawThread;
    SampleReader *reader;
    SpectrumFft *fft;
    int levels[2];
    int bands[2][SCOPE_BANDS];
    int needleX[SCOPE_NEEDLE_STEPS], needleY[SCOPE_NEEDLE_STEPS];
    int needlesBuilt;

    HANDLE plasmaThread;
    HANDLE plasmaStop;
    volatile LONG plasmaRunning;
    volatile LONG plasmaReseed;

    POINT dragPoint;
    DWORD previousSource;           // recording source to give back, 0 none switched
    int sourceSwitched;
    int sourceUnavailable;
    int starting;          // the mixer has no output source to record
    int failureReported;            // a failed start is told once, not on every tick
    int deviceUnavailable;          // the capture device would not start: the player's
                                    // ticks do not try it again while the scope is open
    int settingsSaved;
};

ScopeState *ScopeOf(HWND window);
INT_PTR CALLBACK ScopeDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Drawing (scope_draw.cpp).
DWORD WINAPI ScopeDrawThread(LPVOID parameter);
DWORD WINAPI PlasmaThread(LPVOID parameter);
void DrawScopeFrame(ScopeState *scope);
void ResizeClient(HWND window, int width, int height);

void LoadScopeSettings(ScopeState *scope);
int SaveScopeSettings(ScopeState *scope);

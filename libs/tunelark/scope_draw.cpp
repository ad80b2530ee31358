// The scope's drawing: one frame of each mode from the last buffer, the
// drawing thread that waits for buffers, and the plasma thread.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "plasma.h"
#include "scope_state.h"

namespace {

const COLORREF DarkGreen = RGB(0, 0x3F, 0), Green = RGB(0, 0xFF, 0), NeedleRed = RGB(0xAF, 0, 0);

enum {
    METER_FALL = 96,
    BAR_FALL = 110,
    NEEDLE_PIVOT_X = 50,
    NEEDLE_PIVOT_Y = 55,
    SPECTRUM_FIRST_BIN = 15,
    BAR_WIDTH = 8,
    BAR_GAP = 2,
    BAR_GROUP_GAP = 10,
    PLASMA_START_MS = 100,
    PLASMA_FRAME_MS = 16,
};

void FillBack(HDC dc, int width, int height, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    RECT all = {0, 0, width, height};
    if (brush) {
        FillRect(dc, &all, brush);
        DeleteObject(brush);
    }
}

void UpdateLevels(ScopeState *scope, int values)
{
    int left, right;
    ChannelLevels(scope->samples, values, &left, &right);
    int drop = METER_FALL * scope->skip;
    scope->levels[0] = FallToward(scope->levels[0], left, drop);
    scope->levels[1] = FallToward(scope->levels[1], right, drop);
}

void DrawDigitalMeter(ScopeState *scope, HDC dc, int width, int height)
{
    double factor = 1 + scope->gain / 100.0;
    for (int channel = 0; channel < 2; ++channel) {
        int top = channel * height / 2;
        StretchBlt(dc, 0, top, width, height / 2, scope->bitmapDcs[0], 0, 0, scope->stripSize.cx,
                   scope->stripSize.cy, SRCCOPY);
        int lit = (int)((double)width / 16383 * (int)(scope->levels[channel] * factor));
        if (lit > width)
            lit = width;
        if (lit > 0)
            StretchBlt(dc, 0, top, lit, height / 2, scope->bitmapDcs[1], 0, 0,
                       scope->stripSize.cx * lit / width, scope->stripSize.cy, SRCCOPY);
    }
}

void DrawAnalogMeter(ScopeState *scope, HDC dc)
{
    if (!scope->needlesBuilt) {
        BuildNeedleTable(scope->needleX, scope->needleY);
        scope->needlesBuilt = 1;
    }
    int faceWidth = scope->faceSize.cx;
    for (int side = 0; side < 2; ++side)
        BitBlt(dc, side * faceWidth, 0, faceWidth, scope->faceSize.cy, scope->bitmapDcs[2], 0, 0, SRCCOPY);
    double factor = scope->gain ? 3.5 - scope->gain * 0.035 : 3.5;
    HPEN pen = CreatePen(PS_SOLID, 2, NeedleRed);
    HGDIOBJ old = pen ? SelectObject(dc, pen) : nullptr;
    for (int side = 0; side < 2; ++side) {
        int index = (int)(scope->levels[side] * factor);
        index = index < 0 ? 0 : index >= SCOPE_NEEDLE_STEPS ? SCOPE_NEEDLE_STEPS - 1 : index;
        int pivotX = NEEDLE_PIVOT_X + side * 2 * NEEDLE_PIVOT_X;
        MoveToEx(dc, pivotX, NEEDLE_PIVOT_Y, nullptr);
        LineTo(dc, pivotX + scope->needleX[index], NEEDLE_PIVOT_Y - scope->needleY[index]);
    }
    if (pen) {
        SelectObject(dc, old);
        DeleteObject(pen);
    }
}

void DrawOscilloscope(ScopeState *scope, HDC dc, int width, int height, int frames)
{
    FillBack(dc, width, height, DarkGreen);
    HPEN pen = CreatePen(PS_SOLID, 1, Green);
    HGDIOBJ old = pen ? SelectObject(dc, pen) : nullptr;
    int half = width / 2;
    double step = (double)(half - 3) / frames, scale = (double)(height / 2) / 32767;
    POINT *points = (POINT *)calloc(frames, sizeof(POINT));
    if (points && frames > 1) {
        for (int channel = 0; channel < 2; ++channel) {
            for (int k = 1; k < frames; ++k) {
                double x = k * step;
                points[k - 1].x = (int)(channel ? half + 3 + x : x);
                points[k - 1].y = (int)(height / 2 + scope->samples[2 * k + channel] * scale);
            }
            Polyline(dc, points, frames - 1);
        }
    }
    free(points);
    MoveToEx(dc, 0, height / 2, nullptr);
    LineTo(dc, width, height / 2);
    if (pen) {
        SelectObject(dc, old);
        DeleteObject(pen);
    }
}

void AttachSamples(ScopeState *scope)
{
    scope->reader->Attach(scope->samples, scope->sampleBytes, 2, 1);
}

void DrawFineSpectrum(ScopeState *scope, HDC dc, int width, int height, int frames, int mode)
{
    FillBack(dc, width, height, DarkGreen);
    if (!scope->reader || !scope->fft)
        return;
    AttachSamples(scope);
    int last = mode == SCOPE_FINE_FULL ? frames / 2 : frames / 4;
    int count = last - SPECTRUM_FIRST_BIN;
    if (count < 2)
        return;
    double scale = 8000;
    if (scope->gain)
        scale -= scale / 100 * scope->gain;
    double step = (double)((width - 6) / 2) / count;
    HPEN pen = CreatePen(PS_SOLID, 1, Green);
    HGDIOBJ old = pen ? SelectObject(dc, pen) : nullptr;
    POINT *points = (POINT *)calloc(count, sizeof(POINT));
    double start = 1;
    for (int channel = 0; channel < 2 && points; ++channel) {
        scope->reader->SetMode(channel);
        scope->fft->Compute(*scope->reader);
        const float *magnitudes = scope->fft->Magnitudes();
        for (int i = 0; i < count; ++i) {
            points[i].x = (int)(start + i * step);
            // Kept inside the client area: silence lies on its last row.
            int y = (int)(height - magnitudes[SPECTRUM_FIRST_BIN + i] / scale);
            points[i].y = y < 0 ? 0 : y > height - 1 ? height - 1 : y;
        }
        Polyline(dc, points, count);
        start = points[count - 1].x + 6;
    }
    free(points);
    if (pen) {
        SelectObject(dc, old);
        DeleteObject(pen);
    }
}

void DrawBars(ScopeState *scope, HDC dc, int width, int height, int frames, int mode)
{
    FillBack(dc, width, height, RGB(0, 0, 0));
    if (!scope->reader || !scope->fft)
        return;
    AttachSamples(scope);
    int first, last;
    SpectrumBarRange(mode, frames, &first, &last);
    int divisor = scope->gain ? 100 - scope->gain : 100;
    int barHeight = scope->barSize.cy;
    for (int channel = 0; channel < 2; ++channel) {
        scope->reader->SetMode(channel);
        scope->fft->Compute(*scope->reader);
        int bands[SCOPE_BANDS] = {};
        ComputeSpectrumBands(scope->fft->Magnitudes(), first, last, divisor, bands);
        for (int b = 0; b < SCOPE_BANDS; ++b) {
            int value = FallToward(scope->bands[channel][b], bands[b], BAR_FALL * scope->skip);
            scope->bands[channel][b] = value;
            int x = channel * (SCOPE_BANDS * (BAR_WIDTH + BAR_GAP) + BAR_GROUP_GAP) + b * (BAR_WIDTH + BAR_GAP);
            BitBlt(dc, x, 0, BAR_WIDTH, barHeight, scope->bitmapDcs[3], 0, 0, SRCCOPY);
            int lit = (int)((double)barHeight / SCOPE_BAND_MAX * value);
            if (lit > 0)
                BitBlt(dc, x, barHeight - lit, BAR_WIDTH, lit, scope->bitmapDcs[4], 0, barHeight - lit, SRCCOPY);
        }
    }
}

// Takes the recorded buffer and hands it back to the device.
bool TakeBuffer(ScopeState *scope)
{
    if (!scope->sampling || !scope->waveIn)
        return false;
    DWORD bytes = scope->header.dwBytesRecorded;
    if (bytes > SCOPE_BUFFER_BYTES)
        bytes = SCOPE_BUFFER_BYTES;
    memcpy(scope->samples, scope->buffer, bytes);
    scope->sampleBytes = (int)bytes;
    waveInAddBuffer(scope->waveIn, &scope->header, sizeof scope->header);
    return bytes > 0;
}

} // namespace

void DrawScopeFrame(ScopeState *scope)
{
    EnterCriticalSection(&scope->drawLock);
    HDC dc = scope->backDc;
    int width = scope->backWidth, height = scope->backHeight;
    int values = scope->sampleBytes / 2, frames = values / 2;
    int mode = scope->mode;
    if (dc) {
        if (mode == SCOPE_DIGITAL_METER || mode == SCOPE_ANALOG_METER)
            UpdateLevels(scope, values);
        switch (mode) {
        case SCOPE_DIGITAL_METER: DrawDigitalMeter(scope, dc, width, height); break;
        case SCOPE_ANALOG_METER: DrawAnalogMeter(scope, dc); break;
        case SCOPE_OSCILLOSCOPE: DrawOscilloscope(scope, dc, width, height, frames); break;
        case SCOPE_FINE_FULL:
        case SCOPE_FINE_HALF: DrawFineSpectrum(scope, dc, width, height, frames, mode); break;
        case SCOPE_BARS_FULL:
        case SCOPE_BARS_HALF: DrawBars(scope, dc, width, height, frames, mode); break;
        }
        HDC window = GetDC(scope->window);
        if (window) {
            BitBlt(window, 0, 0, width, height, dc, 0, 0, SRCCOPY);
            ReleaseDC(scope->window, window);
        }
        ValidateRect(scope->window, nullptr);
    }
    LeaveCriticalSection(&scope->drawLock);
}

DWORD WINAPI ScopeDrawThread(LPVOID parameter)
{
    ScopeState *scope = (ScopeState *)parameter;
    HANDLE waits[2] = {scope->drawStop, scope->dataReady};
    while (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
        if (!TakeBuffer(scope))
            continue;
        LONG counter = InterlockedIncrement(&scope->frameCounter);
        LONG skip = scope->skip > 0 ? scope->skip : 1;
        if (counter % skip == 0)
            DrawScopeFrame(scope);
    }
    return 0;
}

DWORD WINAPI PlasmaThread(LPVOID parameter)
{
    ScopeState *scope = (ScopeState *)parameter;
    if (WaitForSingleObject(scope->plasmaStop, PLASMA_START_MS) == WAIT_OBJECT_0 || scope->sampling)
        return 0;
    if (!scope->window || !IsWindow(scope->window))
        return (DWORD)-1;
    RECT client;
    GetClientRect(scope->window, &client);
    srand((unsigned)time(nullptr));
    PlasmaState plasma = {};
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[PLASMA_COLOURS];
    } image = {};
    HDC dc = GetDC(scope->window);
    HDC memory = dc ? CreateCompatibleDC(dc) : nullptr;
    HBITMAP bitmap = dc ? CreateCompatibleBitmap(dc, client.right, client.bottom) : nullptr;
    if (memory && bitmap && SeedPlasma(&plasma, client.right, client.bottom, rand) == 0) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        SetStretchBltMode(memory, COLORONCOLOR);
        while (!scope->sampling) {
            InterlockedExchange(&scope->plasmaRunning, 1);
            RenderPlasmaFrame(&plasma);
            image.header.biSize = sizeof image.header;
            image.header.biWidth = plasma.width;
            image.header.biHeight = -plasma.height;
            image.header.biPlanes = 1;
            image.header.biBitCount = 8;
            image.header.biCompression = BI_RGB;
            memcpy(image.colours, plasma.palette, sizeof image.colours);
            StretchDIBits(memory, 0, 0, plasma.width, plasma.height, 0, 0, plasma.width, plasma.height,
                          plasma.pixels, (BITMAPINFO *)&image, DIB_RGB_COLORS, SRCCOPY);
            RotatePlasmaPalette(&plasma);
            BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
            if (WaitForSingleObject(scope->plasmaStop, PLASMA_FRAME_MS) == WAIT_OBJECT_0)
                break;
            if (InterlockedExchange(&scope->plasmaReseed, 0))
                SeedPlasma(&plasma, client.right, client.bottom, rand);
            if (!plasma.pixels)
                break;
        }
        SelectObject(memory, old);
    }
    InterlockedExchange(&scope->plasmaRunning, 0);
    FreePlasma(&plasma);
    if (bitmap)
        DeleteObject(bitmap);
    if (memory)
        DeleteDC(memory);
    if (dc)
        ReleaseDC(scope->window, dc);
    return 0;
}

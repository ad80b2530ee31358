// midas11.dll: the exported calls over the module engine, and the background
// thread that feeds the rendered sound to the wave-out device.
#include <windows.h>
#include <mmsystem.h>

#include "midas.h"
#include "midas_engine.h"

namespace {

enum {
    OUTPUT_RATE = 44100,
    BUFFER_FRAMES = 2048,   // about 46 ms a buffer
    BUFFER_COUNT = 4,
};

struct BackgroundPlay {
    HANDLE thread;
    HANDLE stop;            // manual reset: set to end the thread
};

// One engine per process, as the player expects of the library.
struct MidasState {
    CRITICAL_SECTION lock;
    LONG lockReady;
    MidasEngine engine;
    DWORD playSerial;       // handle of the current play, 0 when none
    BackgroundPlay background;
};

MidasState Midas;

struct Locked {
    Locked() { EnterCriticalSection(&Midas.lock); }
    ~Locked() { LeaveCriticalSection(&Midas.lock); }
};

void RenderLocked(short *samples, int frames)
{
    Locked hold;
    MidasEngineRender(&Midas.engine, samples, frames);
}

// Without a wave-out device the song still has to move on, so the thread
// renders at the pace the sound would have taken.
void RenderWithoutDevice(HANDLE stop, short *samples)
{
    const DWORD bufferMs = BUFFER_FRAMES * 1000 / OUTPUT_RATE;
    while (WaitForSingleObject(stop, bufferMs) == WAIT_TIMEOUT)
        RenderLocked(samples, BUFFER_FRAMES);
}

void RenderToDevice(HANDLE stop, HWAVEOUT device, HANDLE done, short (*buffers)[BUFFER_FRAMES * 2])
{
    WAVEHDR headers[BUFFER_COUNT] = {};
    int queued = 0;
    for (int i = 0; i < BUFFER_COUNT; ++i) {
        headers[i].lpData = (LPSTR)buffers[i];
        headers[i].dwBufferLength = sizeof buffers[i];
        if (waveOutPrepareHeader(device, &headers[i], sizeof headers[i]) != MMSYSERR_NOERROR)
            break;
        RenderLocked(buffers[i], BUFFER_FRAMES);
        if (waveOutWrite(device, &headers[i], sizeof headers[i]) != MMSYSERR_NOERROR) {
            waveOutUnprepareHeader(device, &headers[i], sizeof headers[i]);
            break;
        }
        ++queued;
    }
    HANDLE waits[2] = {stop, done};
    while (queued > 0 && WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
        for (int i = 0; i < queued; ++i) {
            if (!(headers[i].dwFlags & WHDR_DONE))
                continue;
            RenderLocked(buffers[i], BUFFER_FRAMES);
            headers[i].dwFlags &= ~WHDR_DONE;
            waveOutWrite(device, &headers[i], sizeof headers[i]);
        }
    }
    // Reset hands every queued buffer back before they are unprepared.
    waveOutReset(device);
    for (int i = 0; i < queued; ++i)
        waveOutUnprepareHeader(device, &headers[i], sizeof headers[i]);
}

DWORD WINAPI BackgroundPlayThread(LPVOID parameter)
{
    HANDLE stop = (HANDLE)parameter;
    short buffers[BUFFER_COUNT][BUFFER_FRAMES * 2];
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = OUTPUT_RATE;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = OUTPUT_RATE * 4;
    HANDLE done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HWAVEOUT device = nullptr;
    if (done && waveOutOpen(&device, WAVE_MAPPER, &format, (DWORD_PTR)done, 0,
                            CALLBACK_EVENT) == MMSYSERR_NOERROR) {
        RenderToDevice(stop, device, done, buffers);
        waveOutClose(device);
    } else {
        RenderWithoutDevice(stop, buffers[0]);
    }
    if (done)
        CloseHandle(done);
    return 0;
}

BOOL SetSuspended(int suspended)
{
    if (!Midas.lockReady)
        return FALSE;
    Locked hold;
    Midas.engine.suspended = suspended;
    return TRUE;
}

MidasTune *TuneOf(MIDASmodule module)
{
    return (MidasTune *)module;
}

} // namespace

extern "C" {

BOOL WINAPI MIDASstartup(void)
{
    if (InterlockedCompareExchange(&Midas.lockReady, 1, 0) == 0)
        InitializeCriticalSection(&Midas.lock);
    Locked hold;
    MidasEngineReset(&Midas.engine);
    Midas.engine.rate = OUTPUT_RATE;
    Midas.playSerial = 0;
    return TRUE;
}

BOOL WINAPI MIDASsetOption(int option, DWORD value)
{
    Locked hold;
    switch (option) {
    case MIDAS_OPTION_DEFAULT_STEREO_SEPARATION:
        Midas.engine.separation = value > MIDAS_MAX_SEPARATION ? MIDAS_MAX_SEPARATION : (int)value;
        return TRUE;
    case MIDAS_OPTION_MIXING_MODE:
        Midas.engine.highQuality = value != 0;
        return TRUE;
    case MIDAS_OPTION_OUTPUTMODE:
        // Always 16-bit stereo out; the device converts if it must.
        return value == MIDAS_MODE_16BIT_STEREO;
    case MIDAS_OPTION_16BIT_ULAW_AUTOCONVERT:
        return TRUE;
    }
    return FALSE;
}

BOOL WINAPI MIDASinit(void)
{
    return Midas.lockReady != 0;
}

BOOL WINAPI MIDASstartBackgroundPlay(DWORD pollRate)
{
    if (!Midas.lockReady)
        return FALSE;
    if (Midas.background.thread)
        return TRUE;
    HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!stop)
        return FALSE;
    HANDLE thread = CreateThread(nullptr, 0, BackgroundPlayThread, stop, 0, nullptr);
    if (!thread) {
        CloseHandle(stop);
        return FALSE;
    }
    Midas.background.thread = thread;
    Midas.background.stop = stop;
    return TRUE;
}

BOOL WINAPI MIDASstopBackgroundPlay(void)
{
    if (!Midas.background.thread)
        return FALSE;
    SetEvent(Midas.background.stop);
    WaitForSingleObject(Midas.background.thread, INFINITE);
    CloseHandle(Midas.background.thread);
    CloseHandle(Midas.background.stop);
    Midas.background.thread = nullptr;
    Midas.background.stop = nullptr;
    return TRUE;
}

BOOL WINAPI MIDASclose(void)
{
    if (!Midas.lockReady)
        return FALSE;
    MIDASstopBackgroundPlay();
    Locked hold;
    Midas.engine.playing = nullptr;
    Midas.playSerial = 0;
    return TRUE;
}

MIDASmodule WINAPI MIDASloadModule(const char *fileName)
{
    // Loading reads the whole file: done outside the lock so the sound goes on.
    return (MIDASmodule)MidasEngineLoad(fileName);
}

MIDASmodulePlayHandle WINAPI MIDASplayModule(MIDASmodule module, BOOL loopSong)
{
    if (!Midas.lockReady || !module)
        return 0;
    Locked hold;
    if (MidasEnginePlay(&Midas.engine, TuneOf(module)) != 0)
        return 0;
    if (++Midas.playSerial == 0)
        Midas.playSerial = 1;
    return Midas.playSerial;
}

BOOL WINAPI MIDASstopModule(MIDASmodulePlayHandle playHandle)
{
    if (!Midas.lockReady || !playHandle)
        return FALSE;
    Locked hold;
    if (playHandle != Midas.playSerial)
        return FALSE;
    MidasEngineStop(&Midas.engine, Midas.engine.playing);
    Midas.playSerial = 0;
    return TRUE;
}

BOOL WINAPI MIDASfreeModule(MIDASmodule module)
{
    if (!module)
        return FALSE;
    if (!Midas.lockReady) {
        MidasEngine idle;
        MidasEngineReset(&idle);
        MidasEngineFree(&idle, TuneOf(module));
        return TRUE;
    }
    Locked hold;
    if (Midas.engine.playing == TuneOf(module))
        Midas.playSerial = 0;
    MidasEngineFree(&Midas.engine, TuneOf(module));
    return TRUE;
}

BOOL WINAPI MIDASgetModuleInfo(MIDASmodule module, MIDASmoduleInfo *info)
{
    MidasSongInfo song;
    if (!info || MidasEngineInfo(TuneOf(module), &song) != 0)
        return FALSE;
    ZeroMemory(info, sizeof *info);
    lstrcpynA(info->songName, song.songName, sizeof info->songName);
    info->songLength = song.songLength;
    info->numPatterns = song.numPatterns;
    info->numInstruments = song.numInstruments;
    info->numChannels = song.numChannels;
    return TRUE;
}

BOOL WINAPI MIDASgetPlayStatus(MIDASmodulePlayHandle playHandle, MIDASplayStatus *status)
{
    if (!Midas.lockReady || !status)
        return FALSE;
    Locked hold;
    MidasSongStatus song;
    if (!playHandle || playHandle != Midas.playSerial ||
        MidasEngineStatus(Midas.engine.playing, &song) != 0)
        return FALSE;
    ZeroMemory(status, sizeof *status);
    status->position = song.position;
    status->pattern = song.pattern;
    status->row = song.row;
    status->songLoopCount = song.songLoopCount;
    return TRUE;
}

BOOL WINAPI MIDASsuspend(void)
{
    return SetSuspended(1);
}

BOOL WINAPI MIDASresume(void)
{
    return SetSuspended(0);
}

} // extern "C"

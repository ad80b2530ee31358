// Recording what the sound card plays into a wave file: the mixer's
// recording input is switched to the wave-output line and MCI records.
#include "player.h"

#include <commdlg.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "player_text.h"
#include "ui_seams.h"

namespace {

enum { MCI_ERROR_CHARS = 1024, RECORD_PATH_CHARS = 1024, RECORD_RATE = 44100 };

// The recording control of mixer 0's wave-in line: a mixer or a selector.
struct RecordingControl {
    HMIXER mixer;
    MIXERCONTROLA control;
    DWORD items;
    DWORD lineChannels;
};

int OpenRecordingControl(RecordingControl *out)
{
    if (mixerOpen(&out->mixer, 0, 0, 0, MIXER_OBJECTF_MIXER) != MMSYSERR_NOERROR)
        return -1;
    MIXERLINEA line = {};
    line.cbStruct = sizeof line;
    line.dwComponentType = MIXERLINE_COMPONENTTYPE_DST_WAVEIN;
    if (mixerGetLineInfoA((HMIXEROBJ)out->mixer, &line, MIXER_GETLINEINFOF_COMPONENTTYPE) !=
        MMSYSERR_NOERROR) {
        mixerClose(out->mixer);
        return -1;
    }
    static const DWORD kinds[] = {MIXERCONTROL_CONTROLTYPE_MIXER, MIXERCONTROL_CONTROLTYPE_MUX};
    for (DWORD kind : kinds) {
        MIXERLINECONTROLSA controls = {};
        controls.cbStruct = sizeof controls;
        controls.dwLineID = line.dwLineID;
        controls.dwControlType = kind;
        controls.cControls = 1;
        controls.cbmxctrl = sizeof out->control;
        controls.pamxctrl = &out->control;
        if (mixerGetLineControlsA((HMIXEROBJ)out->mixer, &controls,
                                  MIXER_GETLINECONTROLSF_ONEBYTYPE) == MMSYSERR_NOERROR &&
            out->control.cMultipleItems > 0) {
            out->items = out->control.cMultipleItems;
            return 0;
        }
    }
    mixerClose(out->mixer);
    return -1;
}

// Reads (write = false) or writes the control's values, one per item.
int ControlValues(RecordingControl *c, MIXERCONTROLDETAILS_BOOLEAN *values, bool write)
{
    MIXERCONTROLDETAILS details = {};
    details.cbStruct = sizeof details;
    details.dwControlID = c->control.dwControlID;
    details.cChannels = 1;
    details.cMultipleItems = c->items;
    details.cbDetails = sizeof *values;
    details.paDetails = values;
    MMRESULT result = write ? mixerSetControlDetails((HMIXEROBJ)c->mixer, &details,
                                                     MIXER_SETCONTROLDETAILSF_VALUE)
                            : mixerGetControlDetailsA((HMIXEROBJ)c->mixer, &details,
                                                      MIXER_GETCONTROLDETAILSF_VALUE);
    return result == MMSYSERR_NOERROR ? 0 : -1;
}

// The component type of each item's source line.
int ItemComponentTypes(RecordingControl *c, DWORD *types)
{
    MIXERCONTROLDETAILS_LISTTEXTA *texts =
        (MIXERCONTROLDETAILS_LISTTEXTA *)calloc(c->items, sizeof *texts);
    if (!texts)
        return -1;
    MIXERCONTROLDETAILS details = {};
    details.cbStruct = sizeof details;
    details.dwControlID = c->control.dwControlID;
    details.cChannels = 1;
    details.cMultipleItems = c->items;
    details.cbDetails = sizeof *texts;
    details.paDetails = texts;
    int result = -1;
    if (mixerGetControlDetailsA((HMIXEROBJ)c->mixer, &details, MIXER_GETCONTROLDETAILSF_LISTTEXT) ==
        MMSYSERR_NOERROR) {
        for (DWORD i = 0; i < c->items; ++i) {
            MIXERLINEA source = {};
            source.cbStruct = sizeof source;
            source.dwLineID = texts[i].dwParam1;
            types[i] = mixerGetLineInfoA((HMIXEROBJ)c->mixer, &source, MIXER_GETLINEINFOF_LINEID) ==
                               MMSYSERR_NOERROR
                           ? source.dwComponentType
                           : 0;
        }
        result = 0;
    }
    free(texts);
    return result;
}

bool Record(PlayerState *player, const char *path)
{
    char command[RECORD_PATH_CHARS + 64];
    if (FormatMciFileCommand(command, sizeof command, "open", path, RECORDER_ALIAS) != 0) {
        ZtMessageBox(player->window, "The file name cannot be handed to the sound device.",
                           "Open Error", MB_ICONWARNING);
        return false;
    }
    if (!RunMciCommand(command))
        return false;
    // Once the alias is open it must be closed again on any later failure,
    // or the next recording could not open it.
    if (!RunMciCommand("set " RECORDER_ALIAS " time format samples") ||
        !RunMciCommand("record " RECORDER_ALIAS " overwrite")) {
        mciSendStringA("close " RECORDER_ALIAS, nullptr, 0, nullptr);
        return false;
    }
    return true;
}

void RestoreRecordingSource(PlayerState *player)
{
    DWORD previous = player->recorder.previousSource;
    SelectRecordingSource(previous ? previous : MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, nullptr);
    player->recorder.previousSource = 0;
}

void StartRecording(PlayerState *player)
{
    char path[RECORD_PATH_CHARS] = "audio_out.wav";
    OPENFILENAMEA save = {};
    save.lStructSize = sizeof save;
    save.hwndOwner = player->window;
    save.lpstrFilter = "New Wave File\0*.wav\0";
    save.lpstrFile = path;
    save.nMaxFile = sizeof path;
    save.lpstrInitialDir = ".\\";
    save.lpstrDefExt = "wav";
    save.lpstrTitle = "Select/Create File To Record";
    save.Flags = OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    if (!GetSaveFileNameA(&save))
        return;
    if (!CreateWaveFile(path, player->window, RECORD_RATE, 2, 16))
        return;
    if (!SwitchToOutputSource(&player->recorder.previousSource)) {
        ZtMessageBox(player->window, "Unable to set recording WAVEOUT device",
                           "Unable to determine audio output device", MB_ICONERROR);
        return;
    }
    if (!Record(player, path)) {
        RestoreRecordingSource(player);
        return;
    }
    CheckMenuItem(player->menu, CM_RECORD_OUTPUT, MF_BYCOMMAND | MF_CHECKED);
    player->recorder.recording = 1;
    InvalidateRect(player->window, nullptr, TRUE);
}

void StopRecording(PlayerState *player)
{
    if (RunMciCommand("stop " RECORDER_ALIAS))
        RunMciCommand("save " RECORDER_ALIAS);
    // The alias is closed whatever happened, so that recording can start again.
    RunMciCommand("close " RECORDER_ALIAS);
    RestoreRecordingSource(player);
    player->recorder.recording = 0;
    CheckMenuItem(player->menu, CM_RECORD_OUTPUT, MF_BYCOMMAND | MF_UNCHECKED);
    InvalidateRect(player->window, nullptr, TRUE);
}

} // namespace

int CreateWaveFile(const char *path, HWND owner, int samplesPerSecond, int channels,
                   int bitsPerSample)
{
    HMMIO file = mmioOpenA((LPSTR)path, nullptr, MMIO_CREATE | MMIO_WRITE | MMIO_EXCLUSIVE | MMIO_ALLOCBUF);
    if (!file) {
        ZtMessageBox(owner, "Cannot create file", "ERROR", MB_ICONWARNING);
        return 0;
    }
    MMCKINFO wave = {}, chunk = {};
    wave.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = (WORD)channels;
    format.nSamplesPerSec = samplesPerSecond;
    format.wBitsPerSample = (WORD)bitsPerSample;
    format.nBlockAlign = (WORD)(channels * (bitsPerSample / 8));
    format.nAvgBytesPerSec = format.nBlockAlign * samplesPerSecond;
    format.cbSize = 0;
    DWORD factSamples = 0;
    bool ok = mmioCreateChunk(file, &wave, MMIO_CREATERIFF) == MMSYSERR_NOERROR;
    chunk.ckid = mmioFOURCC('f', 'm', 't', ' ');
    ok = ok && mmioCreateChunk(file, &chunk, 0) == MMSYSERR_NOERROR &&
         mmioWrite(file, (const char *)&format, 18) == 18 && mmioAscend(file, &chunk, 0) == MMSYSERR_NOERROR;
    chunk = MMCKINFO();
    chunk.ckid = mmioFOURCC('f', 'a', 'c', 't');
    ok = ok && mmioCreateChunk(file, &chunk, 0) == MMSYSERR_NOERROR &&
         mmioWrite(file, (const char *)&factSamples, 4) == 4 && mmioAscend(file, &chunk, 0) == MMSYSERR_NOERROR;
    chunk = MMCKINFO();
    chunk.ckid = mmioFOURCC('d', 'a', 't', 'a');
    ok = ok && mmioCreateChunk(file, &chunk, 0) == MMSYSERR_NOERROR &&
         mmioAscend(file, &chunk, 0) == MMSYSERR_NOERROR && mmioAscend(file, &wave, 0) == MMSYSERR_NOERROR;
    ok = mmioClose(file, 0) == MMSYSERR_NOERROR && ok;
    if (!ok) {
        ZtMessageBox(owner, "Cannot create file", "ERROR", MB_ICONWARNING);
        return 0;
    }
    return 1;
}

int RunMciCommand(const char *command)
{
    MCIERROR error = mciSendStringA(command, nullptr, 0, nullptr);
    if (error == 0)
        return 1;
    char text[MCI_ERROR_CHARS] = "";
    if (!mciGetErrorStringA(error, text, sizeof text))
        snprintf(text, sizeof text, "MCI error %lu", (unsigned long)error);
    ZtMessageBox(nullptr, text, "Open Error", MB_ICONWARNING);
    return 0;
}

int SelectRecordingSource(DWORD componentType, DWORD *previous)
{
    RecordingControl c = {};
    if (OpenRecordingControl(&c) != 0)
        return 0;
    DWORD *types = (DWORD *)calloc(c.items, sizeof *types);
    MIXERCONTROLDETAILS_BOOLEAN *values =
        (MIXERCONTROLDETAILS_BOOLEAN *)calloc(c.items, sizeof *values);
    int result = 0;
    if (types && values && ItemComponentTypes(&c, types) == 0 && ControlValues(&c, values, false) == 0) {
        int found = -1;
        for (DWORD i = 0; i < c.items; ++i)
            if (types[i] == componentType)
                found = (int)i; // the last such item wins
        if (previous) {
            *previous = 0;
            for (DWORD i = 0; i < c.items && !*previous; ++i)
                if (values[i].fValue)
                    *previous = types[i];
        }
        if (found >= 0) {
            if (c.control.dwControlType == MIXERCONTROL_CONTROLTYPE_MUX)
                for (DWORD i = 0; i < c.items; ++i)
                    values[i].fValue = 0;
            values[found].fValue = 1;
            result = ControlValues(&c, values, true) == 0;
        }
    }
    free(types);
    free(values);
    mixerClose(c.mixer);
    return result;
}

int SwitchToOutputSource(DWORD *previous)
{
    for (int attempt = 0; attempt < 2; ++attempt)
        if (SelectRecordingSource(MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, previous) ||
            SelectRecordingSource(MIXERLINE_COMPONENTTYPE_SRC_ANALOG, previous))
            return 1;
    return 0;
}

void ToggleRecording(PlayerState *player)
{
    if (player->recorder.recording)
        StopRecording(player);
    else
        StartRecording(player);
}

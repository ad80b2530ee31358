// The module engine under our MIDAS layer: loads tracker modules with libxmp,
// plays one at a time and renders it as 16-bit interleaved stereo. Single
// threaded; the Windows layer holds its lock around every call.
#pragma once

struct MidasTune; // one loaded module

enum {
    MIDAS_SONG_NAME_BYTES = 32,
    MIDAS_MAX_SEPARATION = 64,
};

struct MidasSongInfo {
    char songName[MIDAS_SONG_NAME_BYTES];
    int songLength;     // positions in the order list
    int numPatterns;
    int numInstruments;
    int numChannels;
};

struct MidasSongStatus {
    int position;       // order list position being played
    int pattern;
    int row;
    int songLoopCount;  // times the song went past its end and started again
};

struct MidasEngine {
    int rate;           // output frames per second
    int separation;     // 0 mono .. MIDAS_MAX_SEPARATION full stereo
    int highQuality;    // spline interpolation instead of linear
    MidasTune *playing; // null when nothing plays
    int suspended;      // renders silence and holds the song where it is
};

void MidasEngineReset(MidasEngine *engine);

// Null when the file cannot be read or is no module the engine knows.
MidasTune *MidasEngineLoad(const char *path);
// Stops the module first when it is the one playing.
void MidasEngineFree(MidasEngine *engine, MidasTune *tune);

// Starts the module from its beginning, replacing whatever played. 0 or -1.
int MidasEnginePlay(MidasEngine *engine, MidasTune *tune);
// 0, or -1 when that module is not playing.
int MidasEngineStop(MidasEngine *engine, MidasTune *tune);

int MidasEngineInfo(const MidasTune *tune, MidasSongInfo *info);
// The place reached by the last render; -1 for a null module.
int MidasEngineStatus(const MidasTune *tune, MidasSongStatus *status);

// Fills frames x 2 samples; silence when nothing plays or while suspended.
void MidasEngineRender(MidasEngine *engine, short *samples, int frames);

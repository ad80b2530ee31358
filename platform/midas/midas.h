// midas11.dll: the tracker-module library the media player calls. Ours is a
// small layer over libxmp that answers the calls the player makes, in the
// way it relies on them.
#pragma once
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef void *MIDASmodule;              // null: no module
typedef DWORD MIDASmodulePlayHandle;    // 0: nothing plays

// Options for MIDASsetOption.
enum {
    MIDAS_OPTION_OUTPUTMODE = 2,        // one of MIDAS_MODE_*
    MIDAS_OPTION_16BIT_ULAW_AUTOCONVERT = 9,
    MIDAS_OPTION_MIXING_MODE = 11,      // 0 plain, 1 high quality
    MIDAS_OPTION_DEFAULT_STEREO_SEPARATION = 12, // 0 mono .. 64 full
};
enum {
    MIDAS_MODE_16BIT_STEREO = 10,
};

typedef struct {
    char songName[32];
    unsigned songLength;                // positions in the order list
    unsigned numPatterns;
    unsigned numInstruments;
    unsigned numChannels;
} MIDASmoduleInfo;

typedef struct {
    unsigned position;
    unsigned pattern;
    unsigned row;
    int syncInfo;
    unsigned songLoopCount;             // non-zero once the song has ended
} MIDASplayStatus;

BOOL WINAPI MIDASstartup(void);
BOOL WINAPI MIDASsetOption(int option, DWORD value);
BOOL WINAPI MIDASinit(void);
BOOL WINAPI MIDASstartBackgroundPlay(DWORD pollRate);
BOOL WINAPI MIDASstopBackgroundPlay(void);
BOOL WINAPI MIDASclose(void);
MIDASmodule WINAPI MIDASloadModule(const char *fileName);
MIDASmodulePlayHandle WINAPI MIDASplayModule(MIDASmodule module, BOOL loopSong);
BOOL WINAPI MIDASstopModule(MIDASmodulePlayHandle playHandle);
BOOL WINAPI MIDASfreeModule(MIDASmodule module);
BOOL WINAPI MIDASgetModuleInfo(MIDASmodule module, MIDASmoduleInfo *info);
BOOL WINAPI MIDASgetPlayStatus(MIDASmodulePlayHandle playHandle, MIDASplayStatus *status);
BOOL WINAPI MIDASsuspend(void);
BOOL WINAPI MIDASresume(void);

#ifdef __cplusplus
}
#endif

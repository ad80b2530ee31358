// The player dialog: its state and the functions its files share.
#pragma once
#include <windows.h>

#include "midas.h"
#include "playlist_format.h"
#include "tunelark_ids.h"

enum ModuleState { MODULE_STOPPED = 0, MODULE_PLAYING = 1, MODULE_PAUSED = 2 };

struct RecorderState {
    int recording;
    DWORD previousSource;   // mixer component type to give back, 0 unknown
};

struct PlayerState {
    HWND window;
    HWND list;
    HWND mciWindow;                 // null when no MCI file is open
    MIDASmodule module;
    MIDASmodulePlayHandle playHandle;
    int moduleState;
    DWORD moduleElapsedMs;          // before the last start or resume
    DWORD moduleStartTick;
    int midasOpen;
    int currentIndex;               // -1 until a track is chosen
    int topmost, shuffle;
    int rollDirection, rolledUp;
    volatile LONG rollDone;         // 1 while no roll animation runs
    int dragging, active;
    int settingsSaved;
    RecorderState recorder;
    HMENU menuBar, menu;
    HICON buttonIcons[PLAYER_BUTTON_ICONS];
    HICON rollUpIcon, rollNeutralIcon, rollDownIcon;
    HWND tip;
    HWND scope;
    RECT scopeAnchor;               // the player's rectangle when the scope was last placed
    int alpha;                      // -1 opaque, else 1 to 255
    char lastAddDir[PLAYLIST_PATH_CHARS];
    POINT dragPoint;
};

PlayerState *PlayerOf(HWND window);

// Playback (player_playback.cpp).
void StartTrack(PlayerState *player, int how);
void PlayPrevious(PlayerState *player);
void PlayNext(PlayerState *player);
void StopPlaying(PlayerState *player);
void PauseOrResume(PlayerState *player);
void CloseCurrentTrack(PlayerState *player);
void OnPlayerTick(PlayerState *player);
void OnPlayerSlider(PlayerState *player, HWND slider, int code);
bool MciIsPlayingOrPaused(const PlayerState *player);
void DrawStatusPanel(HWND panel, HWND mciWindow, long milliseconds, int index, int showTime,
                     int recording);
void DrawGradient(HDC dc, const RECT *area, COLORREF top, COLORREF bottom);
void SetScopeSampling(HWND scope, int on);
void StartMidas(PlayerState *player);
void CloseMidas(PlayerState *player);

// Playlist rows (playlist_window.cpp).
// 0; -1 when the list refuses the row or the path is too long for an entry;
// ROW_OUT_OF_MEMORY, which ends a load or scan.
enum { ROW_OUT_OF_MEMORY = -2 };
int AddPlaylistRow(HWND list, const char *text, const char *path);
PlaylistEntry *EntryOfRow(HWND list, int row);
int FirstSelectedRow(HWND list);
void SelectOnlyRow(HWND list, int row);
void DeleteAllRows(HWND list);
void DeleteSelectedRows(HWND list);
int LoadPlaylistFile(HWND dialog, const char *path);
void SavePlaylistFile(HWND dialog);
int AddDirectoryFiles(HWND list, const char *folder, const char *pattern);
int AddDirectoryTree(HWND list, const char *folder, const char *pattern);
void AppendBackslash(char *path, int size);
int IsDirectoryPath(const char *path);
int BrowseForDirectory(HWND owner, char *buffer, int size);
void AddFolderOfEveryType(HWND list, const char *folder);
void AddDirectoryCommand(PlayerState *player);
void AddFilesCommand(PlayerState *player);
void LoadPlaylistCommand(PlayerState *player);

// Settings (player_settings.cpp).
int LoadPlayerSettings(PlayerState *player);
int SavePlayerSettings(PlayerState *player, int selectedRow);

// Recording (recording.cpp).
int CreateWaveFile(const char *path, HWND owner, int samplesPerSecond, int channels,
                   int bitsPerSample);
int RunMciCommand(const char *command);
int SelectRecordingSource(DWORD componentType, DWORD *previous);
int SwitchToOutputSource(DWORD *previous);
void ToggleRecording(PlayerState *player);

// Window helpers (window_roll.cpp).
struct RollParams {
    LONG targetBottom, targetRight;
    HWND window;
    LONG step;
    volatile LONG *rollDone;
};
DWORD WINAPI WindowRollThread(LPVOID parameter);
void SetWindowTransparency(HWND window, int alpha);

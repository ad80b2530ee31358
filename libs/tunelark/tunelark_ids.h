// Identifiers, names and texts of the media player library. Read by the
// resource compiler too, so only plain definitions outside the C++ guard.
#pragma once

#define PLAYER_REGISTRY_KEY "software\\Kestrova\\Tunelark"
#define PLAYER_WINDOW_VALUE "MP3_Window"
#define PLAYER_LAST_DIR_VALUE "MP3_LastAddDirPath"
#define PLAYER_FILE_VALUE "MP3_FILE_%d"
#define RECORDER_ALIAS "ZETTLIESRECORDER"

#define IDD_PLAYER 101
#define IDM_PLAYER 102

#define IDC_PREV 400
#define IDC_PLAY 401
#define IDC_STOP 402
#define IDC_PAUSE 403
#define IDC_NEXT 404
#define IDC_ADD 405
#define IDC_SHUFFLE 406
#define IDC_STATUS 1048
#define IDC_VOLUME 1012
#define IDC_ROLL 1011
#define IDC_CLOSE 1002
#define IDC_POSITION 1047
#define IDC_ROLLED_MARK 3000
#define IDC_MIN_HEIGHT_MARK 2004
#define IDC_PLAYLIST 1007
#define IDC_LIST_BOTTOM_MARK 2003

// Two images per button 400 to 406, then the shuffle-on image.
#define IDI_BUTTON_FIRST 400
#define IDI_PREV 400
#define IDI_PREV_DOWN 401
#define IDI_PLAY 402
#define IDI_PLAY_DOWN 403
#define IDI_STOP 404
#define IDI_STOP_DOWN 405
#define IDI_PAUSE 406
#define IDI_PAUSE_DOWN 407
#define IDI_NEXT 408
#define IDI_NEXT_DOWN 409
#define IDI_ADD 410
#define IDI_ADD_DOWN 411
#define IDI_SHUFFLE_OFF 412
#define IDI_SHUFFLE_ON 413
#define IDI_ROLL_UP_ARROW 450     // shown while unrolled
#define IDI_ROLL_NEUTRAL 451
#define IDI_ROLL_DOWN_ARROW 452   // shown while rolled up

#define CM_ADD_DIR 40008
#define CM_ADD_FILES 40009
#define CM_DEL_ALL 40010
#define CM_DEL_FILES 40011
#define CM_TOP_WINDOW 40042
#define CM_SAVE_PLAYLIST 40043
#define CM_LOAD_PLAYLIST 40044
#define CM_RECORD_OUTPUT 40060
#define CM_AUDIO_SCOPE 40061
#define CM_TRANSPARENCY_OFF 300
#define CM_TRANSPARENCY_10 310
#define CM_TRANSPARENCY_20 320
#define CM_TRANSPARENCY_30 330
#define CM_TRANSPARENCY_40 340
#define CM_TRANSPARENCY_50 350
#define CM_TRANSPARENCY_60 360
#define CM_TRANSPARENCY_70 370
#define CM_TRANSPARENCY_80 380
#define CM_TRANSPARENCY_90 390

// The audio scope.
#define SCOPE_REGISTRY_KEY "Software\\Kestrova\\ZezazUzizu"
#define SCOPE_INFO_VALUE "ScopeInfo"
#define SCOPE_INFO_FORMAT "%u %d %d %d"
#define IDD_SCOPE 126
#define IDM_SCOPE 127
#define IDB_METER_DARK 129
#define IDB_METER_LIT 130
#define IDB_METER_FACE 131
#define IDB_BAR_DARK 132
#define IDB_BAR_LIT 133
#define CM_SCOPE_SAMPLING 1000
#define CM_SCOPE_OSCILLOSCOPE 40062
#define CM_SCOPE_BARS_FULL 40063
#define CM_SCOPE_DIGITAL_METER 40064
#define CM_SCOPE_ANALOG_METER 40065
#define CM_SCOPE_CLOSE 40066
#define CM_SCOPE_FINE_FULL 40067
#define CM_SCOPE_TOPMOST 40083
#define CM_SCOPE_BARS_HALF 40094
#define CM_SCOPE_FINE_HALF 40095
#define CM_SCOPE_PLASMA_INIT 40096
#define CM_SCOPE_GAIN_0 900
#define CM_SCOPE_GAIN_20 920
#define CM_SCOPE_GAIN_40 940
#define CM_SCOPE_GAIN_60 960
#define CM_SCOPE_GAIN_80 980
#define CM_SCOPE_EVERY_FRAME 50000
#define CM_SCOPE_SKIP_1 50001
#define CM_SCOPE_SKIP_2 50002
#define CM_SCOPE_SKIP_3 50003
#define CM_SCOPE_SKIP_4 50004
#define CM_SCOPE_SKIP_5 50005
#define CM_SCOPE_SKIP_6 50006
#define CM_SCOPE_SKIP_7 50007
#define CM_SCOPE_SKIP_8 50008
#define CM_SCOPE_SKIP_9 50009
#define CM_SCOPE_SKIP_10 50010
#define CM_SCOPE_SKIP_11 50011
#define CM_SCOPE_SKIP_12 50012

#ifndef RC_INVOKED
enum {
    PLAYER_BUTTON_COUNT = 7,
    PLAYER_BUTTON_ICONS = 14,
    PLAYER_TIMER = 0,
    PLAYER_TICK_MS = 50,
    PLAYER_SAVE_STATE = 1,          // WM_USER wParam from the main program
    PLAY_BY_USER = 0,               // HIWORD of command 401
    PLAY_AUTOMATIC = 1,
    PLAY_DOUBLE_CLICK = 2,
    PLAYER_FILE_BUFFER = 8320,
    PLAYER_REGISTRY_ROW_BYTES = 520,
    PLAYER_MAX_DELETED_ROWS = 1024,
    ROLL_STEP = 5,
    ROLL_STEP_AT_ONCE = 1000,
    ROLL_TICK_MS = 16,
};
enum {
    SCOPE_START = 100,              // WM_USER wParam values of the scope
    SCOPE_STOP = 200,
    SCOPE_GET_MODE = 300,
    SCOPE_SET_MODE = 400,
    SCOPE_RESTART = 500,
    SCOPE_START_PLASMA = 700,
};
static_assert(IDI_SHUFFLE_ON == IDI_BUTTON_FIRST + 2 * PLAYER_BUTTON_COUNT - 1,
              "the shuffle image follows the pairs of button images");
static_assert(IDC_SHUFFLE - IDC_PREV + 1 == PLAYER_BUTTON_COUNT, "buttons are numbered in a row");
#endif

// Resources, commands and texts of the background changer.
#pragma once

#define CHANGER_CLASS "BGWindow"
#define CHANGER_KEY "software\\Kestrova"
#define CHANGER_VARS_VALUE "BG Changer Vars"
#define CHANGER_PATH_VALUE "BG Changer Image Path"
#define CHANGER_TIP_ON "Change Background (ON)"
#define CHANGER_TIP_OFF "Change Background (OFF)"
#define CHANGER_CURRENT_FILE "cur_bmp.txt"
#define CHANGER_BITMAP_FILE "TMPFILE.BMP"

// #defines, not an enum: the resource compiler reads them too.
#define IDI_CHANGER_ON 101
#define IDI_CHANGER_OFF 102
#define IDM_CHANGER 105
#define IDD_REFRESH_TIME 106
#define IDC_REFRESH_SPIN 1000
#define IDC_REFRESH_EDIT 1001
#define CM_CHANGE_NOW 40004
#define CM_TOGGLE_CHANGING 40005
#define CM_EXIT_CHANGER 40006
#define CM_SET_REFRESH 40007
#define CM_BILINEAR 40008
#define CM_SHARPEN 40009
#define CM_SHARPEN_MORE 40010
#define CM_SET_DIRECTORY 40011
#define CM_LOADING_IMAGES 40012
#define CHANGER_TIMER 1
#define CHANGER_TRAY_ID 0
#define CHANGER_TRAY_MESSAGE 0x8064
#define CHANGER_PATH_BYTES 520


// Resource ids, texts and sizes of the emulator's About dialog. Plain defines:
// the resource compiler reads this header too.
#pragma once

#define IDD_VUVOVIR 700

#define IDC_VUVOVIR_SCREEN 1013
#define IDC_VUVOVIR_SHOW_FPS 2000
#define IDC_VUVOVIR_SKIP_MORE 2001
#define IDC_VUVOVIR_QUIT 2002
#define IDC_VUVOVIR_HELP 2003
#define IDC_VUVOVIR_SKIP_LESS 2004
#define IDC_VUVOVIR_FULL_THROTTLE 2005
#define IDC_VUVOVIR_RESET 2006
#define IDC_VUVOVIR_DIP_GROUP 2007
#define IDC_VUVOVIR_BONUS_LABEL 2008
#define IDC_VUVOVIR_LIVES_LABEL 2009
#define IDC_VUVOVIR_BONUS_3000 2010
#define IDC_VUVOVIR_BONUS_4000 2011
#define IDC_VUVOVIR_BONUS_5000 2012
#define IDC_VUVOVIR_BONUS_6000 2013
#define IDC_VUVOVIR_LIVES_3 2014
#define IDC_VUVOVIR_LIVES_4 2015
#define IDC_VUVOVIR_LIVES_5 2016
#define IDC_VUVOVIR_LIVES_6 2017
#define IDC_VUVOVIR_GAME_LABEL 2018
#define IDC_VUVOVIR_GAME_VUVOVIR 2019
#define IDC_VUVOVIR_GAME_SORVALEN 2020
#define IDC_VUVOVIR_STRETCH 2021
#define IDC_VUVOVIR_ABOUT_STRIP 2022

// Controls that follow a resize: moved, keeping their size.
#define IDC_VUVOVIR_FIRST_MOVING 2000
#define IDC_VUVOVIR_LAST_MOVING 2022

#define VUVOVIR_CAPTION "Zettlies  : "
#define VUVOVIR_VERSION_QUERY "\\StringFileInfo\\00000000\\FileVersion"

#define VUVOVIR_INIT_ERROR_CAPTION "Vuvovir Init Error"
#define VUVOVIR_INIT_ERROR_TEXT "Unable to start program eumlation"
#define VUVOVIR_HELP_CAPTION "Vuvovir Help"

#define VUVOVIR_REGISTRY_KEY "software\\Kestrova\\Vuvovir"
#define VUVOVIR_HISCORE_VALUE "HiScore"

// The stretched dialog is this many pixels larger each way.
#define VUVOVIR_STRETCH_GROWTH 100
// One step of the about strip.
#define VUVOVIR_PAINT_STEP_MS 15
// How long the dialog waits for one of its threads to end before it lets go.
#define VUVOVIR_THREAD_WAIT_MS 2000

#define VUVOVIR_HELP_TEXT                                                                     \
    "The About box runs two arcade machines of old, Vuvovir and Sorvalen, on an emulated "  \
    "Z80 processor. Choose the game, the lives and the bonus under DIP Switches and press " \
    "Reset to start it afresh; the best scores are kept from one run to the next.\r\n\r\n"  \
    "Game keys:\r\n"                                                                         \
    "\tControl or Space\tfire\r\n"                                                           \
    "\tAlt or B\t\tbarrier\r\n"                                                              \
    "\tA or Left arrow\tmove left\r\n"                                                       \
    "\tD or Right arrow\tmove right\r\n"                                                     \
    "\t3\t\tinsert coin\r\n"                                                                 \
    "\t1 or 2\t\tstart game"

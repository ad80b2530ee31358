// Identifiers, class names and texts of the notes core. Resource ids are
// plain defines: the resource compiler reads this header too.
#pragma once

#define ZETTLIES_MAIN_CLASS "Zettlies"
#define ZETTLY_NOTE_CLASS "Zettly Class"
#define ZETTLY_GROUP_CLASS "ZettliesGroup"
#define ZETTLY_TOOLTIP_CLASS "ZettlyToolTip"
#define ZETTLIES_REGISTRY_KEY "software\\Kestrova"
#define MULTI_INSTANCE_SWITCH "-multinstances"
#define RICH_EDIT_LIBRARY "RICHED32.DLL"
#define RICH_EDIT_CLASS "RICHEDIT"

#define IDA_NOTE_COMMANDS 120 // note window commands, translated by the edit control
#define IDA_EDIT_COMMANDS 134 // the edit control's own commands
#define IDI_ZETTLIES 99 // the program's own icon; also the tray icon at rest

static_assert(IDA_NOTE_COMMANDS != IDA_EDIT_COMMANDS, "accelerator tables");

// ---------------------------------------------------------------- note windows

// icons of the title strip
#define IDI_NOTE_CLOSE 106
#define IDI_NOTE_CLOSE_HOT 3001
#define IDI_NOTE_ALARM 123
#define IDI_NOTE_CALCULATOR 124
#define IDI_NOTE_CONSOLE 3002

enum {
    NOTE_EDIT_ID = 1,    // the rich-edit child
    NOTE_TITLE_TIMER = 1, // press and hold on the strip opens the title edit
    NOTE_TITLE_HOLD_MS = 1000,
    NOTE_TITLE_HOLD_SLOP = 10,
};

// Note commands (the note menu, table 120, the title strip).
#define NOTE_COMMAND_FIRST 20000
#define CMD_NEW_ZETTLY 20100
#define CMD_ROLL_ZETTLY 20110
#define CMD_PREFERENCES 20120
#define CMD_SET_TITLE 20130
#define CMD_ALWAYS_ON_TOP 20150
#define CMD_SET_ALARM 20170
#define CMD_CLOSE_ZETTLY 20190
#define CMD_PRINT 20200
#define CMD_PRINT_PREVIEW 20205
#define CMD_IMPORT 20230
#define CMD_EXPORT 20240
#define CMD_MAKE_DEFAULT 20250
#define CMD_SPELL_CHECK 20275
#define CMD_FIND 20280
#define CMD_REPLACE 20290
#define CMD_MAIL_TEXT 20310
#define CMD_MAIL_EXP_RECORD 20315
#define CMD_MAIL_RICH_TEXT 20316
#define CMD_MAIL_INSTALLER 20320
#define CMD_CALC_MODE 20340
#define CMD_CALC_SELECTION 20350
#define CMD_HIDE_ZETTLY 20360
#define CMD_CONSOLE_MODE 20400
#define CMD_SHOW_PROCESS_TREE 20410
#define CMD_DUMP_PROCESS_TREE 20420
#define CMD_STARTUP_CMD 20430
#define CMD_REMOVE_FROM_GROUP 20500
#define CMD_SELECT_ALL_NOTE 21000
#define CMD_ADD_TO_GROUP_FIRST 22000 // + the group's slot
#define CMD_ADD_TO_GROUP_LAST 22254 // groups live in slots 0..254 only
#define NOTE_COMMAND_LAST 30000
static_assert(CMD_ADD_TO_GROUP_LAST - CMD_ADD_TO_GROUP_FIRST == 254, "one add id per slot 0..254");

// Dialogs of the editing library's resources that the note window opens.
#define IDD_PRINT_PREVIEW 146
#define IDD_SPELL_CHECK 141
static_assert((int)NOTE_COMMAND_FIRST < (int)CMD_NEW_ZETTLY &&
                  (int)CMD_SELECT_ALL_NOTE < (int)NOTE_COMMAND_LAST,
              "note commands lie in the range the edit control forwards");

// Editor commands (table 134 and the editor's own).
#define CMD_EDIT_UNINDENT 15443
#define CMD_EDIT_INDENT 15444
#define CMD_EDIT_TAB 16434
#define CMD_EDIT_SHIFT_TAB 16435
#define CMD_EDIT_COPY 40020
#define CMD_EDIT_PASTE 40021
#define CMD_EDIT_SELECT_ALL 40023
#define CMD_EDIT_CUT 40050
#define CMD_EDIT_DEFAULT_COLOURS 40089
#define CMD_EDIT_CTRL_Y 40103
#define CMD_EDIT_DELETE_LINE 40104
#define CMD_EDIT_SPELL_CHECK 40122
static_assert((int)CMD_EDIT_TAB < (int)NOTE_COMMAND_FIRST &&
                  (int)CMD_EDIT_CTRL_Y > (int)NOTE_COMMAND_LAST,
              "editor commands stay outside the forwarded range");

// WM_USER codes by which other windows steer a note's edit control.
enum {
    EDIT_REALIGN = 0,
    EDIT_HIDE_COMPANIONS = 1,
    EDIT_SHOW_COMPANIONS = 2,
    EDIT_ALPHA_COMPANIONS = 3,
    EDIT_GET_TOOLBAR = 4,
    EDIT_ALPHA_LINE_COLUMN = 5,
    EDIT_TAKE_FOCUS = 6,
};

#define CLOSE_ZETTLY_QUESTION "Are you sure you want to close and kill zettly?"
#define ATTENTION_CAPTION "*** Attention / Achtung ***"
#define GROUP_ADD_QUESTION "Do you want to add this zettly to this group?"
#define GROUP_ADD_CAPTION "Group Add Zettly"

// ---- Main window, tray menus and their commands.
#define ZETTLY_HELP_FILE "zettlies.chm"
#define ZETTLY_HELP_SUBFOLDER "\\help\\"
#define TRAY_TIP_IDLE "Zettly Stuff"
#define TRAY_TIP_SAVING "Saving Zettlies"
#define TRAY_TIP_SAVED "Zettly Stufff"
#define PLAYER_REGISTRY_KEY "software\\Kestrova\\Tunelark"
#define CLOCK_REGISTRY_KEY "software\\Kestrova\\RozUvedo"
#define METER_REGISTRY_KEY "software\\Kestrova\\MemStat"

// Icons shown in the tray while a save runs, in order of progress.
#define IDI_SAVE_0 100
#define IDI_SAVE_1 101
#define IDI_SAVE_2 102
#define IDI_SAVE_3 103
#define IDI_SAVE_4 104
#define IDI_SAVE_5 105
#define IDI_SAVE_6 107
#define IDI_SAVE_7 108
#define IDI_SAVE_8 110
#define IDR_TRAY_MENU 3100 // the tray menu with the "Zettlies Utils" submenu

enum {
    IDD_PREFERENCES = 500,
    IDD_QUICK_PICK = 157,
    IDD_PROCESS_TREE = 9000,
};
static_assert((int)IDI_ZETTLIES < (int)IDI_SAVE_0 && IDI_SAVE_8 == 110, "tray icon ids");
static_assert(IDR_TRAY_MENU >= 3100 && IDR_TRAY_MENU < 3200, "tray resource range");

// Messages the main window takes.
enum {
    WM_TRAY_CALLBACK = 0x8064, // WM_APP + 100, lParam the mouse message
    // WM_USER with these in wParam.
    MAIN_START_ALARM_SOUND = 101, // lParam the slot
    MAIN_START_ALARM_BLINK = 102, // lParam the slot
    MAIN_SAVE_PERIOD_CHANGED = 103,
    MAIN_SHORTCUT = 104, // lParam one of the codes below
    SHORTCUT_OPEN_LIST = 1,
    SHORTCUT_JUMP = 2,
    SHORTCUT_NEXT = 3,
    SHORTCUT_PREVIOUS = 4,
    SHORTCUT_NEW_NOTE = 5,
    SHORTCUT_DELETE_NOTE = 6,
    SHORTCUT_CLOSE_LIST = 7,
    // lParam HOOK_OFF or HOOK_ON puts the keyboard shortcut hook in or takes
    // it out (setting 19 follows), anything else only asks; the answer is
    // whether the hook is in.
    MAIN_KEYBOARD_HOOK = 105,
    HOOK_OFF = 0,
    HOOK_ON = 1,
    HOOK_ASK = -1,
    // WM_USER to a companion: wParam 1 asks it to save its state, lParam 1 says
    // the caller will destroy it straight after.
    COMPANION_SAVE_STATE = 1,
    // WM_USER codes to a note's edit control are the EDIT_* above.
};

// WM_USER with this in wParam asks a note's check list to write its items in
// the item stream form to the open FILE* in lParam; the store sends it while it
// saves, the check list's other codes are editing's own.
#define CHECK_LIST_WRITE 1
static_assert(WM_TRAY_CALLBACK == 0x8000 + 100, "tray callback is WM_APP + 100");

enum {
    TIMER_ALARMS = 0,
    TIMER_AUTOSAVE = 1,
    ALARM_CHECK_PERIOD_MS = 60000,
    WORKER_STACK_BYTES = 512,
    // After GetMessage failed twice in a row the loop waits this long for
    // the queue before it asks again.
    FAILED_GET_MESSAGE_PAUSE_MS = 50,
};

// WM_COMMAND ids of the tray menus and of the notes they steer.
#define CMD_JUMP_FIRST 4000 // + slot
#define CMD_JUMP_LAST 4254
#define CMD_THIN_SEPARATOR 6000
#define CMD_NEW_GROUP 20105
#define CMD_ABOUT 20140
#define CMD_INFO 20145
#define CMD_SAVE_NOW 20160
#define CMD_QUIT 20180
#define CMD_REALIGN 20210
#define CMD_DEFAULT_PREFS 20220
#define CMD_NUKE 20260
#define CMD_EXPORT_ALL 20261
#define CMD_IMPORT_ALL 20262
#define CMD_HELP 20270
#define CMD_FIX_UNLINKED 20276
#define CMD_RESET_PLAYER 20277
#define CMD_RESET_CLOCK 20278
#define CMD_RESET_METER 20279
#define CMD_HIDE_ALL 20370
#define CMD_SHOW_ALL 20380
#define CMD_PLAYER 20440
#define CMD_CLOCK 20450
#define CMD_CHANGER 20460
#define CMD_METER 20470
static_assert(CMD_JUMP_LAST - CMD_JUMP_FIRST == 254, "one jump id per note slot 0..254");
static_assert(CMD_NEW_ZETTLY >= 20000 && CMD_METER < 30000, "tray commands go to the note range");

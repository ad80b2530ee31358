// Identifiers, class names and texts of the notes core.
#pragma once

#define ZETTLIES_MAIN_CLASS "Zettlies"
#define ZETTLY_NOTE_CLASS "Zettly Class"
#define ZETTLY_GROUP_CLASS "ZettliesGroup"
#define ZETTLY_TOOLTIP_CLASS "ZettlyToolTip"
#define ZETTLIES_REGISTRY_KEY "software\\Kestrova"
#define MULTI_INSTANCE_SWITCH "-multinstances"
#define RICH_EDIT_LIBRARY "RICHED32.DLL"
#define RICH_EDIT_CLASS "RICHEDIT"

enum {
    IDA_NOTE_COMMANDS = 120, // note window commands, translated by the edit control
    IDA_EDIT_COMMANDS = 134, // the edit control's own commands
    IDI_ZETTLIES = 99, // the program's own icon; also the tray icon at rest
    IDD_ABOUT_ARCADE = 700,
};

static_assert(IDA_NOTE_COMMANDS != IDA_EDIT_COMMANDS, "accelerator tables");

// ---- Main window, tray menus and their commands.
#define ZETTLY_HELP_FILE "zettlies.chm"
#define ZETTLY_HELP_SUBFOLDER "\\help\\"
#define TRAY_TIP_IDLE "Zettly Stuff"
#define TRAY_TIP_SAVING "Saving Zettlies"
#define TRAY_TIP_SAVED "Zettly Stufff"
#define PLAYER_REGISTRY_KEY "software\\Kestrova\\Tunelark"
#define CLOCK_REGISTRY_KEY "software\\Kestrova\\RozUvedo"
#define METER_REGISTRY_KEY "software\\Kestrova\\MemStat"

enum {
    // Icons shown in the tray while a save runs, in order of progress.
    IDI_SAVE_0 = 100,
    IDI_SAVE_1 = 101,
    IDI_SAVE_2 = 102,
    IDI_SAVE_3 = 103,
    IDI_SAVE_4 = 104,
    IDI_SAVE_5 = 105,
    IDI_SAVE_6 = 107,
    IDI_SAVE_7 = 108,
    IDI_SAVE_8 = 110,
    IDR_TRAY_MENU = 3100, // the tray menu with the "Zettlies Utils" submenu

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
    // WM_USER to a companion: wParam 1 asks it to save its state, lParam 1 says
    // the caller will destroy it straight after.
    COMPANION_SAVE_STATE = 1,
    // WM_USER to a note's edit control, wParam:
    EDIT_HIDE_COMPANIONS = 1,
    EDIT_SHOW_COMPANIONS = 2,
    EDIT_TAKE_FOCUS = 6,
    EDIT_GET_TOOLBAR = 4,
};
static_assert(WM_TRAY_CALLBACK == 0x8000 + 100, "tray callback is WM_APP + 100");

enum {
    TIMER_ALARMS = 0,
    TIMER_AUTOSAVE = 1,
    ALARM_CHECK_PERIOD_MS = 60000,
    WORKER_STACK_BYTES = 512,
};

// WM_COMMAND ids of the tray menus and of the notes they steer.
enum {
    CMD_JUMP_FIRST = 4000, // + slot
    CMD_JUMP_LAST = 4254,
    CMD_THIN_SEPARATOR = 6000,
    CMD_NEW_ZETTLY = 20100,
    CMD_NEW_GROUP = 20105,
    CMD_ROLL = 20110,
    CMD_ABOUT = 20140,
    CMD_INFO = 20145,
    CMD_SAVE_NOW = 20160,
    CMD_QUIT = 20180,
    CMD_CLOSE_NOTE = 20190,
    CMD_REALIGN = 20210,
    CMD_DEFAULT_PREFS = 20220,
    CMD_IMPORT = 20230,
    CMD_NUKE = 20260,
    CMD_EXPORT_ALL = 20261,
    CMD_IMPORT_ALL = 20262,
    CMD_HELP = 20270,
    CMD_FIX_UNLINKED = 20276,
    CMD_RESET_PLAYER = 20277,
    CMD_RESET_CLOCK = 20278,
    CMD_RESET_METER = 20279,
    CMD_HIDE_NOTE = 20360,
    CMD_HIDE_ALL = 20370,
    CMD_SHOW_ALL = 20380,
    CMD_PROCESS_TREE = 20410,
    CMD_PLAYER = 20440,
    CMD_CLOCK = 20450,
    CMD_CHANGER = 20460,
    CMD_METER = 20470,
};
static_assert(CMD_JUMP_LAST - CMD_JUMP_FIRST == 254, "one jump id per note slot 0..254");
static_assert(CMD_NEW_ZETTLY >= 20000 && CMD_METER < 30000, "tray commands go to the note range");

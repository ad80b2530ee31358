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
};

static_assert(IDA_NOTE_COMMANDS != IDA_EDIT_COMMANDS, "accelerator tables");

// ---------------------------------------------------------------- note windows

enum {
    // icons of the title strip
    IDI_NOTE_CLOSE = 106,
    IDI_NOTE_CLOSE_HOT = 3001,
    IDI_NOTE_ALARM = 123,
    IDI_NOTE_CALCULATOR = 124,
    IDI_NOTE_CONSOLE = 3002,

    NOTE_EDIT_ID = 1,    // the rich-edit child
    NOTE_TITLE_TIMER = 1, // press and hold on the strip opens the title edit
    NOTE_TITLE_HOLD_MS = 1000,
    NOTE_TITLE_HOLD_SLOP = 10,
};

// Note commands (the note menu, table 120, the title strip).
enum {
    NOTE_COMMAND_FIRST = 20000,
    CMD_NEW_ZETTLY = 20100,
    CMD_ROLL_ZETTLY = 20110,
    CMD_PREFERENCES = 20120,
    CMD_SET_TITLE = 20130,
    CMD_ALWAYS_ON_TOP = 20150,
    CMD_SET_ALARM = 20170,
    CMD_CLOSE_ZETTLY = 20190,
    CMD_PRINT = 20200,
    CMD_PRINT_PREVIEW = 20205,
    CMD_IMPORT = 20230,
    CMD_EXPORT = 20240,
    CMD_MAKE_DEFAULT = 20250,
    CMD_SPELL_CHECK = 20275,
    CMD_FIND = 20280,
    CMD_REPLACE = 20290,
    CMD_MAIL_TEXT = 20310,
    CMD_MAIL_EXP_RECORD = 20315,
    CMD_MAIL_RICH_TEXT = 20316,
    CMD_MAIL_INSTALLER = 20320,
    CMD_CALC_MODE = 20340,
    CMD_CALC_SELECTION = 20350,
    CMD_HIDE_ZETTLY = 20360,
    CMD_CONSOLE_MODE = 20400,
    CMD_SHOW_PROCESS_TREE = 20410,
    CMD_DUMP_PROCESS_TREE = 20420,
    CMD_STARTUP_CMD = 20430,
    CMD_REMOVE_FROM_GROUP = 20500,
    CMD_SELECT_ALL_NOTE = 21000,
    CMD_ADD_TO_GROUP_FIRST = 22000, // + the group's slot
    CMD_ADD_TO_GROUP_LAST = 22254,  // groups live in slots 0..254 only
    NOTE_COMMAND_LAST = 30000,
};
static_assert(CMD_ADD_TO_GROUP_LAST - CMD_ADD_TO_GROUP_FIRST == 254, "one add id per slot 0..254");

// Answers of the drop-choice dialog 4002.
enum {
    IDD_DROP_CHOICE = 4002,
    DROP_OVERWRITE = 209,
    DROP_APPEND = 210,
    DROP_CREATE_NEW = 211,
    DROP_CANCEL = 1010,
    IDD_PRINT_PREVIEW = 146,
    IDD_SPELL_CHECK = 141,
};
static_assert((int)NOTE_COMMAND_FIRST < (int)CMD_NEW_ZETTLY &&
                  (int)CMD_SELECT_ALL_NOTE < (int)NOTE_COMMAND_LAST,
              "note commands lie in the range the edit control forwards");

// Editor commands (table 134 and the editor's own).
enum {
    CMD_EDIT_UNINDENT = 15443,
    CMD_EDIT_INDENT = 15444,
    CMD_EDIT_TAB = 16434,
    CMD_EDIT_SHIFT_TAB = 16435,
    CMD_EDIT_COPY = 40020,
    CMD_EDIT_PASTE = 40021,
    CMD_EDIT_SELECT_ALL = 40023,
    CMD_EDIT_CUT = 40050,
    CMD_EDIT_DEFAULT_COLOURS = 40089,
    CMD_EDIT_CTRL_Y = 40103,
    CMD_EDIT_DELETE_LINE = 40104,
    CMD_EDIT_SPELL_CHECK = 40122,
};
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
    // WM_USER codes to a note's edit control are the EDIT_* above.
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
    CMD_NEW_GROUP = 20105,
    CMD_ROLL = 20110,
    CMD_ABOUT = 20140,
    CMD_INFO = 20145,
    CMD_SAVE_NOW = 20160,
    CMD_QUIT = 20180,
    CMD_CLOSE_NOTE = 20190,
    CMD_REALIGN = 20210,
    CMD_DEFAULT_PREFS = 20220,
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

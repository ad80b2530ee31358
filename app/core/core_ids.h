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
    IDI_ZETTLIES = 100,
    IDD_ABOUT_ARCADE = 700,
};

static_assert(IDA_NOTE_COMMANDS != IDA_EDIT_COMMANDS, "accelerator tables");

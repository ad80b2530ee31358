// Commands, menu and texts of a note's editor: its context menu 131, its key
// table 134 and the edit toolbar all send these to the edit control. Plain
// defines where the resource compiler reads them.
#pragma once

#include "core/core_ids.h"

#define IDR_EDITOR_MENU 131
// The Font Type menu's sizes, smallest first: this + the size's place.
#define CMD_EDIT_FONT_SIZE_FIRST 9001

// Ranges, tested before the single ids.
#define CMD_EDIT_SCHEME_DEFAULT 45000
#define CMD_EDIT_SCHEME_FIRST 45001 // + scheme number
#define CMD_EDIT_TEXT_COLOUR_FIRST 8000 // + palette entry
#define CMD_EDIT_HIGHLIGHT_FIRST 18000
#define CMD_EDIT_BLOCK_FIRST 12100
#define EDIT_PALETTE_SIZE 16
#define CMD_EDIT_PASTE_SYNTAX_FIRST 4000 // + language
#define CMD_EDIT_PASTE_SYNTAX_LAST 4999
#define CMD_EDIT_SYNTAX_FIRST 5000
#define CMD_EDIT_SYNTAX_LAST 5999
#define CMD_EDIT_AUTO_BLOCK_PASTE 6000
#define CMD_EDIT_AUTO_BLOCK_FORMAT 6001
#define CMD_EDIT_SYNTAX_BLOCK_COLOUR 6002
#define CMD_EDIT_BLOCK_WITH 10099 // colour in lParam

#define CMD_EDIT_DELETE 40054
#define CMD_EDIT_COPY_ALL 40051
#define CMD_EDIT_DELETE_ALL 40052
#define CMD_EDIT_CUT_ALL 40053
#define CMD_EDIT_PASTE_ALL 40055
#define CMD_EDIT_OTHER_TEXT_COLOUR 40041
#define CMD_EDIT_BOLD 40042
#define CMD_EDIT_ITALIC 40043
#define CMD_EDIT_UNDERLINE 40044
#define CMD_EDIT_STRIKE 40047
#define CMD_EDIT_FONT 40056
#define CMD_EDIT_BULLET 40074
#define CMD_EDIT_ALIGN_LEFT 40075
#define CMD_EDIT_ALIGN_CENTRE 40076
#define CMD_EDIT_ALIGN_RIGHT 40077
#define CMD_EDIT_SHIFT_LEFT 40078
#define CMD_EDIT_SHIFT_RIGHT 40079
#define CMD_EDIT_NUMBER 40080
#define CMD_EDIT_DEFAULT_HIGHLIGHT 40081
#define CMD_EDIT_OTHER_HIGHLIGHT 40082
#define CMD_EDIT_DEFAULT_TEXT_COLOUR 40083
#define CMD_EDIT_UNDO 40084
#define CMD_EDIT_SUBSCRIPT 40087
#define CMD_EDIT_NEXT_BULLET 40088
#define CMD_EDIT_REDO 40090
#define CMD_EDIT_SUPERSCRIPT 40091
#define CMD_EDIT_INSERT_OBJECT 40094
#define CMD_EDIT_PASTE_SPECIAL 40096
#define CMD_EDIT_DEFAULT_FONT 40097
#define CMD_EDIT_DEFAULT_FONT_ALL 40098
#define CMD_EDIT_DEFAULT_STYLE 40105
#define CMD_EDIT_OTHER_BLOCK 40126
#define CMD_EDIT_DEFAULT_BLOCK 40127
#define CMD_EDIT_TRIM_RIGHT 40129
#define CMD_EDIT_UNBLOCK 40131
#define CMD_EDIT_FIXED_WIDTH_NOTE 40132
#define CMD_EDIT_LOWER_CASE 40153
#define CMD_EDIT_UPPER_CASE 40154
#define CMD_EDIT_TABS_TO_SPACES 40156
#define CMD_EDIT_CHECK_LIST 40159
#define CMD_EDIT_ADD_TO_LIST 40160

enum {
    // Check-list messages (WM_USER + code in wParam is the list's own protocol).
    CHECK_LIST_ADD_TEXT = 0,
    CHECK_LIST_REMOVE = 4,
    CHECK_LIST_NEW_WIDTH = 150,
    CHECK_LIST_NEW_HEIGHT = 100,
    ADD_TO_LIST_SLACK = 1024,

    // Places in menu 131's popup that are completed at run time.
    EDITOR_MENU_BASE_POSITION = 0,  // "Zettly Base Menu": the note menu goes in here
    EDITOR_MENU_PASTE_UTILS = 8,    // its item 1 is "Paste as Syntax "
    PASTE_UTILS_SYNTAX = 1,
    EDITOR_MENU_FONT_COLOUR = 14,
    EDITOR_MENU_HIGHLIGHT = 15,
    EDITOR_MENU_SCHEME = 16,
    EDITOR_MENU_BLOCK_HIGHLIGHT = 17,
    EDITOR_MENU_BLOCK_FORMAT = 18,  // its item 20 is "Syntax Format"
    BLOCK_FORMAT_SYNTAX = 20,
    SWATCH_WIDTH = 60,

    INDENT_STEP_PIXELS = 40,
    EDIT_TAB_SPACES = 4,
    CARET_CACHE_ENTRIES = 5,
    PALETTE_ITEM_HEIGHT = 20,
};
static_assert(CMD_EDIT_TEXT_COLOUR_FIRST + EDIT_PALETTE_SIZE <= CMD_EDIT_BLOCK_WITH &&
                  CMD_EDIT_BLOCK_WITH < CMD_EDIT_BLOCK_FIRST &&
                  CMD_EDIT_BLOCK_FIRST + EDIT_PALETTE_SIZE <= CMD_EDIT_HIGHLIGHT_FIRST &&
                  CMD_EDIT_HIGHLIGHT_FIRST + EDIT_PALETTE_SIZE <= NOTE_COMMAND_FIRST,
              "the three palettes' commands lie apart, below the forwarded note commands");
static_assert(CMD_EDIT_SCHEME_FIRST + 50 < CMD_EDIT_FIXED_WIDTH_NOTE + 10000 &&
                  CMD_EDIT_SCHEME_DEFAULT > NOTE_COMMAND_LAST,
              "fifty schemes fit their range, outside the forwarded note commands");

#define WHOLE_TEXT_STYLE_QUESTION "Do you want to default style the whole of the text?"
#define WHOLE_TEXT_SYNTAX_QUESTION "Do you want to syntax format the whole of the text?"
#define WHOLE_TEXT_CASE_QUESTION "Do you want to change the case on the whole of the text?"
#define WHOLE_TEXT_TRIM_QUESTION "Do you want to trim the whole of the text?"
#define SYNTAX_MENU_ITEM_DATA "BLAH"
#define AUTO_BLOCK_ITEM_TEXT "Auto Block Formated Syntax Code"
#define SYNTAX_COLOUR_ITEM_TEXT "Change Background Syntax Colour"
#define MENU_SWATCH_FONT "MS LineDraw"

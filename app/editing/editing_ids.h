// Identifiers, sizes and texts of note editing.
#pragma once

// The print preview's and the spell check's dialog ids, which the note window
// opens too.
#include "../core/core_ids.h"

#define NOTE_EDIT_CONTROL_ID 1 // the note window's rich-edit child

// Calculator mode
#define CALC_LINE_BUFFER 32768    // characters of the caret's line read at most
#define CALC_SELECTION_MAX 32767  // characters of a selection evaluated at most
#define CALC_MEMORY_ERROR_TEXT "Unable to complete operation. Temporary memory exceed."
#define CALC_MEMORY_ERROR_CAPTION "Memory Error"

#ifndef RC_INVOKED
static_assert(CALC_SELECTION_MAX < CALC_LINE_BUFFER, "a whole selection fits the line buffer");
static_assert(CALC_LINE_BUFFER <= 0xFFFF, "EM_GETLINE takes the buffer size in a WORD");
#endif

// ---------------------------------------------------------------- printing
#define IDD_PRINT_OPTIONS 4003
#define IDD_PRINT_ABORT 104
#define IDC_PREVIEW_PAGE_CURSOR 147
#define IDC_PREVIEW_DRAG_CURSOR 148
#define IDC_PRINT_NORMAL 100 // the colour modes are these radio buttons' ids
#define IDC_PRINT_WHITE_BACK 101
#define IDC_PRINT_BLACK_ON_WHITE 102
#define IDC_PRINT_TITLE 1015
#define IDC_PRINT_CANCEL 1024
#define IDC_PRINT_PAGE_NUMBER 1033
#define IDC_PREVIEW_ABORT 1061
#define IDC_PREVIEW_SELECT_PRINTER 1062
#define IDC_PRINT_PREVIEW 1093
#define IDC_PREVIEW_PREVIOUS 1095
#define IDC_PREVIEW_NEXT 1096
#define IDC_PREVIEW_AREA 1097
#define IDC_PREVIEW_PRINT_CURRENT 1098
#define IDC_PRINT_HEADER 1099
#define IDC_PRINT_PRINT 1100
#define IDC_PREVIEW_ZOOM_LIST 1102
#define IDC_PREVIEW_PAGE_BAR 1103
#define IDC_PREVIEW_ZOOM_IN 1104
#define IDC_PREVIEW_ZOOM_OUT 1105

#define PRINT_DOCUMENT_NAME "Zettly print job"
#define PRINT_INVALID_TEXT "Invalid Zettly!"
#define PRINT_INVALID_CAPTION "NULL or No Zettly Data To Print !"
#define PRINT_FRAME_FONT "MS LineDraw"
#define PRINT_ERROR_CAPTION "Print Error"

// ---------------------------------------------------------------- spell check
#define IDD_USER_DICTIONARY 144
#define IDI_SPELL_CORRECT 142
#define IDI_SPELL_WRONG 143
#define IDC_SPELL_WORD 1069
#define IDC_SPELL_SUGGESTIONS 1071
#define IDC_SPELL_NEXT 1072
#define IDC_SPELL_REPLACE 1073
#define IDC_SPELL_CHECK 1074
#define IDC_SPELL_DICTIONARY 1075
#define IDC_SPELL_IGNORE_ALL 1077
#define IDC_SPELL_ADD 1078
#define IDC_SPELL_EDIT_USER 1079
#define IDC_USER_WORDS 1080
#define IDC_USER_REMOVE 1081
#define IDC_USER_SAVE 1082
#define IDC_USER_CANCEL 1083
#define IDC_USER_REMOVE_ALL 1084

#define SPELL_DICTIONARY_FOLDER "zettlies_dic\\"
#define SPELL_USER_DICTIONARY "zettliesuser.dic"
#define SPELL_NO_DICTIONARY_TEXT \
    "Unable to load MySpell dictionaries to used within zettlies.\r\nExample them to be located in %s"
#define SPELL_NO_DICTIONARY_CAPTION "Failed to load dictionary"
#define SPELL_DONE_TEXT "Spell Check Completed"
#define SPELL_DONE_CAPTION "Finished!"
#define SPELL_UNKNOWN_ERROR_CAPTION "ERROR"

#ifndef RC_INVOKED
static_assert(IDC_PRINT_NORMAL + 1 == IDC_PRINT_WHITE_BACK && IDC_PRINT_WHITE_BACK + 1 == IDC_PRINT_BLACK_ON_WHITE,
              "the colour modes are a run of radio buttons");
static_assert(IDC_USER_WORDS > IDC_SPELL_ADD && IDC_USER_REMOVE_ALL < 1100, "spell check controls 1069..1099");
#endif

// Find and replace
#define FIND_TEXT_BYTES 64 // the text to find and its replacement, NUL included
#define FIND_OPEN_ERROR_TEXT "Only one instance of the find/replace dialog box\ncan be open at a time."
#define FIND_OPEN_ERROR_CAPTION "Find/Replace Open Error"
#define FIND_NOT_FOUND_TEXT "Text Not Found In Zettly."
#define FIND_NOT_FOUND_CAPTION "Text not found!"

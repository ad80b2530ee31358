// Identifiers, sizes and texts of note editing.
#pragma once

#define NOTE_EDIT_CONTROL_ID 1 // the note window's rich-edit child

// Calculator mode
#define CALC_LINE_BUFFER 32768    // characters of the caret's line read at most
#define CALC_SELECTION_MAX 32767  // characters of a selection evaluated at most
#define CALC_MEMORY_ERROR_TEXT "Unable to complete operation. Temporary memory exceed."
#define CALC_MEMORY_ERROR_CAPTION "Memory Error"

static_assert(CALC_SELECTION_MAX < CALC_LINE_BUFFER, "a whole selection fits the line buffer");
static_assert(CALC_LINE_BUFFER <= 0xFFFF, "EM_GETLINE takes the buffer size in a WORD");

// Find and replace
#define FIND_TEXT_BYTES 64 // the text to find and its replacement, NUL included
#define FIND_OPEN_ERROR_TEXT "Only one instance of the find/replace dialog box\ncan be open at a time."
#define FIND_OPEN_ERROR_CAPTION "Find/Replace Open Error"
#define FIND_NOT_FOUND_TEXT "Text Not Found In Zettly."
#define FIND_NOT_FOUND_CAPTION "Text not found!"

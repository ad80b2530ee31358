// Names, ids and texts of the exchange of notes: export files, DDE, e-mail and
// the installer. Shared by the main program and the installer; no windows.h.
#pragma once

#define DDE_SERVICE_NAME "ZETTLIES"
#define DDE_TOPIC_NAME "ZETTLY RECORDS"
#define DDE_ITEM_NAME "RECORD INSERT"
#define ZETTLY_CLIPBOARD_FORMAT "Zettly Data"

#define INSTALLER_RESOURCE_TYPE "RT_RCDATA"
#define INSTALLER_FILE_NAME "zettlyinstaller.exe"
#define MAPI_LIBRARY_NAME "MAPI32.DLL"
// A plain define: the resource compiler reads it too.
#define IDR_ZETTLY_INSTALLER 119

enum {
    EXPORT_MODE_EXP = 1,
    EXPORT_MODE_TEXT = 2,
    EXPORT_MODE_RTF = 3,

    INSERT_OVERWRITE = 209,
    INSERT_APPEND = 210,
    INSERT_CREATE_NEW = 211,

    MAIL_PLAIN_TEXT = 0,
    MAIL_WITH_EXP = 1,
    MAIL_WITH_RTF = 2,
    MAIL_WITH_INSTALLER = 3,

    EXCHANGE_PATH_CHARS = 1024,
    FOLDER_PATH_CHARS = 260,
    IMPORT_TITLE_CHARS = 255,
    // A poke whose acknowledgement does not come in this time is taken as lost.
    DDE_POKE_TIMEOUT_MS = 10000,
};

// What the door lets into a note's rich text. Every number the control is
// given stays where a note can use it and the control has been seen to cope.
enum {
    // The widest page a word processor lays out, 22 inches in twips: tab
    // stops, indents and cells beyond it are nothing a note shows.
    RICH_TEXT_PAGE_TWIPS = 22 * 1440,
    // The control's largest font, 1638 points, in the half points of \fs.
    RICH_TEXT_LARGEST_FONT = 3276,
    // The control keeps at most 32 tab stops per paragraph and 63 cells per row.
    RICH_TEXT_MOST_TABS = 32,
    RICH_TEXT_MOST_CELLS = 63,
    // Far more fonts and colours than a note or a word processor's page uses.
    RICH_TEXT_MOST_FONTS = 512,
    RICH_TEXT_MOST_COLOURS = 512,
    // Numbers are not counted, a bullet's or number's text is a few characters.
    RICH_TEXT_MOST_NUMBER_TEXT = 64,
    RICH_TEXT_MOST_LIST_LEVEL = 9,
    // Raised or lowered text: up to 72 points, in half points.
    RICH_TEXT_MOST_RAISE = 144,
    // Groups deeper than this are no note's; a margin below what the check allows.
    RICH_TEXT_DOOR_DEPTH = 20,
    // A picture's size in its own units (pixels or hundredths of a millimetre).
    RICH_TEXT_PICTURE_EXTENT = 32767,
    // An enhanced metafile larger than this is no picture of a note.
    RICH_TEXT_PICTURE_BYTES = 1024 * 1024,
};

#define TEXT_FILE_READ_ERROR "File Read Error"
#define TEXT_UNABLE_TO_OPEN_FILE "Unable to open file"
#define TEXT_RECORD_INCOMPLETE "The zettly record in this file is incomplete."
#define TEXT_FILE_TOO_LARGE                                                                        \
    "This file is too large for a zettly: a zettly from a file or from\r\nanother program holds "  \
    "at most 1 MB of text."
#define TEXT_TOO_MUCH_TEXT                                                                         \
    "This file holds more text than a zettly can lay out quickly.\r\nA zettly from a file takes "  \
    "about 100,000 characters, fewer in\r\nlong paragraphs with word wrap on."
#define TEXT_ZETTLY_CREATE_ERROR "Zettly Create Error"
#define TEXT_UNABLE_TO_ALLOCATE "Unable to allocate a zettly window"
#define TEXT_UNKNOWN_ERROR "Unkown Error?"
#define TEXT_BAD_WINDOW "Bad zettly window error"
#define TEXT_BAD_INSERT_MODE "Bad insert mode"
#define TEXT_FILE_WRITE_ERROR "File Write Error"
// %s: the note's title. The rich-edit control stops at a picture it cannot
// write (a bitmap) without a word, and its writer can fault.
#define TEXT_EXPORT_NOT_WHOLE                                                                      \
    "%s was not exported: the rich-edit control could not write out its whole text (it stops "    \
    "at a picture it cannot write, such as a bitmap).\r\nExport it as a text file, or remove "      \
    "the picture and export again."
#define TEXT_MAIL_NOT_WHOLE                                                                        \
    "%s goes without its attachment: the rich-edit control could not write out its whole text "   \
    "(it stops at a picture it cannot write, such as a bitmap).\r\nSend it as plain text or "       \
    "with the installer, or remove the picture and send it again."
#define TEXT_NOT_WRITTEN_WHOLE " (its text could not be written out whole)"
#define TEXT_UNTITLED_ZETTLY "A zettly without a title"
#define TEXT_OUT_OF_ARRAY_SPACE "Out Of Array Space"
#define TEXT_NO_MORE_ZETTLIES "Can't Create Any More Zettlies"
#define TEXT_DDE_FAILED_CAPTION "DDE Server Failed, error code = %d"
#define TEXT_DDE_FAILED "ERROR Initialising DDE Server.\r\nServer communication is through e-mail is not available."
#define TEXT_POKE_ACCESS_CAPTION "ERROR: Unable to access E-Mail data"
#define TEXT_POKE_ACCESS "Unable to access E-MAIL zettly data."

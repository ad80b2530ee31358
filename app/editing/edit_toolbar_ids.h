// Identifiers of the floating edit toolbar: its resources, its controls and
// the buttons, whose ids are also those of their tooltip strings. Shared
// with app/res/edit_toolbar.rc.
#pragma once

#define EDIT_BAR_CLASS "ZETTLYEDITBAR"

#define IDB_EDIT_BAR_FORMAT 106 // 14 images of 16 x 16
#define IDB_EDIT_BAR_NOTE 107   // 12 images of 16 x 16
#define IDB_EDIT_BAR_STRIP 167  // the strip button's looks, bands of 8 pixels

#define IDC_EDIT_BAR_FONT 2001
#define IDC_EDIT_BAR_SIZE 2002
#define IDC_EDIT_BAR_FORMAT 3000
#define IDC_EDIT_BAR_NOTE 4000
#define IDC_EDIT_BAR_STRIP 5000

// Format toolbar buttons
#define IDT_BAR_BOLD 3001
#define IDT_BAR_ITALIC 3002
#define IDT_BAR_UNDERLINE 3003
#define IDT_BAR_STRIKE 40135
#define IDT_BAR_SUPERSCRIPT 40138
#define IDT_BAR_SUBSCRIPT 40139
#define IDT_BAR_DEFAULT_FONT 4005
#define IDT_BAR_BULLET 3004
#define IDT_BAR_NUMBER 3005
#define IDT_BAR_SHIFT_LEFT 4004
#define IDT_BAR_SHIFT_RIGHT 4003
#define IDT_BAR_CUT 40141
#define IDT_BAR_COPY 40142
#define IDT_BAR_PASTE 40143

// Note toolbar buttons
#define IDT_BAR_FONT_COLOUR 4001
#define IDT_BAR_HIGHLIGHT 4002
#define IDT_BAR_BLOCK_HIGHLIGHT 40137
#define IDT_BAR_SCHEME 4008
#define IDT_BAR_TOP_MOST 40144
#define IDT_BAR_PREFERENCES 40146
#define IDT_BAR_PRINT 40147
#define IDT_BAR_SPELL 40128
#define IDT_BAR_CALCULATOR 40152
#define IDT_BAR_EXPORT 4006
#define IDT_BAR_IMPORT 4007

#ifndef RC_INVOKED
// The bar sends the editor's commands (core/note_editor/editor_ids.h) to the
// note's edit control and the note commands (core/core_ids.h) to the note
// window: the font box sends CMD_EDIT_FONT with the face name in lParam, the
// size box CMD_EDIT_FONT_SIZE_FIRST + its index.

enum {
    EDIT_BAR_CLIENT_WIDTH = 348,
    EDIT_BAR_COLLAPSED_WIDTH = 52,  // client
    EDIT_BAR_COLLAPSED_HEIGHT = 10, // client
    EDIT_BAR_STRIP_HEIGHT = 8,
    EDIT_BAR_BELOW_REBAR = 10, // the strip's room under the bands
    EDIT_BAR_FONT_BOX_WIDTH = 130,
    EDIT_BAR_SIZE_BOX_WIDTH = 42,
    EDIT_BAR_SIZE_TEXT_LIMIT = 10,
    EDIT_BAR_TIP_BYTES = 1024,
    EDIT_BAR_FORMAT_IMAGES = 14,
    EDIT_BAR_NOTE_IMAGES = 12,
    EDIT_BAR_TOP_MOST_ON_IMAGE = 4,
    EDIT_BAR_TOP_MOST_OFF_IMAGE = 5,
    // the strip bitmap: caps and a tiled middle in each 8-pixel band
    EDIT_BAR_STRIP_CAP = 16,
    EDIT_BAR_STRIP_TILE = 18,
    EDIT_BAR_STRIP_RIGHT_CAP_X = 34,
};
static_assert(EDIT_BAR_COLLAPSED_HEIGHT > EDIT_BAR_STRIP_HEIGHT, "the strip fits the collapsed bar");
static_assert(EDIT_BAR_STRIP_RIGHT_CAP_X == EDIT_BAR_STRIP_CAP + EDIT_BAR_STRIP_TILE,
              "the right cap follows one tile");
#endif

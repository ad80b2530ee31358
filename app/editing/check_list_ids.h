// Ids, sizes and texts of a note's check list. Plain defines: the resource
// compiler reads this header too.
#pragma once

#define IDD_CHECK_LIST 164
#define IDB_CHECK_LIST_STRIP 166
#define IDM_CHECK_LIST 168
#define IDC_CHECK_LIST_VIEW 1130
#define IDC_CHECK_LIST_STRIP 1131
#define IDC_CHECK_LIST_CLOSE 1133

#define CMD_CHECK_LIST_DELETE 40165
#define CMD_CHECK_LIST_EDIT 40166
#define CMD_CHECK_LIST_PASTE 40167
#define CMD_CHECK_LIST_COPY 40168
#define CMD_CHECK_LIST_CUT 40169

// WM_USER codes the check list takes in wParam; CHECK_LIST_WRITE (1, lParam
// an open FILE*) is the core's, since the store sends it.
#include "../core/core_ids.h"
#define CHECK_LIST_ADD_TEXT 0   // lParam the text
#define CHECK_LIST_READ 2       // lParam an open FILE*
#define CHECK_LIST_APPLY_DOCK 3 // the stored collapsed/expanded state
#define CHECK_LIST_CLOSE_ASK 4
static_assert(CHECK_LIST_WRITE != CHECK_LIST_ADD_TEXT && CHECK_LIST_WRITE != CHECK_LIST_READ &&
                  CHECK_LIST_WRITE != CHECK_LIST_APPLY_DOCK && CHECK_LIST_WRITE != CHECK_LIST_CLOSE_ASK,
              "the check list's codes are all different");

// The record's checkListDocked byte. A collapsed list is the narrow strip
// that sits against the note's edge (the "docked" list); an expanded one is
// the resizable list window. The stored values have always been these two.
#define CHECK_LIST_EXPANDED 0
#define CHECK_LIST_COLLAPSED 1

#define CHECK_LIST_STRIP_WIDTH 8
#define CHECK_LIST_COLLAPSED_HEIGHT 33
#define CHECK_LIST_CLOSE_SIZE 6
#define CHECK_LIST_NEW_WIDTH 150
#define CHECK_LIST_NEW_HEIGHT 100
#define CHECK_LIST_MAX_SIDE 4096 // a stored size beyond this is damage, not a wish
#define CHECK_LIST_EX_STYLES 0x524
#define CHECK_LIST_COLUMN_TEXT "Check List Items"
#define CHECK_LIST_DROP_PROPERTY "DragDropObj"

// Columns of bitmap IDB_CHECK_LIST_STRIP: x of each look of the strip.
#define STRIP_COLLAPSED_PRESSED 0
#define STRIP_COLLAPSED_HOT 8
#define STRIP_COLLAPSED 16
#define STRIP_EXPANDED 24
#define STRIP_EXPANDED_HOT 32
#define STRIP_EXPANDED_PRESSED 40
#define STRIP_TOP_CAP 16    // height of the top cap at y 0
#define STRIP_TILE_Y 16
#define STRIP_TILE 18       // height of the middle tile
#define STRIP_BOTTOM_Y 34
#define STRIP_BOTTOM_CAP 16

#define CHECK_LIST_NOT_FOUND_TEXT "Failed to locate Check List Item in zettly"
#define CHECK_LIST_NOT_FOUND_CAPTION "Not Found!"
#define CHECK_LIST_CLOSE_QUESTION "Do you will to close and delete zettly check list ?"
#define CHECK_LIST_CLOSE_CAPTION "Check List Has items"

// The items of a check list as its list view holds them: text and check
// state per row. Every row change of the check list goes through here.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "core/notes_table/notes_file_format.h"

// Appends a row; returns its index, or -1.
int CheckListAddItem(HWND view, const char *text, size_t length, bool checked);
bool CheckListItemChecked(HWND view, int index);
void CheckListSetChecked(HWND view, int index, bool checked);
std::string CheckListItemText(HWND view, int index);
// Exchanges the texts and check states of two rows.
void CheckListExchangeItems(HWND view, int a, int b);
// Makes the row the selection mark, selected and focused.
void CheckListSelectItem(HWND view, int index);
// The row to act on: the selection mark, else the first selected row, or -1.
int CheckListActiveItem(HWND view);
// Every row in the item stream form, without the list's ending NUL.
ByteBuffer CheckListStream(HWND view);
// Appends the rows of one list read from the bytes: NOTE_TEXT_WHOLE, or
// NOTE_TEXT_CUT when the bytes end first or an item is damaged.
int CheckListAddStream(HWND view, const uint8_t *bytes, size_t size);

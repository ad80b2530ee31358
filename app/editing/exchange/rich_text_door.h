// The one door for rich text from outside (pokes, files, drops, the
// installer's note): the text is read by our own reader and written again by
// our own writer, and the rich-edit control is only ever given what the
// writer wrote. The writer keeps to the words a note uses, each number within
// what the control handles; everything else is left out, an unknown
// destination with its whole group, and pictures pass only as enhanced
// metafiles the picture filter has checked. The text of "{\urtf" is read as
// UTF-8, as the control reads it, and written as Unicode characters.
// No windows.h.
#pragma once
#include <cstddef>
#include <string>

// RICH_TEXT_OK with out holding the rewritten text; RICH_TEXT_NOT_RTF for
// text that starts with neither "{\rtf" nor "{\urtf"; RICH_TEXT_TOO_LARGE.
int RewriteRichText(const char *text, size_t bytes, std::string *out);

// What a rich-edit control streams out is not whole just because the call
// succeeded: Wine's writer stops at a picture it cannot write (a bitmap),
// flushes what it has and reports no error, and a fault inside it leaves
// nothing at all. Every text taken from a control is checked here before it
// is stored, exported or handed on; a note whose text cannot be taken whole
// is written as plain text under a header of our own. No windows.h here.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// Whether text is a whole RTF text: it starts with "{\rtf", its braces
// balance (escaped braces, \'hh and \bin data aside) and its outer group
// closes at its end, where only blanks, line ends and 0 bytes may follow.
bool IsWholeStreamedRichText(const char *text, size_t bytes);

// Appends the plain characters of a note as an RTF text that the control
// reads back as exactly those characters: backslashes and braces escaped,
// bytes above 0x7E as \'hh, each line end (CR LF, CR or LF) a paragraph, a
// tab a tab; NULs and other control characters are left out.
void AppendPlainTextAsRichText(const char *text, size_t bytes, std::vector<uint8_t> *out);

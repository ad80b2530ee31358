// The writer behind the rich-text door and the words it lets through. No
// windows.h.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "picture_filter.h"

// How a word's number is handled.
enum WordForm : unsigned char {
    WORD_BARE,        // written without a number
    WORD_TOGGLE,      // \b, \b0: on without a number or with any but 0
    WORD_VALUE,       // a number is needed and kept within [least, most]
    WORD_POSITIVE,    // as WORD_VALUE, but a number below 1 drops the word
    WORD_FONT,        // a font of the table
    WORD_COLOUR,      // a colour of the table
    WORD_CODE_PAGE,   // one of the code pages of the system's ANSI texts
    WORD_PARAGRAPH,   // a paragraph end, whatever kind was read
    WORD_DESTINATION, // the first word of a group the writer keeps
};

// What a word is counted against.
enum WordCount : unsigned char { COUNT_NONE, COUNT_TAB, COUNT_CELL, COUNT_TAB_RESET, COUNT_ROW_RESET };

struct WordRule {
    const char *name;
    WordForm form;
    int32_t least, most;
    WordCount count;
};

// The rule of a control word, or null for a word the writer leaves out.
const WordRule *FindWordRule(const char *word, size_t letters);
bool IsAllowedCodePage(int32_t page);

struct RichTextWriter {
    std::string *out;
    bool afterWord; // a word was written last: text needs its delimiter
};

void StartWriter(RichTextWriter *w, std::string *out);
void WriteGroupOpen(RichTextWriter *w);
void WriteGroupClose(RichTextWriter *w);
void WriteStar(RichTextWriter *w);
void WriteWord(RichTextWriter *w, const char *name, bool hasNumber = false, int32_t value = 0);
// One byte of text in the document's code page.
void WriteTextByte(RichTextWriter *w, uint8_t byte);
// One character as \uN with its one fallback character.
void WriteUnicode(RichTextWriter *w, int16_t value);
// A control symbol that stands for a character: ~ - _
void WriteSymbol(RichTextWriter *w, char symbol);

struct FontEntry {
    int32_t number;
    const char *family; // \fnil, \froman ... or null
    int32_t charset;    // -1 when absent
    int32_t pitch;      // -1 when absent
    std::string name;
};
void WriteFontEntry(RichTextWriter *w, const FontEntry &font);
// A colour entry; absent components are 0, an empty entry (the automatic
// colour) has none.
void WriteColourEntry(RichTextWriter *w, bool empty, int32_t red, int32_t green, int32_t blue);
void WritePicture(RichTextWriter *w, const PictureOut &picture);

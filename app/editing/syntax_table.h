// The syntax table: languages read from "syntax.cfg", each with its comment,
// string, operator and keyword groups. Plain data, no window system.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

#define SYNTAX_NAME_MAX 64  // languages and tokens keep at most this many characters
#define SYNTAX_TEXT_CACHE 2047

// Effect bits of a group's format.
#define SYNTAX_BOLD 0x01
#define SYNTAX_ITALIC 0x02
#define SYNTAX_UNDERLINE 0x04

// Case conversion marker of a group.
#define SYNTAX_KEEP_CASE 0
#define SYNTAX_LOWER_CASE 'L'
#define SYNTAX_UPPER_CASE 'Z'

enum SyntaxGroupKind {
    SYNTAX_SINGLE_COMMENT, // SC
    SYNTAX_MULTI_COMMENT,  // MC: tokens in start/end pairs
    SYNTAX_STRING,         // ST: tokens in delimiter/escape pairs
    SYNTAX_OPERATOR,       // OP
    SYNTAX_KEYWORD,        // KW: tokens sorted longest-prefix first
    SYNTAX_GROUP_KINDS
};

struct SyntaxFormat {
    uint32_t colour;  // COLORREF order: red in the low byte
    uint8_t effects;  // SYNTAX_BOLD | SYNTAX_ITALIC | SYNTAX_UNDERLINE
    char caseMarker;  // SYNTAX_KEEP_CASE, SYNTAX_LOWER_CASE or SYNTAX_UPPER_CASE
};

struct SyntaxKeyword {
    char text[SYNTAX_NAME_MAX + 1];
    int32_t length;
    SyntaxKeyword *next;
};

struct SyntaxKeywordGroup {
    SyntaxKeyword *tokens;
    SyntaxKeyword *lastToken; // where the next token of the file goes
    SyntaxFormat format;
    int id;
    SyntaxKeywordGroup *next;
};

struct SyntaxLanguage {
    char name[SYNTAX_NAME_MAX + 1];
    SyntaxKeywordGroup *groups[SYNTAX_GROUP_KINDS];
    uint8_t caseSensitive; // 1 until a CS line says otherwise
    SyntaxLanguage *next;
};

struct SyntaxTable {
    SyntaxFormat defaultFormat;
    SyntaxLanguage *languages;
};

void InitSyntaxTable(SyntaxTable *table);
// Reads a configuration file. Returns 0, or -1 when the file cannot be opened
// or a language cannot be allocated (the languages read so far are kept).
int LoadSyntaxTable(SyntaxTable *table, const char *path);
int ReadSyntaxStream(SyntaxTable *table, FILE *file);
// The same over text in memory (lines end at LF).
int ReadSyntaxText(SyntaxTable *table, const char *text, size_t length);
void FreeSyntaxTable(SyntaxTable *table);

int CountSyntaxLanguages(const SyntaxTable *table);
// Languages by their 0-based position in file order; null past the end.
const SyntaxLanguage *FindSyntaxLanguage(const SyntaxTable *table, int index);

// Compares the first count bytes, ignoring the case of ASCII letters unless asked not to.
int CompareSyntaxText(const char *a, const char *b, size_t count, bool caseSensitive);

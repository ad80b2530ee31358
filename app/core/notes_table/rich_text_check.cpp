#include "rich_text_check.h"

#include <cstring>

#include "rtf_words.h"

namespace {

using rtf::IsDigit;
using rtf::IsLetter;
using rtf::IsOneOf;
using rtf::IsWord;
using rtf::StartsWith;

bool IsHexDigit(char c)
{
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool HoldsStructure(const char *bytes, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        if (bytes[i] == '{' || bytes[i] == '}' || bytes[i] == '\\')
            return true;
    return false;
}

// What the text of a group is to the control.
enum GroupKind : unsigned char {
    GROUP_SHOWN,  // the note's text, laid out
    GROUP_HIDDEN, // a destination the control skips or keeps aside
    GROUP_DATA,   // picture and object data: hex digits, or bytes behind \bin
    GROUP_TABLE,  // a font, colour or style table and its entries
};

// Destinations whose text the control does not show. Anything else counts as
// shown, which errs on the side of a larger layout.
const char *const HiddenWords[] = {"info",    "header",  "headerl", "headerr",  "headerf", "footer",
                                   "footerl", "footerr", "footerf", "footnote", "pntext",  nullptr};
const char *const DataWords[] = {"pict",      "objdata", "themedata", "colorschememapping",
                                 "datastore", nullptr};
// Words that put one character into the shown text.
const char *const CharacterWords[] = {"bullet",  "emdash", "endash", "emspace",   "enspace",
                                      "lquote",  "rquote", "ldblquote", "rdblquote", nullptr};
// Words that end a paragraph or a line: the control makes each a paragraph
// of its own, or something that costs it as much.
const char *const ParagraphWords[] = {"par",  "line", "page",    "sect",    "cell",
                                      "row",  "nestcell", "nestrow", nullptr};

// The cost of one paragraph being read: what the control's layout of it
// depends on besides its length.
struct ParagraphMeter {
    uint64_t length;
    uint64_t digits;
    uint64_t tabs;
    uint64_t joins; // a digit next to a letter or a mark
    int lastKind;   // of the last character but a blank: CHARACTER_BLANK when none
};

enum CharacterKind { CHARACTER_BLANK, CHARACTER_LETTER, CHARACTER_DIGIT, CHARACTER_MARK };

CharacterKind KindOf(unsigned char c)
{
    if (IsDigit((char)c))
        return CHARACTER_DIGIT;
    if (IsLetter((char)c) || c >= 0x80)
        return CHARACTER_LETTER;
    return c <= ' ' ? CHARACTER_BLANK : CHARACTER_MARK;
}

void MeterCharacter(TextLayout *layout, ParagraphMeter *p, unsigned char c)
{
    ++layout->characters;
    ++p->length;
    if (c == '\t') {
        ++layout->tabs;
        ++p->tabs;
    }
    // The control splits its runs where digits meet letters or marks ("a9",
    // "1.", "10:30"), and each such join costs it dearly in a long line;
    // letters next to marks ("dog.") cost nothing more.
    CharacterKind kind = KindOf(c);
    if (kind != CHARACTER_BLANK && p->lastKind != CHARACTER_BLANK && kind != p->lastKind &&
        (kind == CHARACTER_DIGIT || p->lastKind == CHARACTER_DIGIT)) {
        ++p->joins;
        ++layout->digitJoins;
    }
    if (kind == CHARACTER_DIGIT)
        ++p->digits;
    // Blanks take the kind of what stands before them: "a9 " repeated costs
    // as "a9" does.
    if (kind != CHARACTER_BLANK)
        p->lastKind = kind;
}

void MeterParagraphEnd(TextLayout *layout, ParagraphMeter *p)
{
    layout->wrapCost += p->length * p->length;
    layout->digitCost += p->digits * p->length;
    layout->tabCost += p->tabs * p->length;
    layout->joinCost += p->joins * p->joins;
    ++layout->paragraphs;
    std::memset(p, 0, sizeof *p);
}

struct ControlWord {
    const char *word; // its letters; none for a control symbol
    size_t letters;
    bool hasNumber;
    unsigned long long digits; // the number as written, without its sign
    bool negative;
    size_t binaryBytes; // for \binN: the N bytes behind it, already passed over
};

struct Cursor {
    const char *text;
    size_t size;
    size_t at;
};

// Reads the control word or symbol after a backslash.
int ReadControlWord(Cursor *c, ControlWord *w)
{
    std::memset(w, 0, sizeof *w);
    size_t start = c->at;
    w->word = c->text + start;
    while (c->at < c->size && IsLetter(c->text[c->at]))
        ++c->at;
    size_t count = c->at - start;
    w->letters = count;
    if (count == 0) {
        // A control symbol: \{, \}, \\, \~ ... and \'hh with its two digits.
        // Readers differ on what \' followed by anything else swallows, and a
        // brace swallowed by one and counted by the other skews the depth.
        if (c->at < c->size && c->text[c->at] == '\'') {
            if (c->size - c->at < 3)
                return RICH_TEXT_UNBALANCED;
            if (!IsHexDigit(c->text[c->at + 1]) || !IsHexDigit(c->text[c->at + 2]))
                return RICH_TEXT_BAD_ESCAPE;
            c->at += 3;
        } else if (c->at < c->size) {
            ++c->at;
        }
        return RICH_TEXT_OK;
    }
    if (count > RICH_TEXT_MAX_WORD)
        return RICH_TEXT_LONG_WORD;

    w->negative = c->at < c->size && c->text[c->at] == '-';
    if (w->negative)
        ++c->at;
    size_t digitsStart = c->at;
    while (c->at < c->size && IsDigit(c->text[c->at])) {
        if (c->at - digitsStart >= RICH_TEXT_MAX_DIGITS)
            return RICH_TEXT_LONG_WORD;
        w->digits = w->digits * 10 + (unsigned)(c->text[c->at] - '0');
        ++c->at;
    }
    w->hasNumber = c->at > digitsStart;
    if (c->at < c->size && c->text[c->at] == ' ')
        ++c->at;

    if (IsWord(w->word, w->letters, "u") && w->hasNumber) {
        // The control keeps the number's low 16 bits, after the 32-bit
        // arithmetic of its reader: \u0, \u65536 and \u-65536 alike come out
        // as a NUL, which would end the note's text in the notes file.
        unsigned value = (unsigned)w->digits;
        if (w->negative)
            value = 0u - value;
        if ((value & 0xFFFFu) == 0)
            return RICH_TEXT_NUL_CHARACTER;
    }
    if (!IsWord(w->word, w->letters, "bin"))
        return RICH_TEXT_OK;
    // Some readers skip \binN's bytes unread, others (Wine's) parse them as
    // text: a brace in them would be counted by one and not the other. Only
    // bytes that mean the same to both are let through.
    if (w->negative || w->digits > c->size - c->at ||
        HoldsStructure(c->text + c->at, (size_t)w->digits))
        return RICH_TEXT_BAD_BINARY;
    w->binaryBytes = (size_t)w->digits;
    c->at += w->binaryBytes;
    return RICH_TEXT_OK;
}

// Groups a table may hold below its own: font and style entries with their
// alternative names, panose numbers and key codes; colours hold none.
int TableNesting(const char *word, size_t letters)
{
    if (IsWord(word, letters, "fonttbl") || IsWord(word, letters, "stylesheet"))
        return 2;
    if (IsWord(word, letters, "colortbl"))
        return 0;
    return -1;
}

struct Scan {
    Cursor c;
    int depth;
    GroupKind kinds[RICH_TEXT_MAX_DEPTH + 1]; // [0]: outside every group
    bool fresh;                               // no control word yet in the current group

    // Wine's control reads the tables with readers of their own that count
    // groups differently from the rest: a table holding more than real ones
    // do (other tables, deeper groups, a font or style name not ended by its
    // semicolon, whose reader then runs on past the closing braces)
    // unbalances its group stack even when every brace is matched, and the
    // reading goes on behind what looked like the end. Outside tables only
    // depth counts.
    bool closed; // the outer group has ended
    int tableDepth, tableNesting;
    bool namedTable; // fonts and styles: each entry ends in ';'
    char lastInEntry;
    size_t nameLimit; // the longest name an entry of this table may have
    size_t name;      // characters of the current entry's name so far
    size_t hidden;    // characters of the current hidden group's text so far

    TextLayout layout;
    ParagraphMeter paragraph; // the shown paragraph so far
};

GroupKind Kind(const Scan *s)
{
    return s->kinds[s->depth];
}

// One character of text, c, in the current group.
int TakeText(Scan *s, unsigned char c)
{
    switch (Kind(s)) {
    case GROUP_SHOWN:
        MeterCharacter(&s->layout, &s->paragraph, c);
        return RICH_TEXT_OK;
    case GROUP_HIDDEN:
        ++s->hidden;
        return s->hidden > RICH_TEXT_MAX_HIDDEN_TEXT ? RICH_TEXT_LONG_NAME : RICH_TEXT_OK;
    case GROUP_TABLE:
        ++s->name;
        return s->name > s->nameLimit ? RICH_TEXT_LONG_NAME : RICH_TEXT_OK;
    case GROUP_DATA:
        break;
    }
    return RICH_TEXT_OK;
}

unsigned HexValue(char c)
{
    return IsDigit(c) ? (unsigned)(c - '0') : (unsigned)((c | 0x20) - 'a' + 10);
}

// The character \uN puts into the text, as far as its cost goes.
unsigned char UnicodeCharacter(const ControlWord &w)
{
    unsigned value = (unsigned)w.digits;
    if (w.negative)
        value = 0u - value;
    value &= 0xFFFFu;
    return value < 0x80 ? (unsigned char)value : (unsigned char)0x80;
}

int OpenGroup(Scan *s, bool atTable)
{
    if (s->depth + 1 > RICH_TEXT_MAX_DEPTH)
        return RICH_TEXT_TOO_DEEP;
    if (s->tableDepth && s->depth + 1 > s->tableDepth + s->tableNesting)
        return RICH_TEXT_BAD_TABLE;
    ++s->depth;
    s->kinds[s->depth] = s->kinds[s->depth - 1];
    s->fresh = true;
    s->hidden = 0;
    if (atTable) {
        s->lastInEntry = 0;
        s->name = 0;
    }
    return RICH_TEXT_OK;
}

int CloseGroup(Scan *s, bool atTable, bool inEntry)
{
    if (inEntry && s->namedTable && s->lastInEntry != ';')
        return RICH_TEXT_BAD_TABLE;
    if (atTable)
        s->tableDepth = 0;
    s->fresh = false;
    s->hidden = 0;
    // The control stops at the close of the outer group, where it agrees
    // with this count; where it does not (tables, escapes of some readers),
    // it reads on. So what follows the close is held to the same bounds, and
    // a stray close there changes nothing.
    if (s->depth == 0 && s->closed)
        return RICH_TEXT_OK;
    if (--s->depth == 0)
        s->closed = true;
    return RICH_TEXT_OK;
}

// The largest size a font of the text may take: a style sheet's sizes are
// taken too, as a style may bring them into the shown text.
void TakeFontSize(Scan *s, const ControlWord &w)
{
    if (Kind(s) != GROUP_DATA && IsWord(w.word, w.letters, "fs") && w.hasNumber && !w.negative &&
        w.digits > s->layout.largestFontSize)
        s->layout.largestFontSize = w.digits > 0xFFFFFFFFu ? 0xFFFFFFFFu : (uint32_t)w.digits;
}

int TakeControlWord(Scan *s, bool atTable, bool inEntry)
{
    ControlWord w;
    int verdict = ReadControlWord(&s->c, &w);
    if (verdict != RICH_TEXT_OK)
        return verdict;
    bool fresh = s->fresh;
    s->fresh = false;
    int nesting = TableNesting(w.word, w.letters);
    if (nesting >= 0) {
        if (s->tableDepth || s->depth == 0)
            return RICH_TEXT_BAD_TABLE;
        s->tableDepth = s->depth;
        s->tableNesting = nesting;
        s->namedTable = nesting > 0;
        s->nameLimit = IsWord(w.word, w.letters, "fonttbl") ? RICH_TEXT_MAX_FACE_NAME
                                                            : RICH_TEXT_MAX_TABLE_TEXT;
        s->name = 0;
        s->kinds[s->depth] = GROUP_TABLE;
        return RICH_TEXT_OK;
    }
    if (atTable && s->namedTable)
        return RICH_TEXT_BAD_TABLE; // an entry outside its group

    if (w.letters == 0) {
        // A backslash at the very end has no symbol behind it.
        bool star = w.word < s->c.text + s->c.size && w.word[0] == '*';
        if (star) {
            // A starred group is one the reader may skip: its text is not shown.
            if (fresh && Kind(s) != GROUP_DATA)
                s->kinds[s->depth] = GROUP_HIDDEN;
            s->fresh = fresh;
            return RICH_TEXT_OK;
        }
        if (inEntry)
            s->lastInEntry = '\\'; // an escaped character of the name
        // Escaped characters, \~ and the like are characters of the text;
        // \*, line ends after a backslash and the rest are not, but counting
        // them errs on the side of more text. \'hh is the character it names.
        if (w.word < s->c.text + s->c.size && w.word[0] == '\'')
            return TakeText(s, (unsigned char)(HexValue(w.word[1]) * 16 + HexValue(w.word[2])));
        return TakeText(s, '~');
    }
    if (fresh && IsOneOf(w.word, w.letters, DataWords))
        s->kinds[s->depth] = GROUP_DATA;
    else if (fresh && Kind(s) == GROUP_SHOWN && IsOneOf(w.word, w.letters, HiddenWords))
        s->kinds[s->depth] = GROUP_HIDDEN;

    if (w.binaryBytes) {
        // Wine's control takes the bytes behind \bin as characters of the
        // text (a NUL as a blank); only pictures and objects hold such data.
        if (Kind(s) != GROUP_DATA)
            return RICH_TEXT_BAD_BINARY;
        return RICH_TEXT_OK;
    }
    if (IsOneOf(w.word, w.letters, ParagraphWords)) {
        if (Kind(s) == GROUP_SHOWN)
            MeterParagraphEnd(&s->layout, &s->paragraph);
        return RICH_TEXT_OK;
    }
    TakeFontSize(s, w);
    if (IsWord(w.word, w.letters, "u"))
        return TakeText(s, UnicodeCharacter(w));
    if (IsWord(w.word, w.letters, "tab"))
        return TakeText(s, '\t');
    if (IsOneOf(w.word, w.letters, CharacterWords))
        return TakeText(s, '-');
    return RICH_TEXT_OK;
}

} // namespace

int CheckRichText(const char *text, size_t bytes, TextLayout *layout)
{
    // The control's WM_SETTEXT and EM_REPLACESEL read both as RTF.
    static const char Signature[] = "{\\rtf", UnicodeSignature[] = "{\\urtf";
    if (layout)
        std::memset(layout, 0, sizeof *layout);
    if (!text || (!StartsWith(text, bytes, Signature) && !StartsWith(text, bytes, UnicodeSignature)))
        return RICH_TEXT_NOT_RTF;
    if (bytes > RICH_TEXT_MAX_BYTES)
        return RICH_TEXT_TOO_LARGE;

    Scan s;
    std::memset(&s, 0, sizeof s);
    s.c = Cursor{text, bytes, 0};
    s.kinds[0] = GROUP_SHOWN;
    while (s.c.at < s.c.size) {
        char ch = s.c.text[s.c.at++];
        bool atTable = s.tableDepth && s.depth == s.tableDepth;
        bool inEntry = s.tableDepth && s.depth == s.tableDepth + 1;
        int verdict = RICH_TEXT_OK;
        if (ch == '{') {
            verdict = OpenGroup(&s, atTable);
        } else if (ch == '}') {
            verdict = CloseGroup(&s, atTable, inEntry);
        } else if (ch == '\\') {
            verdict = TakeControlWord(&s, atTable, inEntry);
        } else if (ch != '\r' && ch != '\n') {
            bool blank = ch == ' ' || ch == '\t';
            if (!blank && atTable && s.namedTable)
                return RICH_TEXT_BAD_TABLE;
            if (!blank && inEntry)
                s.lastInEntry = ch;
            if (ch == ';' && Kind(&s) == GROUP_TABLE)
                s.name = 0; // a name ends at its semicolon
            else if (!(blank && atTable))
                verdict = TakeText(&s, (unsigned char)ch);
            s.fresh = false;
        }
        if (verdict != RICH_TEXT_OK)
            return verdict;
    }
    if (!s.closed)
        return RICH_TEXT_UNBALANCED;
    MeterParagraphEnd(&s.layout, &s.paragraph);
    if (layout)
        *layout = s.layout;
    return RICH_TEXT_OK;
}

void MeasurePlainText(const char *text, size_t bytes, TextLayout *layout)
{
    std::memset(layout, 0, sizeof *layout);
    ParagraphMeter paragraph;
    std::memset(&paragraph, 0, sizeof paragraph);
    for (size_t i = 0; text && i < bytes; ++i) {
        char ch = text[i];
        // The control breaks the line at a vertical tab as at a paragraph end.
        if (ch == '\r' || ch == '\n' || ch == '\v') {
            if (ch == '\r' && i + 1 < bytes && text[i + 1] == '\n')
                ++i;
            MeterParagraphEnd(layout, &paragraph);
            continue;
        }
        MeterCharacter(layout, &paragraph, (unsigned char)ch);
    }
    MeterParagraphEnd(layout, &paragraph);
}

#include "rich_text_door.h"

#include <cstring>
#include <vector>

#include "core/notes_table/rich_text_check.h"
#include "core/notes_table/rtf_words.h"
#include "exchange_ids.h"
#include "rich_text_writer.h"

static_assert((int)RICH_TEXT_DOOR_DEPTH + 2 <= (int)RICH_TEXT_MAX_DEPTH,
              "the writer nests no deeper than the check lets through, a picture's group included");
static_assert((int)RICH_TEXT_MOST_NUMBER_TEXT <= (int)RICH_TEXT_MAX_HIDDEN_TEXT,
              "a number's text passes the check's bound on hidden text");
static_assert(RICH_TEXT_LARGEST_FONT * 10 <= 0x7FFF * 2, "a font size fits the control's twips");

namespace {

using rtf::IsDigit;
using rtf::IsLetter;
using rtf::IsOneOf;
using rtf::IsWord;
using rtf::StartsWith;

int HexValue(char c)
{
    if (IsDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Destinations whose text a note never shows: left out with their groups,
// as is every starred destination the writer does not keep.
const char *const DroppedDestinations[] = {
    "info",      "stylesheet",  "header",   "headerl",    "headerr",  "headerf",
    "footer",    "footerl",     "footerr",  "footerf",    "footnote", "annotation",
    "fldinst",   "xe",          "tc",       "txe",        "rxe",      "nonshppict",
    "objdata",   "objclass",    "objname",  "pnseclvl",   "listtable", "listoverridetable",
    "revtbl",    "filetbl",     "rsidtbl",  "generator",  "template", "bkmkstart",
    "bkmkend",   "ftnsep",      "ftnsepc",  "ftncn",      "aftnsep",  "aftnsepc",
    "aftncn",    "private",     "comment",  "userprops",  "docvar",   "themedata",
    "colorschememapping",       "datastore", "latentstyles", "atnid", "atnauthor",
    "pgdsctbl",  "blipuid",     "picprop",  "shpinst",    "shptxt",   "xmlnstbl",
    "fonttbl",   "colortbl",    nullptr};

// Groups that only wrap what a note shows: the words are left out, the
// contents read as the note's text (a picture's shown form, an object's
// picture, a field's result, a list item's number).
const char *const WrapperDestinations[] = {"shppict", "field", "fldrslt", "object",
                                           "result",  "listtext", nullptr};

const char *const FontFamilies[] = {"fnil",    "froman", "fswiss", "fmodern",
                                    "fscript", "fdecor", "ftech",  "fbidi", nullptr};

enum TokenKind { TOKEN_END, TOKEN_OPEN, TOKEN_CLOSE, TOKEN_WORD, TOKEN_SYMBOL, TOKEN_BYTE, TOKEN_BINARY };

struct Token {
    TokenKind kind;
    const char *word; // TOKEN_WORD: its letters
    size_t letters;
    bool hasNumber;
    int32_t number;   // saturated to 32 bits
    uint16_t low16;   // the number's low 16 bits, as the control keeps \u's
    char symbol;      // TOKEN_SYMBOL
    uint8_t byte;     // TOKEN_BYTE: a character of the text, also from \'hh
    bool escaped;     // TOKEN_BYTE from \'hh
    const uint8_t *binary; // TOKEN_BINARY: the bytes behind \binN that are present
    size_t binaryBytes;
};

struct Tokenizer {
    const char *text;
    size_t size, at;
};

void ReadNumber(Tokenizer *t, Token *k)
{
    bool negative = t->at < t->size && t->text[t->at] == '-' && t->at + 1 < t->size &&
                    IsDigit(t->text[t->at + 1]);
    if (negative)
        ++t->at;
    int64_t value = 0;
    uint32_t low = 0;
    while (t->at < t->size && IsDigit(t->text[t->at])) {
        int digit = t->text[t->at++] - '0';
        k->hasNumber = true;
        if (value <= 0x7FFFFFFF)
            value = value * 10 + digit;
        low = (low * 10 + (uint32_t)digit) & 0xFFFFu;
    }
    if (value > 0x7FFFFFFF)
        value = negative ? 0x80000000LL : 0x7FFFFFFF;
    k->number = (int32_t)(negative ? -value : value);
    k->low16 = (uint16_t)(negative ? (0x10000u - low) & 0xFFFFu : low);
}

Token NextToken(Tokenizer *t)
{
    Token k;
    std::memset(&k, 0, sizeof k);
    while (t->at < t->size) {
        char c = t->text[t->at++];
        if (c == '\r' || c == '\n')
            continue;
        if (c == '{') {
            k.kind = TOKEN_OPEN;
            return k;
        }
        if (c == '}') {
            k.kind = TOKEN_CLOSE;
            return k;
        }
        if (c != '\\') {
            k.kind = TOKEN_BYTE;
            k.byte = (uint8_t)c;
            return k;
        }
        if (t->at >= t->size)
            break;
        size_t start = t->at;
        while (t->at < t->size && IsLetter(t->text[t->at]))
            ++t->at;
        if (t->at == start) {
            char s = t->text[t->at++];
            if (s == '\'') {
                int high = t->at < t->size ? HexValue(t->text[t->at]) : -1;
                int low = t->at + 1 < t->size ? HexValue(t->text[t->at + 1]) : -1;
                if (high < 0 || low < 0)
                    continue; // no character behind a broken escape
                t->at += 2;
                k.kind = TOKEN_BYTE;
                k.byte = (uint8_t)(high * 16 + low);
                k.escaped = true;
                return k;
            }
            k.kind = TOKEN_SYMBOL;
            k.symbol = s;
            return k;
        }
        k.kind = TOKEN_WORD;
        k.word = t->text + start;
        k.letters = t->at - start;
        ReadNumber(t, &k);
        if (t->at < t->size && t->text[t->at] == ' ')
            ++t->at;
        if (IsWord(k.word, k.letters, "bin")) {
            // Only the bytes that are there, and none for a negative count.
            size_t want = k.hasNumber && k.number > 0 ? (size_t)k.number : 0;
            size_t left = t->size - t->at;
            k.kind = TOKEN_BINARY;
            k.binary = (const uint8_t *)t->text + t->at;
            k.binaryBytes = want < left ? want : left;
            t->at += k.binaryBytes;
        }
        return k;
    }
    k.kind = TOKEN_END;
    return k;
}

enum GroupMode { MODE_BODY, MODE_FONTS, MODE_FONT_ENTRY, MODE_COLOURS, MODE_PICTURE };

struct Group {
    GroupMode mode;
    bool opened;   // its brace is written
    bool fresh;    // nothing read in it yet
    bool starred;  // its first token was \*
    int fallback;  // \ucN: characters behind a \u that stand for it
    int tabs, cells;
    int textLeft;  // characters it may still show, or -1 for no bound
};

struct Door {
    Tokenizer t;
    RichTextWriter w;
    std::vector<Group> groups;
    std::vector<bool> knownFonts; // by font number: set once in the table
    int fonts, colours;
    bool fontTable, colourTable;
    int skipFallback; // fallback characters of the last \u still to pass over
    // Groups nested deeper than the writer writes: their text is kept, in
    // the format of the deepest group written, and their words left out.
    long flatDepth;
    bool flatFresh;

    FontEntry font;
    bool inFont;
    int32_t red, green, blue;
    bool colourWords;

    PictureInfo picture;
    std::vector<uint8_t> pictureData;
    int nibble; // the first hex digit of a byte, or -1

    // Text under "{\urtf" is UTF-8 until a code page is named: the sequence
    // read so far, the continuation bytes it still needs, and the range the
    // next one must lie in (which keeps out long forms and surrogates).
    bool utf8;
    uint32_t sequence;
    int sequenceLeft;
    uint8_t nextLow, nextHigh;
};

Group &Top(Door *d)
{
    return d->groups.back();
}

// Writes the braces of the groups that have held nothing written so far.
void Open(Door *d)
{
    for (Group &g : d->groups)
        if (!g.opened) {
            WriteGroupOpen(&d->w);
            g.opened = true;
        }
}

bool TakeCharacter(Door *d)
{
    Group &g = Top(d);
    if (g.textLeft == 0)
        return false;
    if (g.textLeft > 0)
        --g.textLeft;
    Open(d);
    return true;
}

void BodyByte(Door *d, uint8_t byte)
{
    if (byte == '\t') {
        if (TakeCharacter(d))
            WriteWord(&d->w, "tab");
        return;
    }
    // Control characters other than the tab are no note's text.
    if (byte < 0x20 || byte == 0x7F)
        return;
    if (TakeCharacter(d))
        WriteTextByte(&d->w, byte);
}

// The control writes other control characters than the tab out as raw
// bytes, which no note's text holds.
void BodyUnit(Door *d, uint16_t unit)
{
    if (unit < 0x20 || unit == 0x7F)
        BodyByte(d, (uint8_t)unit);
    else if (TakeCharacter(d))
        WriteUnicode(&d->w, (int16_t)unit);
}

// What the control shows for bytes that are no UTF-8.
const uint16_t ReplacementCharacter = 0xFFFD;

// A sequence cut short by anything but its next byte stands for one
// replacement character.
void EndSequence(Door *d)
{
    if (d->sequenceLeft == 0)
        return;
    d->sequenceLeft = 0;
    BodyUnit(d, ReplacementCharacter);
}

// The lead bytes of UTF-8: how many bytes follow, and the range the first
// of them must lie in, so that no character has two forms and none is a
// surrogate half or past the last.
struct Utf8Lead {
    uint8_t low, high;
    int follow;
    uint8_t nextLow, nextHigh;
};
const Utf8Lead Utf8Leads[] = {
    {0xC2, 0xDF, 1, 0x80, 0xBF}, {0xE0, 0xE0, 2, 0xA0, 0xBF}, {0xE1, 0xEC, 2, 0x80, 0xBF},
    {0xED, 0xED, 2, 0x80, 0x9F}, {0xEE, 0xEF, 2, 0x80, 0xBF}, {0xF0, 0xF0, 3, 0x90, 0xBF},
    {0xF1, 0xF3, 3, 0x80, 0xBF}, {0xF4, 0xF4, 3, 0x80, 0x8F},
};

void Utf8Byte(Door *d, uint8_t byte)
{
    if (d->sequenceLeft > 0) {
        if (byte >= d->nextLow && byte <= d->nextHigh) {
            d->sequence = d->sequence << 6 | (byte & 0x3Fu);
            d->nextLow = 0x80;
            d->nextHigh = 0xBF;
            if (--d->sequenceLeft > 0)
                return;
            if (d->sequence < 0x10000) {
                BodyUnit(d, (uint16_t)d->sequence);
            } else {
                uint32_t above = d->sequence - 0x10000;
                BodyUnit(d, (uint16_t)(0xD800 + (above >> 10)));
                BodyUnit(d, (uint16_t)(0xDC00 + (above & 0x3FF)));
            }
            return;
        }
        EndSequence(d);
        // As the control reads it, a continuation byte out of the lead's
        // range is part of the broken sequence; any other byte starts anew.
        if (byte >= 0x80 && byte <= 0xBF)
            return;
    }
    if (byte < 0x80) {
        BodyByte(d, byte);
        return;
    }
    for (const Utf8Lead &lead : Utf8Leads)
        if (byte >= lead.low && byte <= lead.high) {
            d->sequenceLeft = lead.follow;
            d->sequence = byte & (0x7Fu >> (lead.follow + 1));
            d->nextLow = lead.nextLow;
            d->nextHigh = lead.nextHigh;
            return;
        }
    BodyUnit(d, ReplacementCharacter);
}

void TextByte(Door *d, uint8_t byte)
{
    if (d->utf8)
        Utf8Byte(d, byte);
    else
        BodyByte(d, byte);
}

void FinishFont(Door *d)
{
    if (!d->inFont)
        return;
    d->inFont = false;
    int32_t number = d->font.number;
    if (d->fonts >= RICH_TEXT_MOST_FONTS || number < 0 || number > 0xFFFF ||
        d->knownFonts[(size_t)number])
        return;
    d->knownFonts[(size_t)number] = true;
    ++d->fonts;
    WriteFontEntry(&d->w, d->font);
}

void StartFont(Door *d, int32_t number)
{
    FinishFont(d);
    d->inFont = true;
    d->font.number = number;
    d->font.family = nullptr;
    d->font.charset = -1;
    d->font.pitch = -1;
    d->font.name.clear();
}

void FontWord(Door *d, const Token &k)
{
    if (IsWord(k.word, k.letters, "f") && k.hasNumber) {
        StartFont(d, k.number);
        return;
    }
    if (!d->inFont)
        return;
    for (const char *const *family = FontFamilies; *family; ++family)
        if (IsWord(k.word, k.letters, *family))
            d->font.family = *family;
    if (IsWord(k.word, k.letters, "fcharset") && k.hasNumber && k.number >= 0 && k.number <= 255)
        d->font.charset = k.number;
    if (IsWord(k.word, k.letters, "fprq") && k.hasNumber && k.number >= 0 && k.number <= 2)
        d->font.pitch = k.number;
}

void FontByte(Door *d, uint8_t byte)
{
    if (!d->inFont)
        return;
    if (byte == ';') {
        FinishFont(d);
        return;
    }
    if (byte < 0x20 || byte == 0x7F)
        return;
    // A face name fills a LOGFONT's 32 characters with its NUL.
    if (d->font.name.size() < RICH_TEXT_MAX_FACE_NAME)
        d->font.name.push_back((char)byte);
}

int32_t Clamp(int32_t value, int32_t least, int32_t most)
{
    return value < least ? least : (value > most ? most : value);
}

void ColourWord(Door *d, const Token &k)
{
    int32_t *component = IsWord(k.word, k.letters, "red")     ? &d->red
                         : IsWord(k.word, k.letters, "green") ? &d->green
                         : IsWord(k.word, k.letters, "blue")  ? &d->blue
                                                              : nullptr;
    if (!component || !k.hasNumber)
        return;
    *component = Clamp(k.number, 0, 255);
    d->colourWords = true;
}

void ColourByte(Door *d, uint8_t byte)
{
    if (byte != ';')
        return;
    if (d->colours < RICH_TEXT_MOST_COLOURS) {
        WriteColourEntry(&d->w, !d->colourWords, d->red, d->green, d->blue);
        ++d->colours;
    }
    d->red = d->green = d->blue = 0;
    d->colourWords = false;
}

void StartPicture(Door *d)
{
    Top(d).mode = MODE_PICTURE;
    std::memset(&d->picture, 0, sizeof d->picture);
    d->picture.form = PICTURE_OTHER;
    d->pictureData.clear();
    d->nibble = -1;
}

void PictureWord(Door *d, const Token &k)
{
    PictureInfo &p = d->picture;
    int32_t n = k.hasNumber ? k.number : 0;
    struct Number {
        const char *name;
        int32_t *field;
    } const numbers[] = {{"picw", &p.picw},           {"pich", &p.pich},
                         {"picwgoal", &p.picwgoal},   {"pichgoal", &p.pichgoal},
                         {"picscalex", &p.picscalex}, {"picscaley", &p.picscaley},
                         {"wbmbitspixel", &p.bitsPixel}, {"wbmplanes", &p.planes},
                         {"wbmwidthbytes", &p.widthBytes}};
    for (const Number &number : numbers)
        if (IsWord(k.word, k.letters, number.name)) {
            *number.field = n;
            return;
        }
    if (IsWord(k.word, k.letters, "wmetafile")) {
        p.form = PICTURE_WMF;
        p.mapMode = n;
    } else if (IsWord(k.word, k.letters, "emfblip")) {
        p.form = PICTURE_EMF;
    } else if (IsWord(k.word, k.letters, "dibitmap")) {
        p.form = PICTURE_DIB;
    } else if (IsWord(k.word, k.letters, "wbitmap")) {
        p.form = PICTURE_DDB;
    } else if (IsWord(k.word, k.letters, "pngblip")) {
        p.form = PICTURE_PNG;
    } else if (IsWord(k.word, k.letters, "jpegblip")) {
        p.form = PICTURE_JPEG;
    }
    // Any other word among the data is passed over: none reaches the control.
}

void PictureByte(Door *d, uint8_t byte)
{
    int value = HexValue((char)byte);
    if (value < 0)
        return;
    if (d->nibble < 0) {
        d->nibble = value;
        return;
    }
    d->pictureData.push_back((uint8_t)(d->nibble * 16 + value));
    d->nibble = -1;
}

void FinishPicture(Door *d)
{
    PictureOut out;
    out.picw = out.pich = out.picwgoal = out.pichgoal = 0;
    if (FilterPicture(d->picture, d->pictureData.data(), d->pictureData.size(), &out) != 0 ||
        out.emf.empty() || out.emf.size() > RICH_TEXT_PICTURE_BYTES)
        return;
    out.picw = Clamp(out.picw, 0, RICH_TEXT_PICTURE_EXTENT);
    out.pich = Clamp(out.pich, 0, RICH_TEXT_PICTURE_EXTENT);
    out.picwgoal = Clamp(out.picwgoal, 0, RICH_TEXT_PAGE_TWIPS);
    out.pichgoal = Clamp(out.pichgoal, 0, RICH_TEXT_PAGE_TWIPS);
    // The picture's own group stands where its braces were.
    Group own = Top(d);
    d->groups.pop_back();
    Open(d);
    d->groups.push_back(own);
    WritePicture(&d->w, out);
}

// A group whose first word names a destination; false when the word is to
// be read as any other.
bool TakeDestination(Door *d, const Token &k, int *skip)
{
    Group &g = Top(d);
    bool atTop = d->groups.size() == 2;
    if (IsWord(k.word, k.letters, "fonttbl") && atTop && !d->fontTable) {
        d->fontTable = true;
        g.mode = MODE_FONTS;
        Open(d);
        WriteWord(&d->w, "fonttbl");
        return true;
    }
    if (IsWord(k.word, k.letters, "colortbl") && atTop && !d->colourTable) {
        d->colourTable = true;
        g.mode = MODE_COLOURS;
        Open(d);
        WriteWord(&d->w, "colortbl");
        return true;
    }
    if (IsWord(k.word, k.letters, "pict")) {
        StartPicture(d);
        return true;
    }
    if (IsOneOf(k.word, k.letters, WrapperDestinations))
        return true;
    const WordRule *rule = FindWordRule(k.word, k.letters);
    if (rule && rule->form == WORD_DESTINATION) {
        Open(d);
        if (g.starred)
            WriteStar(&d->w);
        WriteWord(&d->w, rule->name);
        g.textLeft = RICH_TEXT_MOST_NUMBER_TEXT;
        return true;
    }
    if (g.starred || IsOneOf(k.word, k.letters, DroppedDestinations)) {
        *skip = 1;
        return true;
    }
    return false;
}

void BodyWord(Door *d, const Token &k)
{
    Group &g = Top(d);
    if (IsWord(k.word, k.letters, "pict")) {
        StartPicture(d);
        return;
    }
    if (IsWord(k.word, k.letters, "u") && k.hasNumber) {
        d->skipFallback = g.fallback;
        // The control keeps the low 16 bits; a NUL would end the note's text.
        if (k.low16 != 0)
            BodyUnit(d, k.low16);
        return;
    }
    if (IsWord(k.word, k.letters, "uc")) {
        g.fallback = k.hasNumber ? Clamp(k.number, 0, 8) : 1;
        return;
    }
    const WordRule *rule = FindWordRule(k.word, k.letters);
    if (!rule || rule->form == WORD_DESTINATION)
        return;
    int32_t n = k.number;
    bool number = false;
    switch (rule->form) {
    case WORD_BARE:
    case WORD_PARAGRAPH:
        break;
    case WORD_TOGGLE:
        number = k.hasNumber && n == 0;
        break;
    case WORD_VALUE:
    case WORD_POSITIVE:
        if (!k.hasNumber || (rule->form == WORD_POSITIVE && n < rule->least))
            return;
        n = Clamp(n, rule->least, rule->most);
        number = true;
        break;
    case WORD_FONT:
        if (!k.hasNumber || n < 0 || n > 0xFFFF || !d->knownFonts[(size_t)n])
            return;
        number = true;
        break;
    case WORD_COLOUR:
        if (!k.hasNumber || n < 0 || n >= d->colours)
            return;
        number = true;
        break;
    case WORD_CODE_PAGE:
        if (!k.hasNumber || !IsAllowedCodePage(n))
            return;
        // The control reads the bytes after it in that page, also under "{\urtf".
        d->utf8 = false;
        number = true;
        break;
    case WORD_DESTINATION:
        return;
    }
    switch (rule->count) {
    case COUNT_NONE:
        break;
    case COUNT_TAB:
        if (g.tabs >= RICH_TEXT_MOST_TABS)
            return;
        ++g.tabs;
        break;
    case COUNT_CELL:
        if (g.cells >= RICH_TEXT_MOST_CELLS)
            return;
        ++g.cells;
        break;
    case COUNT_TAB_RESET:
        g.tabs = 0;
        break;
    case COUNT_ROW_RESET:
        g.cells = 0;
        break;
    }
    Open(d);
    WriteWord(&d->w, rule->form == WORD_PARAGRAPH ? "par" : rule->name, number, n);
}

void BodySymbol(Door *d, char symbol)
{
    if (symbol == '\\' || symbol == '{' || symbol == '}') {
        BodyByte(d, (uint8_t)symbol);
    } else if (symbol == '~' || symbol == '-' || symbol == '_') {
        if (TakeCharacter(d))
            WriteSymbol(&d->w, symbol);
    } else if (symbol == '\r' || symbol == '\n') {
        // A backslash before a line end is a paragraph end.
        Open(d);
        WriteWord(&d->w, "par");
    } else if (symbol == '\t') {
        BodyByte(d, '\t');
    }
}

void CloseGroup(Door *d)
{
    Group &g = Top(d);
    if (g.mode == MODE_FONTS || g.mode == MODE_FONT_ENTRY)
        FinishFont(d);
    if (g.mode == MODE_PICTURE)
        FinishPicture(d);
    // A font entry's group is written whole with the entry.
    bool opened = Top(d).opened && Top(d).mode != MODE_FONT_ENTRY;
    d->groups.pop_back();
    if (opened)
        WriteGroupClose(&d->w);
}

// Passes over a group left out, and the groups inside it.
void SkipGroup(Door *d)
{
    int depth = 1;
    while (depth > 0) {
        Token k = NextToken(&d->t);
        if (k.kind == TOKEN_END)
            return;
        if (k.kind == TOKEN_OPEN)
            ++depth;
        else if (k.kind == TOKEN_CLOSE)
            --depth;
    }
}

void OpenGroup(Door *d)
{
    Group &parent = Top(d);
    // A group that starts with a group names no destination.
    parent.fresh = false;
    bool inTable = parent.mode != MODE_BODY;
    bool fontEntry = parent.mode == MODE_FONTS;
    if (inTable && !fontEntry) {
        SkipGroup(d);
        return;
    }
    if (d->groups.size() >= RICH_TEXT_DOOR_DEPTH) {
        ++d->flatDepth;
        d->flatFresh = true;
        return;
    }
    Group g = parent;
    g.opened = false;
    g.fresh = true;
    g.starred = false;
    if (fontEntry) {
        // An entry is written whole when it ends; its group is the writer's.
        FinishFont(d);
        g.mode = MODE_FONT_ENTRY;
        g.opened = true;
    }
    d->groups.push_back(g);
}

// Characters a group too deep to be written still shows.
const char *const FlatWords[] = {"par",    "page",   "sect",   "column", "line",      "tab",
                                 "bullet", "emdash", "endash", "lquote", "rquote",
                                 "ldblquote", "rdblquote", "emspace", "enspace", nullptr};

// A group too deep to be written that names a destination.
bool NamesDestination(const Token &k)
{
    const WordRule *rule = FindWordRule(k.word, k.letters);
    return IsWord(k.word, k.letters, "pict") || (rule && rule->form == WORD_DESTINATION) ||
           IsOneOf(k.word, k.letters, DroppedDestinations);
}

// A token inside groups too deep to be written.
void ReadFlat(Door *d, const Token &k)
{
    bool fresh = d->flatFresh;
    d->flatFresh = false;
    if (k.kind == TOKEN_OPEN || k.kind == TOKEN_CLOSE) {
        d->skipFallback = 0;
        d->flatDepth += k.kind == TOKEN_OPEN ? 1 : -1;
        d->flatFresh = k.kind == TOKEN_OPEN;
        return;
    }
    if (fresh && ((k.kind == TOKEN_SYMBOL && k.symbol == '*') ||
                  (k.kind == TOKEN_WORD && NamesDestination(k)))) {
        SkipGroup(d);
        --d->flatDepth;
        return;
    }
    if (d->skipFallback > 0) {
        --d->skipFallback;
        return;
    }
    if (k.kind == TOKEN_SYMBOL)
        BodySymbol(d, k.symbol);
    else if (k.kind == TOKEN_BYTE)
        TextByte(d, k.byte);
    else if (k.kind == TOKEN_WORD && (IsOneOf(k.word, k.letters, FlatWords) ||
                                      (IsWord(k.word, k.letters, "u") && k.hasNumber)))
        BodyWord(d, k);
}

void Read(Door *d)
{
    for (;;) {
        Token k = NextToken(&d->t);
        if (k.kind != TOKEN_BYTE)
            EndSequence(d);
        if (k.kind == TOKEN_END)
            break;
        if (d->flatDepth > 0) {
            ReadFlat(d, k);
            continue;
        }
        if (k.kind == TOKEN_OPEN || k.kind == TOKEN_CLOSE) {
            d->skipFallback = 0;
            if (k.kind == TOKEN_OPEN) {
                OpenGroup(d);
                continue;
            }
            CloseGroup(d);
            // The text ends with its outer group, as the control reads it.
            if (d->groups.empty())
                return;
            continue;
        }
        Group &g = Top(d);
        bool fresh = g.fresh;
        g.fresh = false;
        if (k.kind == TOKEN_SYMBOL && k.symbol == '*') {
            g.starred = fresh;
            g.fresh = fresh;
            continue;
        }
        if (d->skipFallback > 0 && g.mode == MODE_BODY) {
            --d->skipFallback;
            continue;
        }
        int skip = 0;
        switch (g.mode) {
        case MODE_BODY:
            if (k.kind == TOKEN_WORD) {
                if (fresh && TakeDestination(d, k, &skip)) {
                    if (skip) {
                        SkipGroup(d);
                        if (Top(d).opened)
                            WriteGroupClose(&d->w);
                        d->groups.pop_back();
                        if (d->groups.empty())
                            return;
                    }
                } else {
                    BodyWord(d, k);
                }
            } else if (k.kind == TOKEN_BYTE) {
                TextByte(d, k.byte);
            } else if (k.kind == TOKEN_SYMBOL) {
                BodySymbol(d, k.symbol);
            }
            // \bin outside a picture: bytes the control would take as text.
            break;
        case MODE_FONTS:
        case MODE_FONT_ENTRY:
            if (k.kind == TOKEN_WORD)
                FontWord(d, k);
            else if (k.kind == TOKEN_BYTE)
                FontByte(d, k.byte);
            break;
        case MODE_COLOURS:
            if (k.kind == TOKEN_WORD)
                ColourWord(d, k);
            else if (k.kind == TOKEN_BYTE)
                ColourByte(d, k.byte);
            break;
        case MODE_PICTURE:
            if (k.kind == TOKEN_WORD)
                PictureWord(d, k);
            else if (k.kind == TOKEN_BYTE && !k.escaped)
                PictureByte(d, k.byte);
            else if (k.kind == TOKEN_BINARY)
                d->pictureData.insert(d->pictureData.end(), k.binary, k.binary + k.binaryBytes);
            break;
        }
    }
    // A text cut short is closed where it ends.
    while (!d->groups.empty())
        CloseGroup(d);
}

} // namespace

int RewriteRichText(const char *text, size_t bytes, std::string *out)
{
    out->clear();
    if (!text || (!StartsWith(text, bytes, "{\\rtf") && !StartsWith(text, bytes, "{\\urtf")))
        return RICH_TEXT_NOT_RTF;
    if (bytes > RICH_TEXT_MAX_BYTES)
        return RICH_TEXT_TOO_LARGE;
    Door d;
    d.t = Tokenizer{text, bytes, 1};
    StartWriter(&d.w, out);
    d.knownFonts.assign(0x10000, false);
    d.fonts = d.colours = 0;
    d.fontTable = d.colourTable = false;
    d.skipFallback = 0;
    d.flatDepth = 0;
    d.flatFresh = false;
    d.inFont = false;
    d.red = d.green = d.blue = 0;
    d.colourWords = false;
    d.nibble = -1;
    std::memset(&d.picture, 0, sizeof d.picture);
    // The outer group and its signature word, which the writer writes as its own.
    Token signature = NextToken(&d.t);
    d.utf8 = IsWord(signature.word, signature.letters, "urtf");
    d.sequence = 0;
    d.sequenceLeft = 0;
    d.nextLow = 0x80;
    d.nextHigh = 0xBF;
    Group outer = {MODE_BODY, true, false, false, 1, 0, 0, -1};
    d.groups.push_back(outer);
    WriteGroupOpen(&d.w);
    WriteWord(&d.w, "rtf1");
    WriteWord(&d.w, "ansi");
    WriteWord(&d.w, "uc1");
    Read(&d);
    return RICH_TEXT_OK;
}

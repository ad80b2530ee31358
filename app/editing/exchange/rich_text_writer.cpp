#include "rich_text_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "exchange_ids.h"

namespace {

const int32_t PAGE = RICH_TEXT_PAGE_TWIPS;

// The words of a note's text: what Wine's control writes of the notes it
// holds (character and paragraph formats, fonts, colours, tabs, bullets and
// numbering), and of tables what the control reads. Every other word is
// left out and its group's text kept.
const WordRule Rules[] = {
    // Character formats.
    {"b", WORD_TOGGLE, 0, 0, COUNT_NONE},
    {"i", WORD_TOGGLE, 0, 0, COUNT_NONE},
    {"ul", WORD_TOGGLE, 0, 0, COUNT_NONE},
    {"uld", WORD_TOGGLE, 0, 0, COUNT_NONE},
    {"uldb", WORD_TOGGLE, 0, 0, COUNT_NONE},
    {"ulw", WORD_TOGGLE, 0, 0, COUNT_NONE},
    {"ulwave", WORD_TOGGLE, 0, 0, COUNT_NONE},
    {"uldash", WORD_TOGGLE, 0, 0, COUNT_NONE},
    {"uldashd", WORD_TOGGLE, 0, 0, COUNT_NONE},
    {"uldashdd", WORD_TOGGLE, 0, 0, COUNT_NONE},
    {"ulth", WORD_TOGGLE, 0, 0, COUNT_NONE},
    {"ulnone", WORD_BARE, 0, 0, COUNT_NONE},
    {"strike", WORD_TOGGLE, 0, 0, COUNT_NONE},
    {"v", WORD_TOGGLE, 0, 0, COUNT_NONE},
    {"caps", WORD_TOGGLE, 0, 0, COUNT_NONE},
    {"scaps", WORD_TOGGLE, 0, 0, COUNT_NONE},
    {"outl", WORD_TOGGLE, 0, 0, COUNT_NONE},
    {"shad", WORD_TOGGLE, 0, 0, COUNT_NONE},
    {"embo", WORD_TOGGLE, 0, 0, COUNT_NONE},
    {"impr", WORD_TOGGLE, 0, 0, COUNT_NONE},
    {"protect", WORD_TOGGLE, 0, 0, COUNT_NONE},
    {"sub", WORD_BARE, 0, 0, COUNT_NONE},
    {"super", WORD_BARE, 0, 0, COUNT_NONE},
    {"nosupersub", WORD_BARE, 0, 0, COUNT_NONE},
    {"plain", WORD_BARE, 0, 0, COUNT_NONE},
    {"up", WORD_VALUE, 0, RICH_TEXT_MOST_RAISE, COUNT_NONE},
    {"dn", WORD_VALUE, 0, RICH_TEXT_MOST_RAISE, COUNT_NONE},
    {"fs", WORD_POSITIVE, 1, RICH_TEXT_LARGEST_FONT, COUNT_NONE},
    {"f", WORD_FONT, 0, 0, COUNT_NONE},
    {"cf", WORD_COLOUR, 0, 0, COUNT_NONE},
    {"cb", WORD_COLOUR, 0, 0, COUNT_NONE},
    {"highlight", WORD_COLOUR, 0, 0, COUNT_NONE},
    {"lang", WORD_VALUE, 0, 0xFFFF, COUNT_NONE},
    {"rtlch", WORD_BARE, 0, 0, COUNT_NONE},
    {"ltrch", WORD_BARE, 0, 0, COUNT_NONE},
    // Paragraph formats. The control itself writes a negative left indent
    // for a first line that starts left of the others.
    {"pard", WORD_BARE, 0, 0, COUNT_TAB_RESET},
    {"ql", WORD_BARE, 0, 0, COUNT_NONE},
    {"qc", WORD_BARE, 0, 0, COUNT_NONE},
    {"qr", WORD_BARE, 0, 0, COUNT_NONE},
    {"qj", WORD_BARE, 0, 0, COUNT_NONE},
    {"li", WORD_VALUE, -PAGE, PAGE, COUNT_NONE},
    {"ri", WORD_VALUE, -PAGE, PAGE, COUNT_NONE},
    {"fi", WORD_VALUE, -PAGE, PAGE, COUNT_NONE},
    {"sb", WORD_VALUE, 0, PAGE, COUNT_NONE},
    {"sa", WORD_VALUE, 0, PAGE, COUNT_NONE},
    {"sl", WORD_VALUE, -PAGE, PAGE, COUNT_NONE},
    {"slmult", WORD_VALUE, 0, 1, COUNT_NONE},
    {"keep", WORD_BARE, 0, 0, COUNT_NONE},
    {"keepn", WORD_BARE, 0, 0, COUNT_NONE},
    {"pagebb", WORD_BARE, 0, 0, COUNT_NONE},
    {"widctlpar", WORD_BARE, 0, 0, COUNT_NONE},
    {"nowidctlpar", WORD_BARE, 0, 0, COUNT_NONE},
    {"rtlpar", WORD_BARE, 0, 0, COUNT_NONE},
    {"ltrpar", WORD_BARE, 0, 0, COUNT_NONE},
    // Tab stops: one at or before the margin stops the control's writer (a
    // negative one raises an exception there), so such a stop is left out.
    {"tx", WORD_POSITIVE, 1, PAGE, COUNT_TAB},
    {"tb", WORD_POSITIVE, 1, PAGE, COUNT_TAB},
    {"tqr", WORD_BARE, 0, 0, COUNT_NONE},
    {"tqc", WORD_BARE, 0, 0, COUNT_NONE},
    {"tqdec", WORD_BARE, 0, 0, COUNT_NONE},
    {"tldot", WORD_BARE, 0, 0, COUNT_NONE},
    {"tlhyph", WORD_BARE, 0, 0, COUNT_NONE},
    {"tlul", WORD_BARE, 0, 0, COUNT_NONE},
    {"tlth", WORD_BARE, 0, 0, COUNT_NONE},
    {"tleq", WORD_BARE, 0, 0, COUNT_NONE},
    {"deftab", WORD_POSITIVE, 1, PAGE, COUNT_NONE},
    // Tables.
    {"trowd", WORD_BARE, 0, 0, COUNT_ROW_RESET},
    {"trgaph", WORD_VALUE, 0, PAGE, COUNT_NONE},
    {"trleft", WORD_VALUE, -PAGE, PAGE, COUNT_NONE},
    {"trrh", WORD_VALUE, -PAGE, PAGE, COUNT_NONE},
    {"trql", WORD_BARE, 0, 0, COUNT_NONE},
    {"trqc", WORD_BARE, 0, 0, COUNT_NONE},
    {"trqr", WORD_BARE, 0, 0, COUNT_NONE},
    {"cellx", WORD_VALUE, 0, PAGE, COUNT_CELL},
    {"intbl", WORD_BARE, 0, 0, COUNT_NONE},
    {"cell", WORD_BARE, 0, 0, COUNT_NONE},
    {"row", WORD_BARE, 0, 0, COUNT_NONE},
    {"lastrow", WORD_BARE, 0, 0, COUNT_NONE},
    // Bullets and numbering, as the control writes them.
    {"pntext", WORD_DESTINATION, 0, 0, COUNT_NONE},
    {"pn", WORD_DESTINATION, 0, 0, COUNT_NONE},
    {"pntxta", WORD_DESTINATION, 0, 0, COUNT_NONE},
    {"pntxtb", WORD_DESTINATION, 0, 0, COUNT_NONE},
    {"pnlvlblt", WORD_BARE, 0, 0, COUNT_NONE},
    {"pnlvlbody", WORD_BARE, 0, 0, COUNT_NONE},
    {"pnlvlcont", WORD_BARE, 0, 0, COUNT_NONE},
    {"pnlvl", WORD_VALUE, 1, RICH_TEXT_MOST_LIST_LEVEL, COUNT_NONE},
    {"pnf", WORD_FONT, 0, 0, COUNT_NONE},
    {"pnfs", WORD_POSITIVE, 1, RICH_TEXT_LARGEST_FONT, COUNT_NONE},
    {"pncf", WORD_COLOUR, 0, 0, COUNT_NONE},
    {"pnb", WORD_TOGGLE, 0, 0, COUNT_NONE},
    {"pni", WORD_TOGGLE, 0, 0, COUNT_NONE},
    {"pnindent", WORD_VALUE, 0, PAGE, COUNT_NONE},
    {"pnsp", WORD_VALUE, 0, PAGE, COUNT_NONE},
    {"pnstart", WORD_VALUE, 0, 32767, COUNT_NONE},
    {"pnhang", WORD_BARE, 0, 0, COUNT_NONE},
    {"pndec", WORD_BARE, 0, 0, COUNT_NONE},
    {"pnucltr", WORD_BARE, 0, 0, COUNT_NONE},
    {"pnlcltr", WORD_BARE, 0, 0, COUNT_NONE},
    {"pnucrm", WORD_BARE, 0, 0, COUNT_NONE},
    {"pnlcrm", WORD_BARE, 0, 0, COUNT_NONE},
    {"pnqc", WORD_BARE, 0, 0, COUNT_NONE},
    {"pnql", WORD_BARE, 0, 0, COUNT_NONE},
    {"pnqr", WORD_BARE, 0, 0, COUNT_NONE},
    // Characters and breaks. The control lays a page or section break out
    // as a paragraph end, and so the writer writes it.
    {"par", WORD_PARAGRAPH, 0, 0, COUNT_NONE},
    {"page", WORD_PARAGRAPH, 0, 0, COUNT_NONE},
    {"sect", WORD_PARAGRAPH, 0, 0, COUNT_NONE},
    {"column", WORD_PARAGRAPH, 0, 0, COUNT_NONE},
    {"line", WORD_BARE, 0, 0, COUNT_NONE},
    {"tab", WORD_BARE, 0, 0, COUNT_NONE},
    {"bullet", WORD_BARE, 0, 0, COUNT_NONE},
    {"emdash", WORD_BARE, 0, 0, COUNT_NONE},
    {"endash", WORD_BARE, 0, 0, COUNT_NONE},
    {"emspace", WORD_BARE, 0, 0, COUNT_NONE},
    {"enspace", WORD_BARE, 0, 0, COUNT_NONE},
    {"lquote", WORD_BARE, 0, 0, COUNT_NONE},
    {"rquote", WORD_BARE, 0, 0, COUNT_NONE},
    {"ldblquote", WORD_BARE, 0, 0, COUNT_NONE},
    {"rdblquote", WORD_BARE, 0, 0, COUNT_NONE},
    // The document's own words.
    {"ansicpg", WORD_CODE_PAGE, 0, 0, COUNT_NONE},
    {"deff", WORD_VALUE, 0, 0xFFFF, COUNT_NONE},
    {"deflang", WORD_VALUE, 0, 0xFFFF, COUNT_NONE},
    {"deflangfe", WORD_VALUE, 0, 0xFFFF, COUNT_NONE},
};

// The code pages of the system's ANSI and OEM texts; the control converts
// the document's bytes with it.
const int32_t CodePages[] = {437, 850, 852, 866, 874, 932, 936, 949, 950,
                             1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258};

bool RuleBefore(const WordRule *a, const WordRule *b)
{
    return std::strcmp(a->name, b->name) < 0;
}

const std::vector<const WordRule *> &SortedRules()
{
    static const std::vector<const WordRule *> sorted = [] {
        std::vector<const WordRule *> rules;
        for (const WordRule &rule : Rules)
            rules.push_back(&rule);
        std::sort(rules.begin(), rules.end(), RuleBefore);
        return rules;
    }();
    return sorted;
}

void Append(RichTextWriter *w, const char *text)
{
    w->out->append(text);
}

} // namespace

bool IsAllowedCodePage(int32_t page)
{
    for (int32_t known : CodePages)
        if (known == page)
            return true;
    return false;
}

const WordRule *FindWordRule(const char *word, size_t letters)
{
    const std::vector<const WordRule *> &rules = SortedRules();
    size_t low = 0, high = rules.size();
    while (low < high) {
        size_t middle = (low + high) / 2;
        const char *name = rules[middle]->name;
        int order = std::strncmp(name, word, letters);
        if (order == 0 && name[letters] != 0)
            order = 1;
        if (order == 0)
            return rules[middle];
        if (order < 0)
            low = middle + 1;
        else
            high = middle;
    }
    return nullptr;
}

void StartWriter(RichTextWriter *w, std::string *out)
{
    w->out = out;
    w->afterWord = false;
    out->clear();
}

void WriteGroupOpen(RichTextWriter *w)
{
    w->out->push_back('{');
    w->afterWord = false;
}

void WriteGroupClose(RichTextWriter *w)
{
    w->out->push_back('}');
    w->afterWord = false;
}

void WriteStar(RichTextWriter *w)
{
    Append(w, "\\*");
    w->afterWord = false;
}

void WriteWord(RichTextWriter *w, const char *name, bool hasNumber, int32_t value)
{
    w->out->push_back('\\');
    Append(w, name);
    if (hasNumber) {
        char number[16];
        std::snprintf(number, sizeof number, "%ld", (long)value);
        Append(w, number);
    }
    w->afterWord = true;
}

void WriteTextByte(RichTextWriter *w, uint8_t byte)
{
    if (w->afterWord)
        w->out->push_back(' ');
    w->afterWord = false;
    if (byte == '\\' || byte == '{' || byte == '}') {
        w->out->push_back('\\');
        w->out->push_back((char)byte);
    } else if (byte >= 0x20 && byte < 0x7F) {
        w->out->push_back((char)byte);
    } else {
        char escape[8];
        std::snprintf(escape, sizeof escape, "\\'%02x", byte);
        Append(w, escape);
    }
}

void WriteUnicode(RichTextWriter *w, int16_t value)
{
    WriteWord(w, "u", true, value);
    // The fallback ends the word, so no delimiter is needed behind it.
    w->out->push_back('?');
    w->afterWord = false;
}

void WriteSymbol(RichTextWriter *w, char symbol)
{
    w->out->push_back('\\');
    w->out->push_back(symbol);
    w->afterWord = false;
}

void WriteFontEntry(RichTextWriter *w, const FontEntry &font)
{
    WriteGroupOpen(w);
    WriteWord(w, "f", true, font.number);
    if (font.family)
        WriteWord(w, font.family);
    if (font.charset >= 0)
        WriteWord(w, "fcharset", true, font.charset);
    if (font.pitch >= 0)
        WriteWord(w, "fprq", true, font.pitch);
    for (char c : font.name)
        WriteTextByte(w, (uint8_t)c);
    if (w->afterWord)
        w->out->push_back(' ');
    w->out->push_back(';');
    w->afterWord = false;
    WriteGroupClose(w);
}

void WriteColourEntry(RichTextWriter *w, bool empty, int32_t red, int32_t green, int32_t blue)
{
    if (!empty) {
        WriteWord(w, "red", true, red);
        WriteWord(w, "green", true, green);
        WriteWord(w, "blue", true, blue);
    }
    w->out->push_back(';');
    w->afterWord = false;
}

void WritePicture(RichTextWriter *w, const PictureOut &picture)
{
    static const char Hex[] = "0123456789abcdef";
    WriteGroupOpen(w);
    WriteWord(w, "pict");
    WriteWord(w, "emfblip");
    WriteWord(w, "picw", true, picture.picw);
    WriteWord(w, "pich", true, picture.pich);
    WriteWord(w, "picwgoal", true, picture.picwgoal);
    WriteWord(w, "pichgoal", true, picture.pichgoal);
    // Lines of 80 digits, as the control writes its own.
    for (size_t i = 0; i < picture.emf.size(); ++i) {
        if (i % 40 == 0)
            Append(w, "\r\n");
        w->out->push_back(Hex[picture.emf[i] >> 4]);
        w->out->push_back(Hex[picture.emf[i] & 15]);
    }
    Append(w, "\r\n");
    w->afterWord = false;
    WriteGroupClose(w);
}

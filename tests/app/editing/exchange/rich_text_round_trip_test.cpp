// Notes the program writes, through the door: the control shows what our
// writer wrote of them as it shows what it wrote itself, in every format a
// user sees. Compared as the control reads them back, not as RTF bytes.
#include <windows.h>
#include <richedit.h>
#include <richole.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "editing/exchange/rich_text_door.h"
#include "exchange_fixture.h"

namespace {

DWORD CALLBACK AppendStreamed(DWORD_PTR cookie, LPBYTE bytes, LONG count, LONG *done)
{
    ((std::string *)cookie)->append((const char *)bytes, (size_t)count);
    *done = count;
    return 0;
}

struct Reading {
    const std::string *text;
    size_t at;
};

DWORD CALLBACK ReadStreamed(DWORD_PTR cookie, LPBYTE bytes, LONG count, LONG *done)
{
    Reading *r = (Reading *)cookie;
    size_t n = r->text->size() - r->at < (size_t)count ? r->text->size() - r->at : (size_t)count;
    std::memcpy(bytes, r->text->data() + r->at, n);
    r->at += n;
    *done = (LONG)n;
    return 0;
}

std::string StreamOut(HWND edit)
{
    std::string rtf;
    EDITSTREAM stream = {(DWORD_PTR)&rtf, 0, AppendStreamed};
    SendMessageA(edit, EM_STREAMOUT, SF_RTF, (LPARAM)&stream);
    return stream.dwError ? std::string() : rtf;
}

void StreamIn(HWND edit, const std::string &rtf)
{
    Reading reading = {&rtf, 0};
    EDITSTREAM stream = {(DWORD_PTR)&reading, 0, ReadStreamed};
    SendMessageA(edit, EM_STREAMIN, SF_RTF, (LPARAM)&stream);
}

void Select(HWND edit, LONG from, LONG to)
{
    CHARRANGE range = {from, to};
    SendMessageA(edit, EM_EXSETSEL, 0, (LPARAM)&range);
}

void SetCharacters(HWND edit, LONG from, LONG to, DWORD mask, DWORD effects,
                   COLORREF colour = 0, LONG height = 0, const char *face = nullptr,
                   LONG offset = 0)
{
    Select(edit, from, to);
    CHARFORMAT2A f = {};
    f.cbSize = sizeof f;
    f.dwMask = mask;
    f.dwEffects = effects;
    f.crTextColor = colour;
    f.yHeight = height;
    f.yOffset = offset;
    if (face)
        lstrcpynA(f.szFaceName, face, LF_FACESIZE);
    SendMessageA(edit, EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&f);
}

void SetParagraph(HWND edit, LONG at, const PARAFORMAT2 &format)
{
    Select(edit, at, at);
    PARAFORMAT2 f = format;
    f.cbSize = sizeof f;
    SendMessageA(edit, EM_SETPARAFORMAT, 0, (LPARAM)&f);
}

// Everything a user sees of the text, character by character and paragraph
// by paragraph, as the control reports it.
std::string Seen(HWND edit)
{
    char text[8192] = {};
    GetWindowTextA(edit, text, sizeof text);
    std::string seen = std::string("text: ") + text + "\n";
    char line[512];
    bool paragraphStart = true;
    for (LONG i = 0; text[i]; ++i) {
        Select(edit, i, i + 1);
        CHARFORMAT2A c = {};
        c.cbSize = sizeof c;
        SendMessageA(edit, EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&c);
        DWORD shown = CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT | CFE_SUBSCRIPT |
                      CFE_SUPERSCRIPT | CFE_AUTOCOLOR | CFE_HIDDEN;
        std::snprintf(line, sizeof line, "%ld '%c' effects %lx height %ld offset %ld colour %lx "
                      "face %s charset %d underline %d\n",
                      (long)i, text[i] >= ' ' ? text[i] : '.', c.dwEffects & shown,
                      (long)c.yHeight, (long)c.yOffset,
                      (c.dwEffects & CFE_AUTOCOLOR) ? 0ul : (unsigned long)c.crTextColor,
                      c.szFaceName, c.bCharSet, c.bUnderlineType);
        seen += line;
        if (paragraphStart) {
            PARAFORMAT2 p = {};
            p.cbSize = sizeof p;
            SendMessageA(edit, EM_GETPARAFORMAT, 0, (LPARAM)&p);
            std::snprintf(line, sizeof line, "  paragraph: align %d start %ld right %ld offset %ld "
                          "before %ld after %ld line %ld rule %d numbering %d start %d style %x "
                          "tab %d tabs %d:",
                          p.wAlignment, (long)p.dxStartIndent, (long)p.dxRightIndent,
                          (long)p.dxOffset, (long)p.dySpaceBefore, (long)p.dySpaceAfter,
                          (long)p.dyLineSpacing, p.bLineSpacingRule, p.wNumbering,
                          p.wNumberingStart, p.wNumberingStyle, p.wNumberingTab, p.cTabCount);
            seen += line;
            for (int t = 0; t < p.cTabCount && t < MAX_TAB_STOPS; ++t)
                seen += " " + std::to_string(p.rgxTabs[t]);
            seen += "\n";
        }
        paragraphStart = text[i] == '\r' || text[i] == '\n';
    }
    return seen;
}

// The embedded objects (pictures) and the size each is shown at; *count
// gets how many there are.
std::string Objects(HWND edit, LONG *count)
{
    *count = -1;
    IRichEditOle *ole = nullptr;
    SendMessageA(edit, EM_GETOLEINTERFACE, 0, (LPARAM)&ole);
    if (!ole)
        return "no OLE interface";
    *count = ole->GetObjectCount();
    std::string seen = "objects: " + std::to_string(*count) + "\n";
    for (LONG i = 0; i < *count; ++i) {
        REOBJECT object = {};
        object.cbStruct = sizeof object;
        if (ole->GetObject(i, &object, REO_GETOBJ_NO_INTERFACES) != S_OK) {
            seen += "unreadable\n";
            continue;
        }
        seen += "at " + std::to_string(object.cp) + " size " + std::to_string(object.sizel.cx) +
                " x " + std::to_string(object.sizel.cy) + "\n";
    }
    ole->Release();
    return seen;
}

class RichTextRoundTrip : public NoteTableTest {
protected:
    // The note's text as the control wrote it, read by the control itself
    // and through the door into notes of their own: both must show the same.
    void ExpectSameThroughTheDoor(int slot)
    {
        std::string rtf = StreamOut(ZettlyTable[slot].editWindow);
        ASSERT_FALSE(rtf.empty());
        std::string door;
        ASSERT_EQ(RewriteRichText(rtf.data(), rtf.size(), &door), 0);
        int direct = NewNote("direct", ""), through = NewNote("through", "");
        StreamIn(ZettlyTable[direct].editWindow, rtf);
        StreamIn(ZettlyTable[through].editWindow, door);
        EXPECT_EQ(Seen(ZettlyTable[through].editWindow), Seen(ZettlyTable[direct].editWindow))
            << "control wrote:\n" << rtf << "\ndoor wrote:\n" << door;
        LONG throughObjects = 0;
        EXPECT_EQ(Objects(ZettlyTable[through].editWindow, &throughObjects),
                  Objects(ZettlyTable[direct].editWindow, &objects));
    }
    LONG objects = 0;
};

} // namespace

TEST_F(RichTextRoundTrip, FormatsColoursAndFontsOfANote)
{
    int slot = NewNote("formats", "plain bold italic under strike sub super red big courier end");
    HWND edit = ZettlyTable[slot].editWindow;
    SetCharacters(edit, 6, 10, CFM_BOLD, CFE_BOLD);
    SetCharacters(edit, 11, 17, CFM_ITALIC, CFE_ITALIC);
    SetCharacters(edit, 18, 23, CFM_UNDERLINE, CFE_UNDERLINE);
    SetCharacters(edit, 24, 30, CFM_STRIKEOUT, CFE_STRIKEOUT);
    SetCharacters(edit, 31, 34, CFM_SUBSCRIPT, CFE_SUBSCRIPT);
    SetCharacters(edit, 35, 40, CFM_SUPERSCRIPT, CFE_SUPERSCRIPT);
    SetCharacters(edit, 41, 44, CFM_COLOR, 0, RGB(200, 10, 20));
    SetCharacters(edit, 45, 56, CFM_SIZE | CFM_FACE, 0, 0, 36 * 20, "Courier New");
    SetCharacters(edit, 57, 60, CFM_SIZE | CFM_BOLD | CFM_ITALIC | CFM_COLOR, CFE_BOLD | CFE_ITALIC,
                  RGB(0, 0, 255), 1638 * 20);
    ExpectSameThroughTheDoor(slot);
}

TEST_F(RichTextRoundTrip, ParagraphsTabsBulletsAndNumbers)
{
    int slot = NewNote("paragraphs", "centre\r\nright\r\nindented\r\na\tb\tc\r\nbullet\r\n"
                                     "number\r\nnumber\r\nlast");
    HWND edit = ZettlyTable[slot].editWindow;
    PARAFORMAT2 p = {};
    p.dwMask = PFM_ALIGNMENT;
    p.wAlignment = PFA_CENTER;
    SetParagraph(edit, 0, p);
    p.wAlignment = PFA_RIGHT;
    SetParagraph(edit, 8, p);
    p = {};
    p.dwMask = PFM_STARTINDENT | PFM_RIGHTINDENT | PFM_OFFSET | PFM_SPACEBEFORE | PFM_SPACEAFTER;
    p.dxStartIndent = 720;
    p.dxRightIndent = 360;
    p.dxOffset = -300;
    p.dySpaceBefore = 120;
    p.dySpaceAfter = 240;
    SetParagraph(edit, 16, p);
    p = {};
    p.dwMask = PFM_TABSTOPS;
    p.cTabCount = 3;
    p.rgxTabs[0] = 1440;
    p.rgxTabs[1] = 2880;
    p.rgxTabs[2] = 5000;
    SetParagraph(edit, 26, p);
    p = {};
    p.dwMask = PFM_NUMBERING | PFM_OFFSET;
    p.wNumbering = PFN_BULLET;
    p.dxOffset = 360;
    SetParagraph(edit, 33, p);
    p = {};
    p.dwMask = PFM_NUMBERING | PFM_NUMBERINGSTART | PFM_NUMBERINGSTYLE | PFM_NUMBERINGTAB;
    p.wNumbering = 2; // arabic numbers
    p.wNumberingStart = 3;
    p.wNumberingStyle = 0x0200; // 3), 4)
    p.wNumberingTab = 400;
    Select(edit, 41, 55);
    p.cbSize = sizeof p;
    SendMessageA(edit, EM_SETPARAFORMAT, 0, (LPARAM)&p);
    ExpectSameThroughTheDoor(slot);
}

TEST_F(RichTextRoundTrip, TablesAndPicturesAsTheControlWritesThem)
{
    // A table read from outside; the control writes it as it keeps it.
    int slot = NewNote("table", "");
    StreamIn(ZettlyTable[slot].editWindow,
             "{\\rtf1\\trowd\\trgaph108\\trleft-108\\cellx1500\\cellx3000\\intbl one\\cell "
             "two\\cell\\row\\pard after\\par}");
    ExpectSameThroughTheDoor(slot);

    // A metafile picture, which the control converts and keeps as an
    // enhanced metafile of its own making.
    int picture = NewNote("picture", "");
    StreamIn(ZettlyTable[picture].editWindow,
             "{\\rtf1 before{\\pict\\wmetafile8\\picw100\\pich100\\picwgoal600\\pichgoal600 "
             "010009000003220000000000050000000000050000000b0200000000050000000c02640064000400"
             "000004010d000300000000000}after\\par}");
    ExpectSameThroughTheDoor(picture);
    EXPECT_EQ(objects, 1);
}

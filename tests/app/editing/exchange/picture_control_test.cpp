// The enhanced metafiles the picture filter writes, given to the system's
// drawing library and its rich-edit control as a note from outside would
// give them: they draw the picture's own pixels, and the control writes the
// note back out whole with the picture in it.
#include <gtest/gtest.h>

#include <windows.h>

#include <richedit.h>

#include <string>
#include <vector>

#include "core/core_ids.h"
#include "editing/exchange/picture_filter.h"
#include "picture_samples.h"

namespace {

using Bytes = PictureBytes;

// The colour at x, y of a metafile drawn into a size x size bitmap.
struct Drawn {
    std::vector<COLORREF> pixels;
    int size;
    COLORREF At(int x, int y) const { return pixels[(size_t)(y * size + x)]; }
};

Drawn Draw(const Bytes &emf, int size)
{
    Drawn drawn = {std::vector<COLORREF>((size_t)(size * size), 0x123456), size};
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB};
    void *bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HENHMETAFILE picture = SetEnhMetaFileBits((UINT)emf.size(), emf.data());
    if (!dc || !bitmap || !picture)
        return drawn;
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all = {0, 0, size, size};
    FillRect(dc, &all, (HBRUSH)GetStockObject(BLACK_BRUSH));
    bool played = PlayEnhMetaFile(dc, picture, &all) != 0;
    GdiFlush();
    for (int i = 0; played && i < size * size; ++i) {
        const uint8_t *p = (const uint8_t *)bits + 4 * i;
        drawn.pixels[(size_t)i] = RGB(p[2], p[1], p[0]);
    }
    SelectObject(dc, old);
    DeleteEnhMetaFile(picture);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return drawn;
}

struct StreamBlock {
    std::string bytes;
    size_t at;
};

DWORD CALLBACK ReadBlock(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG *done)
{
    StreamBlock *block = (StreamBlock *)cookie;
    size_t n = block->bytes.size() - block->at;
    if (n > (size_t)count)
        n = (size_t)count;
    memcpy(buffer, block->bytes.data() + block->at, n);
    block->at += n;
    *done = (LONG)n;
    return 0;
}

DWORD CALLBACK WriteBlock(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG *done)
{
    ((std::string *)cookie)->append((const char *)buffer, (size_t)count);
    *done = count;
    return 0;
}

// The picture group as the note's reader writes it.
std::string PictureGroup(const PictureOut &out)
{
    return "{\\pict\\emfblip\\picw" + std::to_string(out.picw) + "\\pich" + std::to_string(out.pich) +
           "\\picwgoal" + std::to_string(out.picwgoal) + "\\pichgoal" + std::to_string(out.pichgoal) +
           "\r\n" + HexLines(out.emf) + "}";
}

// The hex digits of the first \emfblip group of an RTF text, as bytes.
Bytes BlipBytes(const std::string &rtf)
{
    Bytes bytes;
    size_t at = rtf.find("\\emfblip");
    if (at == std::string::npos)
        return bytes;
    at += 8;
    // Past the group's other words to its data.
    while (at < rtf.size() && rtf[at] != '}') {
        if (rtf[at] == '\\') {
            ++at;
            while (at < rtf.size() && (isalpha((uint8_t)rtf[at]) || isdigit((uint8_t)rtf[at]) || rtf[at] == '-'))
                ++at;
            continue;
        }
        if (isxdigit((uint8_t)rtf[at]) && at + 1 < rtf.size() && isxdigit((uint8_t)rtf[at + 1])) {
            bytes.push_back((uint8_t)std::stoi(rtf.substr(at, 2), nullptr, 16));
            at += 2;
            continue;
        }
        ++at;
    }
    return bytes;
}

class PictureControl : public ::testing::Test {
protected:
    static void SetUpTestSuite() { LoadLibraryA(RICH_EDIT_LIBRARY); }
    HWND edit = nullptr;
    void SetUp() override
    {
        edit = CreateWindowExA(0, RICH_EDIT_CLASS, "",
                               WS_POPUP | ES_MULTILINE, 50, 50, 300, 200, nullptr,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(edit, nullptr);
        // The control's own default is the bold system font.
        CHARFORMATA format = {sizeof format};
        format.dwMask = CFM_BOLD | CFM_FACE | CFM_SIZE;
        format.yHeight = 200;
        strcpy(format.szFaceName, "Arial");
        SendMessageA(edit, EM_SETCHARFORMAT, SCF_ALL, (LPARAM)&format);
    }
    void TearDown() override
    {
        if (edit)
            DestroyWindow(edit);
    }
    std::string StreamInAndOut(const std::string &rtf)
    {
        StreamBlock block = {rtf, 0};
        EDITSTREAM in = {(DWORD_PTR)&block, 0, ReadBlock};
        SendMessageA(edit, EM_STREAMIN, SF_RTF, (LPARAM)&in);
        EXPECT_EQ(in.dwError, 0u);
        std::string written;
        EDITSTREAM out = {(DWORD_PTR)&written, 0, WriteBlock};
        SendMessageA(edit, EM_STREAMOUT, SF_RTF, (LPARAM)&out);
        EXPECT_EQ(out.dwError, 0u);
        return written;
    }
};

bool Near(COLORREF a, COLORREF b)
{
    return abs(GetRValue(a) - GetRValue(b)) < 8 && abs(GetGValue(a) - GetGValue(b)) < 8 &&
           abs(GetBValue(a) - GetBValue(b)) < 8;
}

} // namespace

TEST_F(PictureControl, ConvertedPicturesDrawTheirPixelsAndComeBackWhole)
{
    const COLORREF red = RGB(255, 0, 0), green = RGB(0, 255, 0), blue = RGB(0, 0, 255),
                   white = RGB(255, 255, 255);
    struct Case {
        const char *what;
        PictureInfo info;
        Bytes data;
        COLORREF topLeft, topRight, bottomLeft, bottomRight;
    } cases[] = {
        {"bitmap", {PICTURE_DIB}, QuadrantDib(), red, white, blue, green},
        {"metafile", {PICTURE_WMF, 8, 2540, 2540}, SquaresWmf(), red, white, white, blue},
    };
    for (const Case &c : cases) {
        PictureOut out;
        ASSERT_EQ(FilterPicture(c.info, c.data.data(), c.data.size(), &out), 0) << c.what;
        Drawn drawn = Draw(out.emf, 40);
        EXPECT_TRUE(Near(drawn.At(5, 5), c.topLeft)) << c.what << std::hex << drawn.At(5, 5);
        EXPECT_TRUE(Near(drawn.At(34, 5), c.topRight)) << c.what << std::hex << drawn.At(34, 5);
        EXPECT_TRUE(Near(drawn.At(5, 34), c.bottomLeft)) << c.what << std::hex << drawn.At(5, 34);
        EXPECT_TRUE(Near(drawn.At(34, 34), c.bottomRight)) << c.what << std::hex << drawn.At(34, 34);

        std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 before " + PictureGroup(out) +
                          " after the picture\\par last line\\par}";
        std::string written = StreamInAndOut(rtf);
        // Whole: the picture in it, the text behind it, the outer group closed.
        size_t picture = written.find("\\emfblip");
        ASSERT_NE(picture, std::string::npos) << c.what << ": " << written.substr(0, 200);
        EXPECT_NE(written.find("after the picture", picture), std::string::npos) << c.what;
        EXPECT_NE(written.find("last line", picture), std::string::npos) << c.what;
        int depth = 0;
        for (char ch : written)
            depth += ch == '{' ? 1 : ch == '}' ? -1 : 0;
        EXPECT_EQ(depth, 0) << c.what;
        size_t end = written.find_last_not_of(std::string("\r\n\0", 3));
        ASSERT_NE(end, std::string::npos);
        EXPECT_EQ(written[end], '}') << c.what;
        // What the control writes back passes the filter again and draws the same.
        Bytes back = BlipBytes(written);
        PictureOut again;
        ASSERT_EQ(FilterPicture({PICTURE_EMF}, back.data(), back.size(), &again), 0) << c.what;
        Drawn redrawn = Draw(again.emf, 40);
        EXPECT_TRUE(Near(redrawn.At(5, 5), c.topLeft)) << c.what;
        EXPECT_TRUE(Near(redrawn.At(34, 34), c.bottomRight)) << c.what;
    }
}

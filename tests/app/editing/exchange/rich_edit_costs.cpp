// What Wine's rich-edit control costs to take a note's text, shape by shape:
// processor time and memory of streaming the text into a control made as a
// note makes its own (200 pixels wide, word wrap to the window, automatic
// link detection on), beside what the program's layout estimate reckons for
// the same text. Each shape runs in a process of its own, so the peak
// working set it reports is its own. Not a test: run it by hand under Wine
//
//   build/win64/wine-run build/win64/tests/app/editing/exchange/rich_edit_costs.exe [filter]
//
// and fit the estimate's constants to the table it prints. A filter runs
// only the shapes whose names hold it; "--shape N" is the child's own mode.
#include <windows.h>
#include <psapi.h>
#include <richedit.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/notes_table/rich_text_check.h"
#include "editing/exchange/outside_text.h"

namespace {

enum { NOTE_WIDTH = 200, NOTE_HEIGHT = 150 };

std::string Words(size_t length)
{
    static const char *const Vocabulary[] = {"the ",   "note ",    "says ",  "that ",  "a ",
                                             "meeting ", "moved ", "to ",    "friday ", "and ",
                                             "nobody ", "knew ",  "why ",   "it ",     "did "};
    std::string text;
    for (size_t i = 0; text.size() < length; ++i)
        text += Vocabulary[(i * 7 + i / 3) % (sizeof Vocabulary / sizeof *Vocabulary)];
    text.resize(length);
    return text;
}

std::string Repeat(const std::string &piece, size_t times)
{
    std::string text;
    text.reserve(piece.size() * times);
    for (size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

std::string Rich(const std::string &body)
{
    return "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 " + body + "}";
}

std::string HexBytes(size_t bytes)
{
    static const char Hex[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < bytes; ++i) {
        unsigned v = (unsigned)(i * 2654435761u >> 13);
        text += Hex[v & 15];
        text += Hex[(v >> 4) & 15];
    }
    return text;
}

// An enhanced metafile of a header and an end record, then filler records
// that draw nothing (EMR_SETBKMODE), padded out to about bytes.
std::string EmfPicture(size_t bytes)
{
    std::vector<uint32_t> words;
    words.resize(27, 0);
    words[0] = 1;  // EMR_HEADER
    words[1] = 108;
    words[4] = 100; // bounds
    words[5] = 100;
    words[8] = 2540; // frame, 0.01 mm
    words[9] = 2540;
    words[10] = 0x464D4520; // " EMF"
    words[11] = 0x10000;
    words[15] = 0;  // palette entries
    words[16] = 1024; // device pixels
    words[17] = 768;
    words[18] = 320; // device millimetres
    words[19] = 240;
    size_t fillers = bytes > 200 ? (bytes - 200) / 12 : 0;
    for (size_t i = 0; i < fillers; ++i) {
        words.push_back(18); // EMR_SETBKMODE
        words.push_back(12);
        words.push_back(1);
    }
    words.push_back(14); // EMR_EOF
    words.push_back(20);
    words.push_back(0);
    words.push_back(16);
    words.push_back(20);
    words[12] = (uint32_t)(words.size() * 4);
    words[13] = (uint32_t)(3 + fillers);
    static const char Hex[] = "0123456789abcdef";
    std::string text;
    for (uint32_t w : words)
        for (int b = 0; b < 4; ++b) {
            unsigned v = (w >> (8 * b)) & 0xFF;
            text += Hex[v >> 4];
            text += Hex[v & 15];
        }
    return text;
}

struct Shape {
    const char *name;
    bool rich;
    bool wrap;
    int fontPixels; // the note's font, as a LOGFONT height
    bool linkDetection;
    std::string (*make)(size_t count);
    size_t count;
};

std::string Prose480(size_t n) { return Repeat(Words(480) + "\r\n", n); }
std::string RichProse480(size_t n) { return Rich(Repeat(Words(480) + "\\par\n", n)); }
std::string OneParagraph(size_t n) { return Words(n); }
std::string RichParagraph50pt(size_t n) { return Rich("\\fs100 " + Words(n)); }
std::string RichParagraph(size_t n) { return Rich(Words(n)); }
std::string Nines(size_t n) { return std::string(n, '9'); }
std::string Letters(size_t n) { return std::string(n, 'a'); }
std::string LetterDigit(size_t n) { return Repeat("a9", n / 2); }
std::string SpacedNumbers(size_t n) { return Repeat("12345 ", n / 6); }
std::string SpacedNines(size_t n) { return Repeat("9 ", n / 2); }
std::string DottedOnes(size_t n) { return Repeat("1.", n / 2); }
std::string NumberLines(size_t n) { return Repeat("1234567890\r\n", n / 12); }
std::string LetterDigitWords(size_t n) { return Repeat("a9 ", n / 3); }
std::string DatedProse(size_t n) { return Repeat("met on 12 May 1999 at 10:30, ", n / 30); }
std::string LetterRunDigit(size_t n) { return Repeat("abcdefghi9", n / 10); }
std::string RichNines(size_t n) { return Rich(std::string(n, '9')); }
std::string Pars(size_t n) { return Rich(Repeat("\\par ", n)); }
std::string Lines(size_t n) { return Rich(Repeat("\\line ", n)); }
std::string Pages(size_t n) { return Rich(Repeat("\\page ", n)); }
std::string Sects(size_t n) { return Rich(Repeat("\\sect ", n)); }
std::string TextPages(size_t n) { return Rich(Repeat("ab\\page ", n)); }
std::string TextLines(size_t n) { return Rich(Repeat("ab\\line ", n)); }
std::string EmptyLines(size_t n) { return Repeat("\r\n", n); }
std::string Tabs(size_t n) { return Rich(Repeat("\\tab ", n)); }
std::string TabStops(size_t n)
{
    std::string stops;
    for (size_t i = 1; i <= 32; ++i)
        stops += "\\tx" + std::to_string(i * 360);
    return Rich(Repeat("\\pard" + stops + " a\\tab b\\tab c\\par ", n));
}
std::string TableRows(size_t n)
{
    return Rich(Repeat("\\trowd\\cellx1000\\cellx2000\\cellx3000 a\\cell b\\cell c\\cell\\row ", n));
}
std::string EmfData(size_t n) { return Rich("{\\pict\\emfblip\\picw100\\pich100 " + EmfPicture(n) + "}x"); }
std::string PngData(size_t n) { return Rich("{\\pict\\pngblip " + HexBytes(n) + "}x"); }
std::string Pictures(size_t n)
{
    return Rich(Repeat("{\\pict\\emfblip\\picw100\\pich100 " + EmfPicture(200) + "}", n));
}

const Shape Shapes[] = {
    // Ordinary prose: 40 paragraphs of 480 characters are 20 KB.
    {"prose 480/par 12pt wrap", false, true, -16, true, Prose480, 40},
    {"prose 480/par 12pt wrap", false, true, -16, true, Prose480, 100},
    {"prose 480/par 12pt nowrap", false, false, -16, true, Prose480, 105},
    {"prose 480/par 12pt nowrap", false, false, -16, true, Prose480, 400},
    {"rtf prose 480/par 12pt wrap", true, true, -16, true, RichProse480, 40},
    {"rtf prose 480/par 12pt wrap", true, true, -16, true, RichProse480, 100},
    {"one paragraph 13px wrap", false, true, -13, true, OneParagraph, 2000},
    {"one paragraph 13px wrap", false, true, -13, true, OneParagraph, 8000},
    {"one paragraph 13px wrap", false, true, -13, true, OneParagraph, 20000},
    {"one paragraph 13px nowrap", false, false, -13, true, OneParagraph, 100000},
    {"one paragraph 13px nowrap", false, false, -13, true, OneParagraph, 400000},
    {"rtf paragraph 50pt wrap", true, true, -13, true, RichParagraph50pt, 1769},
    {"rtf paragraph 50pt wrap", true, true, -13, true, RichParagraph50pt, 5000},
    {"rtf paragraph 12pt wrap", true, true, -13, true, RichParagraph, 5000},
    {"plain 67px font wrap", false, true, -67, true, OneParagraph, 1769},
    // Digits and what link detection makes of them.
    {"letters wrap", false, true, -13, true, Letters, 25000},
    {"letters nowrap", false, false, -13, true, Letters, 100000},
    {"nines nowrap links", false, false, -13, true, Nines, 5000},
    {"nines nowrap links", false, false, -13, true, Nines, 25000},
    {"nines nowrap nolinks", false, false, -13, false, Nines, 25000},
    {"nines nowrap nolinks", false, false, -13, false, Nines, 100000},
    {"a9 nowrap links", false, false, -13, true, LetterDigit, 5000},
    {"a9 nowrap links", false, false, -13, true, LetterDigit, 20000},
    {"a9 nowrap nolinks", false, false, -13, false, LetterDigit, 20000},
    {"a9 nowrap nolinks", false, false, -13, false, LetterDigit, 40000},
    {"a9 nowrap nolinks", false, false, -13, false, LetterDigit, 10000},
    {"a9_ nowrap links", false, false, -13, true, LetterDigitWords, 30000},
    {"abcdefghi9 nowrap links", false, false, -13, true, LetterRunDigit, 50000},
    {"dated prose nowrap links", false, false, -13, true, DatedProse, 50000},
    {"nines wrap links", false, true, -13, true, Nines, 25000},
    {"12345_ nowrap links", false, false, -13, true, SpacedNumbers, 50000},
    {"9_ nowrap links", false, false, -13, true, SpacedNines, 25000},
    {"9_ wrap links", false, true, -13, true, SpacedNines, 25000},
    {"1. nowrap links", false, false, -13, true, DottedOnes, 25000},
    {"1. wrap links", false, true, -13, true, DottedOnes, 25000},
    {"12345_ nowrap links", false, false, -13, true, SpacedNumbers, 100000},
    {"number lines links", false, false, -13, true, NumberLines, 100000},
    {"rtf nines nowrap links", true, false, -13, true, RichNines, 25000},
    // Paragraph ends of every kind.
    {"\\par", true, true, -13, true, Pars, 20000},
    {"\\par", true, true, -13, true, Pars, 100000},
    {"CR LF plain", false, true, -13, true, EmptyLines, 100000},
    {"\\line", true, true, -13, true, Lines, 20000},
    {"\\line", true, true, -13, true, Lines, 100000},
    {"\\page", true, true, -13, true, Pages, 20000},
    {"\\page", true, true, -13, true, Pages, 100000},
    {"\\sect", true, true, -13, true, Sects, 100000},
    {"ab\\page", true, true, -13, true, TextPages, 50000},
    {"ab\\line", true, true, -13, true, TextLines, 50000},
    {"table rows of 3 cells", true, true, -13, true, TableRows, 2000},
    {"table rows of 3 cells", true, true, -13, true, TableRows, 10000},
    {"\\tab", true, true, -13, true, Tabs, 50000},
    {"\\tab nowrap", true, false, -13, true, Tabs, 20000},
    {"32 tab stops per par", true, true, -13, true, TabStops, 5000},
    // Pictures.
    {"emf picture bytes", true, true, -13, true, EmfData, 100000},
    {"emf picture bytes", true, true, -13, true, EmfData, 400000},
    {"png data bytes", true, true, -13, true, PngData, 400000},
    {"small emf pictures", true, true, -13, true, Pictures, 200},
    {"small emf pictures", true, true, -13, true, Pictures, 2000},
};
const int SHAPE_COUNT = (int)(sizeof Shapes / sizeof *Shapes);

struct Reader {
    const std::string *text;
    size_t at;
};

DWORD CALLBACK ReadBlock(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG *read)
{
    Reader *r = (Reader *)cookie;
    size_t left = r->text->size() - r->at;
    size_t n = (size_t)count < left ? (size_t)count : left;
    std::memcpy(buffer, r->text->data() + r->at, n);
    r->at += n;
    *read = (LONG)n;
    return 0;
}

double ProcessorMilliseconds(void)
{
    FILETIME created, ended, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
    ULARGE_INTEGER k, u;
    k.LowPart = kernel.dwLowDateTime;
    k.HighPart = kernel.dwHighDateTime;
    u.LowPart = user.dwLowDateTime;
    u.HighPart = user.dwHighDateTime;
    return (double)(k.QuadPart + u.QuadPart) / 10000.0;
}

void Pump(void)
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// The child: one shape into one control; prints milliseconds of processor
// time, the growth of the peak working set and of private bytes in MB.
int RunShape(int index)
{
    const Shape &s = Shapes[index];
    std::string text = s.make(s.count);
    if (!LoadLibraryA("RICHED32.DLL"))
        return 2;
    HWND note = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP | WS_VISIBLE, 100, 100,
                                NOTE_WIDTH, NOTE_HEIGHT, nullptr, nullptr, nullptr, nullptr);
    DWORD style = s.wrap ? 0x50001544 : 0x500015C4;
    HWND edit = CreateWindowExA(WS_EX_TRANSPARENT, "RICHEDIT", "", style, 0, 0, NOTE_WIDTH,
                                NOTE_HEIGHT, note, (HMENU)1, nullptr, nullptr);
    if (!edit)
        return 3;
    if (s.wrap)
        SendMessageA(edit, EM_SETTARGETDEVICE, 0, 0);
    SendMessageA(edit, EM_LIMITTEXT, 0x7FFFFFFE, 0);
    HFONT font = CreateFontA(s.fontPixels, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0,
                             0, "MS Sans Serif");
    SendMessageA(edit, WM_SETFONT, (WPARAM)font, TRUE);
    SendMessageA(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    SendMessageA(edit, EM_AUTOURLDETECT, s.linkDetection ? TRUE : FALSE, 0);
    Pump();

    PROCESS_MEMORY_COUNTERS_EX before = {}, after = {};
    before.cb = after.cb = sizeof before;
    GetProcessMemoryInfo(GetCurrentProcess(), (PROCESS_MEMORY_COUNTERS *)&before, sizeof before);
    double start = ProcessorMilliseconds();
    Reader reader = {&text, 0};
    EDITSTREAM stream = {(DWORD_PTR)&reader, 0, ReadBlock};
    SendMessageA(edit, EM_STREAMIN, s.rich ? SF_RTF : SF_TEXT, (LPARAM)&stream);
    RedrawWindow(note, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump();
    double spent = ProcessorMilliseconds() - start;
    GetProcessMemoryInfo(GetCurrentProcess(), (PROCESS_MEMORY_COUNTERS *)&after, sizeof after);
    LRESULT length = SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0);
    std::printf("%.1f %.1f %.1f %ld %lu\n", spent,
                ((double)after.PeakWorkingSetSize - (double)before.WorkingSetSize) / 1048576.0,
                ((double)after.PrivateUsage - (double)before.PrivateUsage) / 1048576.0,
                (long)length, (unsigned long)stream.dwError);
    return 0;
}

struct Figures {
    double milliseconds, peakMegabytes, privateMegabytes;
    long length;
    unsigned long error;
};

bool RunChild(const char *program, int index, Figures *f)
{
    char command[MAX_PATH + 32];
    std::snprintf(command, sizeof command, "\"%s\" --shape %d", program, index);
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return false;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA start = {};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdOutput = writeEnd;
    start.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION child;
    bool started = CreateProcessA(nullptr, command, nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                  &start, &child) != 0;
    CloseHandle(writeEnd);
    std::string out;
    char block[256];
    DWORD got;
    while (started && ReadFile(readEnd, block, sizeof block, &got, nullptr) && got)
        out.append(block, got);
    CloseHandle(readEnd);
    if (!started)
        return false;
    WaitForSingleObject(child.hProcess, INFINITE);
    CloseHandle(child.hProcess);
    CloseHandle(child.hThread);
    return std::sscanf(out.c_str(), "%lf %lf %lf %ld %lu", &f->milliseconds, &f->peakMegabytes,
                       &f->privateMegabytes, &f->length, &f->error) == 5;
}

void Estimate(const Shape &s, const std::string &text, double *milliseconds, double *megabytes)
{
    TextLayout layout;
    if (!s.rich || CheckRichText(text.data(), text.size(), &layout) != RICH_TEXT_OK)
        MeasurePlainText(text.data(), text.size(), &layout);
    *milliseconds = (double)EstimateLayoutMicroseconds(layout, s.wrap, s.fontPixels) / 1000.0;
    *megabytes = (double)EstimateLayoutBytes(layout, s.wrap, s.fontPixels) / 1048576.0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--shape") == 0) {
        int index = std::atoi(argv[2]);
        return index >= 0 && index < SHAPE_COUNT ? RunShape(index) : 1;
    }
    const char *filter = argc > 1 ? argv[1] : "";
    char program[MAX_PATH];
    GetModuleFileNameA(nullptr, program, sizeof program);
    std::printf("%-30s %8s %9s %9s %9s %9s %9s %8s\n", "shape", "count", "bytes", "cpu ms",
                "peak MB", "priv MB", "est ms", "est MB");
    for (int i = 0; i < SHAPE_COUNT; ++i) {
        const Shape &s = Shapes[i];
        if (!std::strstr(s.name, filter))
            continue;
        std::string text = s.make(s.count);
        double estimatedMs, estimatedMb;
        Estimate(s, text, &estimatedMs, &estimatedMb);
        Figures f = {};
        if (!RunChild(program, i, &f)) {
            std::printf("%-30s %8zu %9zu   (the child failed)\n", s.name, s.count, text.size());
            continue;
        }
        std::printf("%-30s %8zu %9zu %9.1f %9.1f %9.1f %9.1f %8.1f%s\n", s.name, s.count,
                    text.size(), f.milliseconds, f.peakMegabytes, f.privateMegabytes, estimatedMs,
                    estimatedMb, f.error ? "  (stream error)" : "");
        std::fflush(stdout);
    }
    return 0;
}

#include "poke_families.h"

#include <cstdio>
#include <cstring>

#include "editing/exchange/export_record.h"
#include "exchange_fixture.h"
#include "picture_samples.h"
#include "test_support.h"

namespace {

const char *const FamilyNames[POKE_FAMILIES] = {
    "table names", "unicode",   "binary",      "long text", "records",
    "structure",   "text form", "large pokes", "executes",  "pictures",
    "tabs",        "breaks",    "digits",      "pict words", "again",
};

template <class T, size_t N> const T &Pick(std::mt19937 &random, const T (&choices)[N])
{
    return choices[random() % N];
}

std::string Tag(int n)
{
    return " n" + std::to_string(n) + " ";
}

std::string Words(size_t length, const char *word = "word ")
{
    std::string text;
    while (text.size() < length)
        text += word;
    text.resize(length);
    return text;
}

// Text whose shape costs Wine's control its time and memory: unbroken runs,
// paragraphs of words, many short lines; lengths about those the program
// takes at most, and far beyond.
std::string LongText(std::mt19937 &random, bool rich, int n)
{
    static const size_t Lengths[] = {1000, 3900, 20000, 30000, 100000, 130000, 400000, 1000000};
    size_t length = Pick(random, Lengths);
    const char *end = rich ? "\\par " : "\r\n";
    std::string body;
    switch (random() % 5) {
    case 0:
        body = std::string(length, 'a');
        break;
    case 1:
        body = Words(length);
        break;
    case 2:
        body = Words(length, rich ? "a\\par " : "a\r\n");
        break;
    case 3:
        while (body.size() < length)
            body += std::string("The quick brown fox jumps over the lazy dog.") + end;
        break;
    default:
        while (body.size() < length)
            body += Words(400) + end;
        break;
    }
    body += Tag(n);
    return rich ? "{\\rtf1\\fs" + std::to_string(random() % 3 ? 20 : 300) + " " + body + "}" : body;
}

ZettlyRecord CampaignRecord(std::mt19937 &random, int n)
{
    ZettlyRecord record = TitledRecord(("campaign" + Tag(n)).c_str());
    record.wordWrap = (int32_t)(random() % 2);
    return record;
}

std::string TableNames(std::mt19937 &random, int n)
{
    static const size_t Lengths[] = {31, 32, 255, 256, 1000, 1030, 1100, 1500, 5000};
    size_t length = Pick(random, Lengths);
    std::string name;
    switch (random() % 3) {
    case 0:
        name = std::string(length, 'N');
        break;
    case 1: // cut by a control word, which the reader copies across
        name = std::string(length / 2, 'N') + "\\b " + std::string(length - length / 2, 'N');
        break;
    default:
        for (size_t i = 0; i < length; ++i)
            name += "\\'4e";
        break;
    }
    switch (random() % 5) {
    case 0:
        return "{\\rtf1{\\fonttbl{\\f0\\fswiss " + name + ";}}\\f0" + Tag(n) + "}";
    case 1:
        return "{\\rtf1{\\fonttbl{\\f0{\\*\\falt " + name + "}Arial;}}\\f0" + Tag(n) + "}";
    case 2:
        return "{\\rtf1{\\stylesheet{\\s1 " + name + ";}}" + Tag(n) + "}";
    case 3:
        return "{\\rtf1{\\colortbl;" + name + ";}" + Tag(n) + "}";
    default:
        return "{\\rtf1{\\*\\listtable{\\list{\\listname " + name + ";}}}" + Tag(n) + "}";
    }
}

std::string Unicode(std::mt19937 &random, int n)
{
    long long value;
    switch (random() % 3) {
    case 0: // the values the control turns into NUL
        value = (long long)((int)(random() % 65536) - 32768) * 65536;
        break;
    case 1:
        value = (long long)(int32_t)random();
        break;
    default:
        value = (long long)(random() % 10000000000ull);
        break;
    }
    return "{\\rtf1 a\\u" + std::to_string(value) + "?b\\u" + std::to_string(random() % 70000) +
           "?" + Tag(n) + "}";
}

std::string Binary(std::mt19937 &random, int n)
{
    static const size_t Sizes[] = {1, 100, 10000, 300000, 1000000};
    size_t size = Pick(random, Sizes);
    std::string data(size, 'z');
    if (random() % 2)
        data[random() % size] = 0;
    std::string bin = "\\bin" + std::to_string(size) + " " + data;
    return random() % 2 ? "{\\rtf1 x" + bin + Tag(n) + "}"
                        : "{\\rtf1{\\pict\\wmetafile8" + bin + "}" + Tag(n) + "}";
}

ZettlyRecord HostileRecord(std::mt19937 &random, int n)
{
    ZettlyRecord record = CampaignRecord(random, n);
    static const int32_t Places[] = {-32767, -5000, 0, 600, 30000, 32767};
    record.windowRect.left = Pick(random, Places);
    record.windowRect.top = Pick(random, Places);
    record.windowRect.right = record.windowRect.left + Pick(random, Places);
    record.windowRect.bottom = record.windowRect.top + Pick(random, Places);
    static const int32_t Heights[] = {-65536, -2730, 192, 500, 2730, 65535, 0x7FFFFFFF};
    record.titleFont.lfHeight = Pick(random, Heights);
    record.editFont.lfHeight = Pick(random, Heights);
    static const char ControlBytes[] = {'\x1b', '\x7f', '\x80', '\x9b', '\xff', '\a', '\r'};
    for (int i = 0; i < 20; ++i)
        record.title[i] = Pick(random, ControlBytes);
    record.consoleMode = (int32_t)(random() % 2);
    record.showCommand = (int32_t)(random() % 12);
    record.rolledUp = (int32_t)(random() % 2);
    return record;
}

std::string MutatedRecord(std::mt19937 &random, int n)
{
    std::string bytes = ExportBytes(HostileRecord(random, n), "{\\rtf1 {\\b bold}" + Tag(n) + "}");
    int flips = 1 + (int)(random() % 16);
    for (int f = 0; f < flips; ++f)
        bytes[ZETTLY_EXPORT_HEADER_BYTES + random() % ZETTLY_RECORD_BYTES] = (char)random();
    static const char *const Headers[] = {"ZettlyExport V1.5", "ZettlyExport V1.6",
                                          "ZettlyExport V1.7"};
    if (random() % 4 == 0)
        bytes.replace(0, 17, Pick(random, Headers));
    if (random() % 8 == 0)
        bytes.resize(random() % bytes.size());
    return bytes;
}

std::string Structure(std::mt19937 &random, int n)
{
    size_t count = 10 + random() % 50000;
    switch (random() % 6) {
    case 0:
        return "{\\rtf1 " + std::string(count, '{') + Tag(n) + std::string(count, '}') + "}";
    case 1:
        return "{\\rtf1 " + std::string(count, '{') + Tag(n);
    case 2:
        return "{\\rtf1 \\" + std::string(count % 3000 + 20, 'w') + Tag(n) + "}";
    case 3:
        return "{\\rtf1 \\fs" + std::string(count % 3000 + 5, '7') + Tag(n) + "}";
    case 4:
        return "{\\rtf1{\\fonttbl{\\f0{\\f1 A;}}{\\f2 B}}\\f2" + Tag(n) + "}";
    default:
        return "{\\rtf1 \\bin40 " + std::string(40, '{') + Tag(n) + "\\bin40 " +
               std::string(40, '}') + "}";
    }
}

std::string TextForm(std::mt19937 &random, int n)
{
    std::string title;
    size_t length = random() % 2 ? 20 : 1000;
    for (size_t i = 0; i < length; ++i)
        title += (char)(random() % 2 ? 0x80 + random() % 128 : random() % 32 + 1);
    for (char &c : title)
        if (c == '\n')
            c = 'x';
    return "DDEZettlyExport\r\n" + title + "\n" + LongText(random, false, n);
}

std::string LargePoke(std::mt19937 &random, int n)
{
    // Just past the text limit, and past what Wine's DDE delivers (2 MB).
    static const size_t Sizes[] = {(1 << 20) + 1000, 1500000, 2100000, 4 << 20};
    size_t size = Pick(random, Sizes);
    std::string text = Tag(n) + std::string(size, random() % 2 ? 'a' : ' ');
    return random() % 2 ? ExportBytes(CampaignRecord(random, n), text) : text;
}

std::string PictureGroup(const char *form, const PictureBytes &data)
{
    return std::string("{\\pict") + form + "\\picw2540\\pich2540\\picwgoal1440\\pichgoal1440\r\n" +
           HexLines(data) + "}";
}

// Pictures the drawing library or the control's writer cannot take, among
// sound ones; the text after them must reach the saved note.
std::string Pictures(std::mt19937 &random, int n)
{
    PictureBytes cut = QuadrantDib();
    cut.resize(cut.size() - 1 - random() % 8);
    PictureBytes giant = Dib(30000, 30000, 1, {0, 0, 0, 0, 255, 255, 255, 0}, PictureBytes(64, 0));
    PictureBytes text = Emf({EmfText(2, 76 + 4 * (uint32_t)(random() % 64), 80)});
    PictureBytes selected = Emf({EmfRecord(37, {(uint32_t)random() % 64 + 4})});
    PictureBytes mutated = SquaresWmf();
    for (int i = 0; i < 4; ++i)
        mutated[18 + random() % (mutated.size() - 18)] = (uint8_t)random();
    const std::string groups[] = {
        PictureGroup("\\wmetafile8", LyingPolyPolygonWmf()),
        PictureGroup("\\wmetafile8", Wmf().Record(0x0324, {30000, 0, 0, 5, 5}).End()),
        PictureGroup("\\wmetafile8", mutated),
        PictureGroup("\\wmetafile8", SquaresWmf()),
        PictureGroup("\\emfblip", text),
        PictureGroup("\\emfblip", selected),
        PictureGroup("\\dibitmap0", QuadrantDib()),
        PictureGroup("\\dibitmap0", cut),
        PictureGroup("\\dibitmap0", giant),
        PictureGroup("\\wbitmap0\\wbmbitspixel1\\wbmplanes1\\wbmwidthbytes2", PictureBytes(8, 0x5A)),
        PictureGroup("\\pngblip", PictureBytes(64, 0x89)),
    };
    std::string pictures;
    int count = random() % 4 ? 1 : 1 + (int)(random() % 40);
    for (int i = 0; i < count; ++i)
        pictures += Pick(random, groups);
    return "{\\rtf1 before " + pictures + " after" + Tag(n) + "\\par}";
}

std::string Tabs(std::mt19937 &random, int n)
{
    static const char *const Words[] = {"\\tx", "\\tqr\\tx", "\\tqc\\tx", "\\tb", "\\li", "\\ri", "\\fi"};
    static const long long Values[] = {-1, -720, -32768, -2147483647LL, 0, 31680, 32767, 99999, 2147483647LL};
    std::string words;
    int count = 1 + (int)(random() % (random() % 4 ? 3 : 2000));
    for (int i = 0; i < count; ++i)
        words += std::string(Pick(random, Words)) + std::to_string(Pick(random, Values));
    return "{\\rtf1\\pard" + words + " a\\tab b" + Tag(n) + "\\par c\\par}";
}

std::string Breaks(std::mt19937 &random, int n)
{
    static const char *const Words[] = {"\\page ", "\\sect ", "\\page", "\\sect\\sbkpage ", "\\line "};
    static const size_t Counts[] = {10, 1000, 30000, 100000, 200000};
    std::string word = Pick(random, Words);
    size_t count = Pick(random, Counts);
    std::string body;
    for (size_t i = 0; i < count && body.size() < 1100000; ++i)
        body += word + (random() % 2 ? "" : "x");
    return "{\\rtf1 " + body + Tag(n) + "}";
}

std::string Digits(std::mt19937 &random, int n, bool *rich)
{
    static const size_t Lengths[] = {1000, 25000, 50000, 100000, 500000};
    static const char *const Runs[] = {"9", "a9", "9 ", "1.", "99a"};
    size_t length = Pick(random, Lengths);
    const char *run = Pick(random, Runs);
    std::string body;
    while (body.size() < length)
        body += run;
    *rich = random() % 2 == 0;
    return *rich ? "{\\rtf1 " + body + Tag(n) + "}" : body + Tag(n);
}

// Control words cut into a picture's data, where the control's reader
// treats each as formatting of the text it has not got.
std::string PictureWords(std::mt19937 &random, int n)
{
    std::string hex = HexLines(SquaresWmf());
    static const char *const Words[] = {"\\fs65535 ", "\\b ", "\\par ", "{\\*\\x y}", "\\'41", "\\bin4 zzzz"};
    const char *word = Pick(random, Words);
    size_t every = 1 + random() % 16;
    std::string data;
    for (size_t i = 0; i < hex.size(); ++i) {
        data += hex[i];
        if (i % every == 0)
            data += word;
    }
    std::string group = std::string("{\\pict") + (random() % 2 ? "\\emfblip" : "\\wmetafile8") + " " + data + "}";
    std::string text;
    int copies = random() % 3 ? 1 : 100;
    for (int i = 0; i < copies; ++i)
        text += group;
    return "{\\rtf1 " + text + " after" + Tag(n) + "\\par}";
}

std::string FilePath(const std::string &folder, const char *name)
{
    return folder + "\\" + name;
}

} // namespace

const char *PokeFamilyName(int family)
{
    return family >= 0 && family < POKE_FAMILIES ? FamilyNames[family] : "?";
}

void MakeCampaignFiles(const std::string &folder)
{
    WriteFileBytes(FilePath(folder, "large.txt"), std::string(2 << 20, 'x'));
    WriteFileBytes(FilePath(folder, "long paragraph.exp"),
                   ExportBytes(TitledRecord("long"), "{\\rtf1 " + Words(300000) + "}"));
    WriteFileBytes(FilePath(folder, "long run.txt"), std::string(500000, 'r'));
    WriteFileBytes(FilePath(folder, "font name.exp"),
                   ExportBytes(TitledRecord("font"),
                               "{\\rtf1{\\fonttbl{\\f0 " + std::string(5000, 'N') + ";}}x}"));
    WriteFileBytes(FilePath(folder, "small.txt"), "a small note");
}

CampaignPoke MakeCampaignPoke(int n, std::mt19937 &random, const std::string &folder,
                              const std::string &previous)
{
    CampaignPoke poke = {n % POKE_FAMILIES, false, std::string()};
    // Records of every kind carry the rich and plain texts.
    auto binary = [&](const std::string &text) {
        return ExportBytes(random() % 4 ? CampaignRecord(random, n) : HostileRecord(random, n),
                           text);
    };
    // The families whose shapes are a note's rich text, in a record.
    static std::string (*const RichTexts[POKE_FAMILIES])(std::mt19937 &, int) = {
        TableNames, Unicode, Binary, nullptr, nullptr, Structure, nullptr, nullptr, nullptr,
        Pictures, Tabs, Breaks, nullptr, PictureWords, nullptr};
    static_assert(FAMILY_PICTURE_WORDS == 13 && POKE_FAMILIES == 15, "a text maker for each family");
    if (RichTexts[poke.family]) {
        poke.data = binary(RichTexts[poke.family](random, n));
        return poke;
    }
    switch (poke.family) {
    case FAMILY_LONG_TEXT:
        poke.data = binary(LongText(random, random() % 2 == 0, n));
        break;
    case FAMILY_RECORDS:
        poke.data = random() % 2 ? MutatedRecord(random, n)
                                 : ExportBytes(HostileRecord(random, n), "plain" + Tag(n));
        break;
    case FAMILY_TEXT_FORM:
        poke.data = TextForm(random, n);
        break;
    case FAMILY_LARGE_POKES:
        poke.data = LargePoke(random, n);
        break;
    case FAMILY_EXECUTES: {
        static const char *const Paths[] = {"\\\\?\\C:\\windows\\win.ini",
                                            "\\\\.\\pipe\\zettlies",
                                            "\\\\.\\C:",
                                            "CON",
                                            "COM1",
                                            "C:\\x\\nul.txt",
                                            "large.txt",
                                            "long paragraph.exp",
                                            "long run.txt",
                                            "font name.exp",
                                            "small.txt",
                                            "missing.txt"};
        std::string path = Pick(random, Paths);
        if (path.find('\\') == std::string::npos && path != "CON" && path != "COM1")
            path = FilePath(folder, path.c_str());
        poke.execute = true;
        poke.data = path + std::string(1, '\0');
        break;
    }
    case FAMILY_DIGITS: {
        bool rich = false;
        std::string text = Digits(random, n, &rich);
        // Plain digits come in a poke's text form too.
        poke.data = rich || random() % 2 ? binary(text) : "DDEZettlyExport\r\ndigits" + Tag(n) + "\n" + text;
        break;
    }
    default:
        poke.data = previous.empty() ? binary("first" + Tag(n)) : previous;
        break;
    }
    return poke;
}

// An attacker on the same desktop pokes records at the running program: the
// hostile shapes that once downed it, mutations of valid records of every
// version, pokes past the last free slot and pokes while its box is open, and
// a campaign of every family of hostile note (ZT_POKE_BUDGET pokes; a few
// dozen unless set).
#include <gtest/gtest.h>

#include <windows.h>

#include <ddeml.h>
#include <psapi.h>

#include <atomic>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <thread>

#include "core/core_ids.h"
#include "core/notes_table/notes_file_format.h"
#include "editing/exchange/dde_poke.h"
#include "editing/exchange/exchange_ids.h"
#include "editing/exchange/exchange_text.h"
#include "editing/exchange/export_record.h"
#include "editing/exchange/outside_text.h"
#include "exchange_fixture.h"
#include "poke_families.h"
#include "test_support.h"

namespace {

const std::string Program = WindowsPath(ZETTLIES_EXE);

HDDEDATA CALLBACK ClientCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR)
{
    return nullptr;
}

struct WindowCount {
    int notes, hidden;
};

// A DDE client in this process; the program answers from its own.
class Poker {
public:
    Poker()
    {
        if (DdeInitializeA(&instance, ClientCallback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR)
            return;
        service = DdeCreateStringHandleA(instance, DDE_SERVICE_NAME, CP_WINANSI);
        topic = DdeCreateStringHandleA(instance, DDE_TOPIC_NAME, CP_WINANSI);
        item = DdeCreateStringHandleA(instance, DDE_ITEM_NAME, CP_WINANSI);
        format = RegisterClipboardFormatA(ZETTLY_CLIPBOARD_FORMAT);
    }
    ~Poker()
    {
        if (conversation)
            DdeDisconnect(conversation);
        DdeFreeStringHandle(instance, service);
        DdeFreeStringHandle(instance, topic);
        DdeFreeStringHandle(instance, item);
        DdeUninitialize(instance);
    }
    bool Connect(DWORD timeoutMs)
    {
        return PumpUntil(
            [&] { return (conversation = DdeConnect(instance, service, topic, nullptr)) != nullptr; },
            timeoutMs);
    }
    // The acknowledgement flags; *elapsed the time the answer took.
    DWORD Poke(const std::string &data, DWORD *elapsed)
    {
        return Transact(XTYP_POKE, data, elapsed);
    }
    DWORD Execute(const std::string &path, DWORD *elapsed)
    {
        return Transact(XTYP_EXECUTE, path, elapsed);
    }
    void Disconnect()
    {
        if (conversation)
            DdeDisconnect(conversation);
        conversation = nullptr;
    }

  private:
    DWORD Transact(UINT type, const std::string &data, DWORD *elapsed)
    {
        DWORD flags = 0, start = GetTickCount();
        bool poke = type == XTYP_POKE;
        // Wine's DDE never delivers 2 MB or more: no need to wait long for
        // the answer that cannot come.
        DWORD timeout = data.size() >= (2u << 20) ? ScaledWait(2000) : ScaledWait(10000);
        DdeClientTransaction((LPBYTE)data.data(), (DWORD)data.size(), conversation,
                             poke ? item : nullptr, poke ? format : 0, type, timeout, &flags);
        *elapsed = GetTickCount() - start;
        return flags;
    }

    DWORD instance = 0;
    HSZ service = nullptr, topic = nullptr, item = nullptr;
    HCONV conversation = nullptr;
    UINT format = 0;
};

class PokeCampaign : public ::testing::Test {
protected:
    ScopedTempFolder data;
    ChildProgram *program = nullptr;
    Poker poker;
    // Answers beyond this are a program stuck in the transaction (a sender
    // waits many seconds for a hung one); emulation of the 32-bit program and
    // a busy machine stretch every step, so the second a note costs is
    // measured by the long campaign's figures, not asserted here.
    DWORD answerLimit = ScaledWait(5000);
    DWORD slowest = 0;

    void SetUp() override
    {
        // A copy left by a cut-off case would take the pokes, and this one
        // would hand over to it and exit.
        ASSERT_EQ(FindWindowA("Zettlies", nullptr), nullptr) << "another copy is running";
        StartProgram();
    }
    void TearDown() override { QuitProgram(); }
    void StartProgram()
    {
        program = new ChildProgram(Program, "", {"APPDATA=" + data.Path()});
        ASSERT_TRUE(program->Started());
        ASSERT_TRUE(poker.Connect(ScaledWait(20000)));
    }
    // True when the program quit by itself within the time.
    bool QuitProgram()
    {
        if (!program)
            return false;
        poker.Disconnect();
        DismissBoxes();
        HWND main = MainWindow();
        if (main)
            PostMessageA(main, WM_CLOSE, 0, 0);
        // Quitting saves every note it took, up to a full table: let it
        // finish rather than leave it busy for the next test's copies.
        DWORD code;
        bool quit = program->WaitForExit(ScaledWait(90000), &code);
        delete program;
        program = nullptr;
        return quit;
    }
    HWND MainWindow()
    {
        std::vector<HWND> found = TopLevelWindows("Zettlies", program->ProcessId());
        return found.empty() ? nullptr : found[0];
    }
    WindowCount Notes()
    {
        WindowCount count = {0, 0};
        for (HWND note : TopLevelWindows("Zettly Class", program->ProcessId())) {
            ++count.notes;
            if (!IsWindowVisible(note))
                ++count.hidden;
        }
        return count;
    }
    void DismissBoxes(DWORD waitMs = 500)
    {
        HWND box;
        while ((box = WaitForDialog(*program, "Out Of Array Space", waitMs)) != nullptr ||
               (box = WaitForDialog(*program, TEXT_FILE_READ_ERROR, 0)) != nullptr)
            PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    size_t MemoryInUse()
    {
        PROCESS_MEMORY_COUNTERS counters = {sizeof counters};
        if (!GetProcessMemoryInfo(program->Process(), &counters, sizeof counters))
            return 0;
        // The peaks: a font built too large is freed again once drawn.
        return counters.PeakPagefileUsage > counters.PeakWorkingSetSize ? counters.PeakPagefileUsage
                                                                         : counters.PeakWorkingSetSize;
    }
    std::string StartedProcesses()
    {
        std::string names;
        for (const StartedProcess &child : ProcessesStartedBy(program->Process(), program->ProcessId()))
            names += child.name + " (" + std::to_string(child.id) + ") ";
        return names;
    }
    // Save Now, as the tray menu's item runs it; false when it failed (its
    // box came up, and is answered here) or never ended.
    bool SaveNow()
    {
        HWND main = MainWindow();
        if (!main)
            return false;
        std::atomic<bool> done(false);
        BOOL answered = FALSE;
        std::thread saver([&] {
            DWORD_PTR result = 0;
            answered = SendMessageTimeoutA(main, WM_COMMAND, CMD_SAVE_NOW, 0, SMTO_NORMAL,
                                           ScaledWait(120000), &result) != 0;
            done = true;
        });
        bool failed = false;
        while (!done) {
            HWND box = WaitForDialog(*program, "I/O Error", 100);
            if (box) {
                failed = true;
                PostMessageA(box, WM_COMMAND, IDOK, 0);
            }
        }
        saver.join();
        return answered && !failed;
    }
    // Pokes once; a note must appear exactly when the poke was acknowledged,
    // unless the same block was taken before (then it is taken once).
    std::set<std::string> taken;
    DWORD PokeAndCount(const std::string &bytes, const char *what)
    {
        int before = Notes().notes;
        DWORD elapsed = 0;
        DWORD flags = poker.Poke(bytes, &elapsed);
        slowest = elapsed > slowest ? elapsed : slowest;
        EXPECT_LE(elapsed, answerLimit) << what;
        bool again = taken.count(bytes) != 0;
        int added = Notes().notes - before;
        if ((flags & DDE_FACK) && again)
            EXPECT_LE(added, 1) << what;
        else
            EXPECT_EQ(added, (flags & DDE_FACK) ? 1 : 0) << what;
        if (flags & DDE_FACK)
            taken.insert(bytes);
        return flags;
    }
};

std::string VersionedPoke(int version, const ZettlyRecord &record, const std::string &text)
{
    static const char *const headers[] = {"ZettlyExport V1.5", "ZettlyExport V1.6",
                                          "ZettlyExport V1.7", "ZettlyExport V1.8"};
    std::string bytes = ExportBytes(record, text);
    // The older layouts are shorter; their exact fields matter less here
    // than that every length and header is tried.
    bytes.replace(0, 17, headers[version]);
    bytes.erase(ZETTLY_EXPORT_HEADER_BYTES + ExportRecordBytes(version),
                ZETTLY_RECORD_BYTES - ExportRecordBytes(version));
    return bytes;
}

} // namespace

TEST_F(PokeCampaign, HostilePokesNeitherDownNorHangTheProgram)
{
    struct Shape {
        const char *what;
        std::string text;
    };
    // Rich text the control's reader cannot take reaches it only as our own
    // writer wrote it again, and arrives.
    const Shape rewritten[] = {
        {"10,000 unclosed groups", "{\\rtf1 " + std::string(10000, '{') + "x"},
        {"50,000 nested groups",
         "{\\rtf1 " + std::string(50000, '{') + "x" + std::string(50000, '}') + "}"},
        {"a font table nested past any real one",
         "{\\rtf1{\\fonttbl{\\f0{\\f1 A;}}{\\f2 " + std::string(40, '{') + "}}\\f2 x}"},
        {"a long control word", "{\\rtf1 \\" + std::string(3000, 'a') + " x}"},
        {"a long number", "{\\rtf1 \\fs" + std::string(3000, '7') + " x}"},
        // Balanced as counted, but Wine's control reads past the table's
        // braces (losing the rest, or into 40 nested groups) or parses the
        // bytes behind \\bin.
        {"fonts nested in fonts", "{\\rtf1{\\fonttbl{\\f0{\\f1 A;}}{\\f2 B}}\\f2 x}"},
        {"a font outside its entry", "{\\rtf1{\\fonttbl\\f1 }}" + std::string(40, '{') + "x"},
        {"groups behind \\bin",
         "{\\rtf1 \\bin40 " + std::string(40, '{') + "x\\bin40 " + std::string(40, '}') + "}"},
    };
    for (const Shape &shape : rewritten) {
        DWORD flags = PokeAndCount(ExportBytes(TitledRecord(shape.what), shape.text), shape.what);
        EXPECT_NE(flags & DDE_FACK, 0u) << shape.what;
    }
    const Shape taken[] = {
        {"a destination", "{\\rtf1 {\\*\\dest {\\*\\x y}} z}"},
        {"plain text", "just words"},
    };
    for (const Shape &shape : taken)
        EXPECT_NE(PokeAndCount(ExportBytes(TitledRecord(shape.what), shape.text), shape.what) & DDE_FACK, 0u);

    ZettlyRecord giant = TitledRecord("giant title");
    giant.titleFont.lfHeight = 65535;
    giant.editFont.lfHeight = -65535;
    PokeAndCount(ExportBytes(giant, "big"), "title font 65535 high");
    giant.titleFont.lfHeight = 65536;
    PokeAndCount(VersionedPoke(EXPORT_V17, giant, "big"), "title font 65536 high, older record");

    ZettlyRecord console = TitledRecord("console");
    console.consoleMode = 1;
    console.showCommand = 0;
    std::strcpy(console.title, "tab\there\x1b[31m");
    EXPECT_NE(PokeAndCount(ExportBytes(console, "dir"), "console, hidden") & DDE_FACK, 0u);

    EXPECT_TRUE(program->Running());
    EXPECT_EQ(Notes().hidden, 0) << "a note from outside never arrives hidden";
    EXPECT_EQ(StartedProcesses(), "") << "a note from outside started a program";
    EXPECT_LT(MemoryInUse(), (size_t)200 << 20);
}

TEST_F(PokeCampaign, LongRunsBinaryDataAndUndeliverablePokesCostASecondAtMost)
{
    // A wrapped note of 100,000 unbroken letters once took the control 15 s
    // and more than a gigabyte; plain, it arrives unwrapped, rich it is refused.
    ZettlyRecord wrapped = TitledRecord("unbroken");
    wrapped.wordWrap = 1;
    std::string run(100000, 'a');
    EXPECT_NE(PokeAndCount(ExportBytes(wrapped, run), "plain run") & DDE_FACK, 0u);
    EXPECT_EQ(PokeAndCount(ExportBytes(wrapped, "{\\rtf1 " + run + "}"), "rich run") & DDE_FACK, 0u);
    // 1 MB behind \bin once cost the control gigabytes; outside a picture the
    // bytes are no text, and the note arrives without them.
    std::string megabyte(1000000, 'z');
    EXPECT_NE(PokeAndCount(ExportBytes(wrapped, "{\\rtf1 x\\bin1000000 " + megabyte + "}"),
                           "1 MB behind \\bin") &
                  DDE_FACK,
              0u);

    // Wine's DDE cannot carry these: the program's GetMessage fails instead.
    for (size_t size : {(size_t)2 << 20, (size_t)10 << 20}) {
        DWORD elapsed = 0;
        EXPECT_EQ(poker.Poke(std::string(size, 'b'), &elapsed) & DDE_FACK, 0u) << size;
        ASSERT_TRUE(program->Running()) << size << " bytes ended the program";
    }
    DWORD_PTR answer = 0;
    EXPECT_TRUE(SendMessageTimeoutA(MainWindow(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG,
                                    ScaledWait(2000), &answer));
    EXPECT_NE(PokeAndCount(ExportBytes(TitledRecord("after"), "after"), "after") & DDE_FACK, 0u);
    EXPECT_LT(MemoryInUse(), (size_t)200 << 20);
}

TEST_F(PokeCampaign, MutationsAndPokesPastTheLastSlotAreAnsweredAtOnce)
{
    if (sizeof(void *) == 4)
        GTEST_SKIP() << "filling every slot under emulation takes many minutes; the x86_64 "
                        "build of the same code runs it";
    std::mt19937 random(20261209);
    const std::string texts[] = {"{\\rtf1 {\\b bold} text\\par}", "plain", "",
                                 "{\\rtf1 " + std::string(40, '{')};
    const int mutations = 240;
    for (int i = 0; i < mutations; ++i) {
        int version = (int)(random() % 4);
        std::string bytes = VersionedPoke(version, TitledRecord("mutant"), texts[random() % 4]);
        int flips = 1 + (int)(random() % 8);
        for (int f = 0; f < flips; ++f) {
            // Mostly the record, now and then the header or the length.
            size_t at = random() % 8 ? ZETTLY_EXPORT_HEADER_BYTES + random() % ExportRecordBytes(version)
                                     : random() % bytes.size();
            bytes[at] = (char)random();
        }
        if (random() % 10 == 0)
            bytes.resize(random() % bytes.size());
        PokeAndCount(bytes, "mutation");
    }
    ASSERT_TRUE(program->Running());

    // Fill every slot, then poke on: each further poke is refused at once
    // while the one box about it stands open. Each filler is a note of its
    // own: the same block twice in a row is taken once.
    auto filler = [](int i) {
        return ExportBytes(TitledRecord(("filler " + std::to_string(i)).c_str()), "x");
    };
    int refused = 0, fillers = 0;
    for (; fillers < 300 && refused < 5; ++fillers) {
        if (!(PokeAndCount(filler(fillers), "filling") & DDE_FACK))
            ++refused;
    }
    EXPECT_EQ(refused, 5);
    EXPECT_EQ(Notes().notes, ZETTLY_LAST_NEW_SLOT + 1);
    EXPECT_NE(WaitForDialog("Out Of Array Space", ScaledWait(5000)), nullptr);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(PokeAndCount(filler(fillers + i), "while the box is open") & DDE_FACK, 0u);

    DWORD_PTR answer = 0;
    EXPECT_TRUE(SendMessageTimeoutA(MainWindow(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG,
                                    ScaledWait(2000), &answer));
    EXPECT_LT(MemoryInUse(), (size_t)200 << 20);
    std::printf("slowest answer %lu ms\n", (unsigned long)slowest);
}

namespace {

int EnvironmentNumber(const char *name, int fallback)
{
    char value[16] = {};
    DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    int parsed = length > 0 && length < sizeof value ? atoi(value) : 0;
    return parsed > 0 ? parsed : fallback;
}

const char *const NotesFiles[] = {"zettly.rec", "zettly.str", "zettly_chklist.str", "zettly.ok"};

// What a quit left in the notes files: each note's title and rich text.
struct SavedNotes {
    int records = 0, damaged = 0, garbage = 0, shapeDamaged = 0;
    std::string shapeExample; // the first text damaged by its shape, printable
    std::map<std::string, std::string> textOfTitle;
    std::vector<std::string> texts;
};

SavedNotes ReadSavedNotes(const std::string &folder)
{
    SavedNotes saved;
    std::string records = ReadFileBytes(folder + "\\zettly.rec");
    std::string texts = ReadFileBytes(folder + "\\zettly.str");
    ByteReader reader = {(const uint8_t *)records.data(), records.size(), 0};
    RecordFileHead head;
    if (ReadRecordFileHead(&reader, &head) != 0)
        return saved;
    // Read as the program's own load reads: each text tied to its record.
    std::vector<TextStamp> stamps;
    long stored = ReadTextStamps((const uint8_t *)records.data(), records.size(), &stamps);
    std::vector<NoteText> split;
    saved.garbage = SplitRichNoteTexts((const uint8_t *)texts.data(), texts.size(), &split,
                                       stored, stamps.data());
    // A text whose stamp no longer matches is read by its shape alone: every
    // text the program writes must read whole that way too.
    std::vector<NoteText> shape;
    SplitRichNoteTexts((const uint8_t *)texts.data(), texts.size(), &shape);
    for (const NoteText &t : shape) {
        if (!t.damaged || ++saved.shapeDamaged > 1)
            continue;
        for (size_t i = 0; i < t.rtf.size() && saved.shapeExample.size() < 400; ++i) {
            unsigned char c = t.rtf[i];
            char hex[8];
            std::snprintf(hex, sizeof hex, "<%02x>", c);
            saved.shapeExample += c < 0x20 || c > 0x7e ? hex : std::string(1, (char)c);
        }
    }
    ZettlyRecord record;
    for (; ReadNextRecord(&reader, &record) == 0; ++saved.records) {
        size_t i = (size_t)saved.records;
        if (i >= split.size() || split[i].damaged) {
            ++saved.damaged;
            continue;
        }
        std::string text((const char *)split[i].rtf.data(), split[i].rtf.size());
        saved.textOfTitle[record.title] = text;
        saved.texts.push_back(text);
    }
    return saved;
}

// Whether a saved text holds the poke's tag (" n123 ") as text: a writer may
// break its lines anywhere and put a control word before it.
bool HoldsTag(const SavedNotes &saved, int n)
{
    const std::string tag = "n" + std::to_string(n);
    for (std::string text : saved.texts) {
        std::string joined;
        for (char c : text)
            if (c != '\r' && c != '\n')
                joined += c;
        for (size_t at = joined.find(tag); at != std::string::npos; at = joined.find(tag, at + 1)) {
            char before = at ? joined[at - 1] : ' ';
            char after = at + tag.size() < joined.size() ? joined[at + tag.size()] : ' ';
            if (!isalnum((unsigned char)before) && !isdigit((unsigned char)after))
                return true;
        }
    }
    return false;
}

// The tag of poke n when the text the program takes from it holds it whole.
bool CarriesTag(const CampaignPoke &poke, int n)
{
    if (poke.execute)
        return false;
    ZettlyPoke parsed;
    ParseZettlyPoke((const uint8_t *)poke.data.data(), poke.data.size(), &parsed);
    if (parsed.form == POKE_REFUSED || !parsed.text)
        return false;
    std::string text((const char *)parsed.text, parsed.textBytes);
    size_t at = text.find(" n" + std::to_string(n) + " ");
    if (at == std::string::npos || text.find('\0') < at)
        return false;
    // A space right after a control word only ends the word, and one after
    // a backslash is a control symbol: the tag then runs into what stood
    // before it ("a\\pa n5 " and "a\\ n5 " are the text "an5").
    size_t slashes = 0;
    while (slashes < at && text[at - 1 - slashes] == '\\')
        ++slashes;
    if (slashes % 2)
        return false;
    size_t i = at;
    while (i > 0 && (isdigit((unsigned char)text[i - 1]) || text[i - 1] == '-'))
        --i;
    size_t letters = i;
    while (i > 0 && isalpha((unsigned char)text[i - 1]))
        --i;
    return !(i < letters && i > 0 && text[i - 1] == '\\');
}

struct FamilyFigures {
    int pokes = 0, taken = 0;
    DWORD slowest = 0;
    unsigned long long total = 0;
};

bool Undeliverable(const CampaignPoke &poke)
{
    // Wine's DDE cannot carry 2 MB or more: the server never sees such a
    // poke, and the sender waits for as long as it was willing to.
    return !poke.execute && poke.data.size() >= (2u << 20);
}

// Why the program refused a poke, for the figures: Wine's DDE loses the
// reason the answer carries, so the client asks the same readers.
std::string RefusalReason(const CampaignPoke &poke)
{
    if (poke.execute) {
        std::string path(poke.data.c_str());
        WIN32_FILE_ATTRIBUTE_DATA file;
        if (NamesDevice(path.c_str()))
            return "device path";
        if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &file))
            return "no such file";
        const DWORD largest = ZETTLY_EXPORT_HEADER_BYTES + ZETTLY_RECORD_BYTES + OUTSIDE_TEXT_BYTES;
        return file.nFileSizeHigh || file.nFileSizeLow > largest ? "file too large" : "file's text";
    }
    if (Undeliverable(poke))
        return "never delivered";
    ZettlyPoke parsed;
    ParseZettlyPoke((const uint8_t *)poke.data.data(), poke.data.size(), &parsed);
    if (parsed.form == POKE_REFUSED)
        return "record cut short";
    bool binary = parsed.form == POKE_BINARY;
    OutsideTextPlan plan;
    PlanOutsideText((const char *)parsed.text, parsed.textBytes, binary,
                    binary && parsed.record.wordWrap, binary ? parsed.record.editFont.lfHeight : 13,
                    &plan);
    int verdict = plan.refusal;
    if (binary && plan.richVerdict != RICH_TEXT_OK && plan.richVerdict != RICH_TEXT_NOT_RTF)
        verdict = plan.richVerdict;
    static const char *const Verdicts[] = {
        "none known",        "plain",      "too large",     "unbalanced",
        "too deep",          "long word",  "bad \\bin",     "bad escape",
        "bad table",         "long name",  "NUL character", "too costly to lay out"};
    return verdict <= 0 && -verdict < (int)(sizeof Verdicts / sizeof *Verdicts) ? Verdicts[-verdict]
                                                                               : "?";
}

} // namespace

// By hand, for a long run (each width; ZT_POKE_VERBOSE=1 prints every poke,
// ZT_POKE_SEED picks other shapes, ZT_POKE_SAVE_EVERY=N saves after every
// N-th poke instead of after each):
//   ZT_POKE_BUDGET=10000 ZT_WINE_TIMEOUT=7200 build/win64/wine-run
//     build/win64/tests/app/editing/exchange/zt_poke_campaign_tests.exe
//     --gtest_filter='*EveryFamily*'
// (one command line; the i686 build under emulation with ZT_WAIT_SCALE=5).
TEST_F(PokeCampaign, EveryFamilyOfHostileNoteLeavesTheProgramAndItsSavedNotesWhole)
{
    // The user's own notes, saved before anything hostile arrives.
    const char *const ownTexts[] = {
        "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 first {\\b own} note\\par}",
        "{\\rtf1 second own note, caf\\'e9 \\u8364?\\par}", "third own note"};
    for (int i = 0; i < 3; ++i) {
        std::string title = "own " + std::to_string(i);
        ASSERT_NE(PokeAndCount(ExportBytes(TitledRecord(title.c_str()), ownTexts[i]), "own") &
                      DDE_FACK,
                  0u);
    }
    ASSERT_TRUE(QuitProgram());
    SavedNotes own = ReadSavedNotes(data.Path());
    ASSERT_EQ(own.records, 3);
    ASSERT_EQ(own.damaged, 0);
    std::vector<std::string> pristine;
    for (const char *name : NotesFiles)
        pristine.push_back(ReadFileBytes(data.Path() + "\\" + name));
    auto restoreOwnNotes = [&] {
        for (size_t i = 0; i < pristine.size(); ++i)
            if (pristine[i] != "<missing>")
                WriteFileBytes(data.Path() + "\\" + NotesFiles[i], pristine[i]);
    };

    ScopedTempFolder files;
    MakeCampaignFiles(files.Path());
    const int budget = EnvironmentNumber("ZT_POKE_BUDGET", 2 * POKE_FAMILIES);
    const unsigned seed = (unsigned)EnvironmentNumber("ZT_POKE_SEED", 20261210);
    const bool verbose = EnvironmentNumber("ZT_POKE_VERBOSE", 0) != 0;
    std::mt19937 random(seed);
    FamilyFigures figures[POKE_FAMILIES];
    std::map<std::string, int> refusals;
    size_t peak = 0;
    int rounds = 0, roundPokes = 0, saves = 0, failedSaves = 0;
    // The pokes taken this round whose notes must be on disk after each save.
    std::vector<int> roundTags;
    const int saveEvery = EnvironmentNumber("ZT_POKE_SAVE_EVERY", 1);
    DWORD started = GetTickCount();
    std::string previous;
    // Each round ends with a quit, whose save must leave the own notes as
    // they were and every text whole.
    auto endRound = [&] {
        ASSERT_TRUE(QuitProgram()) << "the program did not quit";
        SavedNotes after = ReadSavedNotes(data.Path());
        EXPECT_EQ(after.damaged, 0);
        EXPECT_EQ(after.garbage, 0);
        EXPECT_EQ(after.shapeDamaged, 0) << after.shapeExample;
        for (const auto &note : own.textOfTitle)
            EXPECT_EQ(after.textOfTitle[note.first], note.second) << note.first << " changed";
        ++rounds;
        roundTags.clear();
    };
    // Every save succeeds, whatever was taken before, and holds every note
    // the program has: the own ones unchanged, each poke taken this round.
    auto saveAndCheck = [&](int n, const char *family) {
        ++saves;
        bool saved = SaveNow();
        failedSaves += saved ? 0 : 1;
        EXPECT_TRUE(saved) << "Save Now after poke " << n << " (" << family << ") failed";
        SavedNotes after = ReadSavedNotes(data.Path());
        EXPECT_EQ(after.records, Notes().notes) << "after poke " << n << " (" << family << ")";
        EXPECT_EQ(after.damaged, 0) << "after poke " << n;
        EXPECT_EQ(after.garbage, 0) << "after poke " << n;
        EXPECT_EQ(after.shapeDamaged, 0) << "after poke " << n << ": " << after.shapeExample;
        for (const auto &note : own.textOfTitle)
            EXPECT_EQ(after.textOfTitle[note.first], note.second) << note.first << " changed";
        for (int tag : roundTags)
            EXPECT_TRUE(HoldsTag(after, tag))
                << "the note of poke " << tag << " is not on disk after poke " << n << " (" << family << ")";
    };
    restoreOwnNotes();
    StartProgram();
    for (int n = 0; n < budget && !HasFatalFailure(); ++n) {
        // A new round before the notes taken so far fill the table or add up
        // to much of the memory bound by themselves: what is bounded is what
        // one note from outside may cost.
        if (roundPokes >= 200 || Notes().notes >= 50 || MemoryInUse() > ((size_t)120 << 20)) {
            endRound();
            restoreOwnNotes();
            StartProgram();
            roundPokes = 0;
        }
        ++roundPokes;
        CampaignPoke poke = MakeCampaignPoke(n, random, files.Path(), previous);
        FamilyFigures &f = figures[poke.family];
        const char *family = PokeFamilyName(poke.family);
        DWORD elapsed = 0;
        DWORD flags =
            poke.execute ? poker.Execute(poke.data, &elapsed) : poker.Poke(poke.data, &elapsed);
        if (!poke.execute && (flags & DDE_FACK))
            previous = poke.data;
        if ((flags & DDE_FACK) && CarriesTag(poke, n))
            roundTags.push_back(n);
        ++f.pokes;
        f.taken += (flags & DDE_FACK) ? 1 : 0;
        std::string reason = (flags & DDE_FACK) ? "" : RefusalReason(poke);
        if (!reason.empty())
            ++refusals[reason];
        if (!Undeliverable(poke)) {
            f.slowest = elapsed > f.slowest ? elapsed : f.slowest;
            f.total += elapsed;
            EXPECT_LE(elapsed, answerLimit) << "poke " << n << " (" << family << ")";
        }
        ASSERT_TRUE(program->Running()) << "poke " << n << " (" << family << ") ended the program";
        DismissBoxes(0);
        // A program that faulted inside a system library can stay alive with
        // its windows dead: every later poke and save would wait it out.
        DWORD_PTR answer = 0;
        ASSERT_TRUE(SendMessageTimeoutA(MainWindow(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG,
                                        ScaledWait(5000), &answer))
            << "the program stopped answering after poke " << n << " (" << family << ")";
        size_t memory = MemoryInUse();
        if (verbose)
            std::printf("%5d %-12s %8lu bytes %s %5lu ms %4lu MB %s\n", n, family,
                        (unsigned long)poke.data.size(), (flags & DDE_FACK) ? "taken  " : "refused",
                        (unsigned long)elapsed, (unsigned long)(memory >> 20), reason.c_str());
        peak = memory > peak ? memory : peak;
        EXPECT_LT(memory, (size_t)200 << 20) << "poke " << n << " (" << family << ")";
        if (roundPokes % saveEvery == 0)
            saveAndCheck(n, family);
    }
    if (program)
        endRound();

    std::printf("%d pokes in %d rounds, %lu s, seed %u; peak memory %lu MB; %d saves, %d failed\n",
                budget, rounds, (unsigned long)(GetTickCount() - started) / 1000, seed,
                (unsigned long)(peak >> 20), saves, failedSaves);
    std::printf("%-12s %6s %6s %8s %8s\n", "family", "pokes", "taken", "mean ms", "max ms");
    for (int i = 0; i < POKE_FAMILIES; ++i) {
        const FamilyFigures &f = figures[i];
        std::printf("%-12s %6d %6d %8lu %8lu\n", PokeFamilyName(i), f.pokes, f.taken,
                    (unsigned long)(f.pokes ? f.total / (unsigned)f.pokes : 0),
                    (unsigned long)f.slowest);
    }
    for (const auto &r : refusals)
        std::printf("refused: %-22s %6d\n", r.first.c_str(), r.second);
}

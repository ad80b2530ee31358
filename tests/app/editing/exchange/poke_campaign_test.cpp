// An attacker on the same desktop pokes records at the running program: the
// hostile shapes that once downed it, mutations of valid records of every
// version, pokes past the last free slot and pokes while its box is open.
#include <gtest/gtest.h>

#include <windows.h>

#include <ddeml.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstring>
#include <random>

#include "editing/exchange/exchange_ids.h"
#include "editing/exchange/export_record.h"
#include "exchange_fixture.h"
#include "test_support.h"

namespace {

const std::string Program = WindowsPath(ZETTLIES_EXE);

HDDEDATA CALLBACK ClientCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR)
{
    return nullptr;
}

struct WindowCount {
    DWORD process;
    int notes, hidden;
};

BOOL CALLBACK CountNoteWindow(HWND window, LPARAM param)
{
    WindowCount *count = (WindowCount *)param;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    if (owner == count->process && std::strcmp(name, "Zettly Class") == 0) {
        ++count->notes;
        if (!IsWindowVisible(window))
            ++count->hidden;
    }
    return TRUE;
}

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
        DWORD flags = 0, start = GetTickCount();
        DdeClientTransaction((LPBYTE)data.data(), (DWORD)data.size(), conversation, item, format,
                             XTYP_POKE, 10000, &flags);
        *elapsed = GetTickCount() - start;
        return flags;
    }

private:
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
    // Answers beyond this are a program stuck in the transaction; emulation
    // of the 32-bit program stretches every step.
    DWORD answerLimit = ScaledWait(1000);
    DWORD slowest = 0;

    void SetUp() override
    {
        // A copy left by a cut-off case would take the pokes, and this one
        // would hand over to it and exit.
        ASSERT_EQ(FindWindowA("Zettlies", nullptr), nullptr) << "another copy is running";
        program = new ChildProgram(Program, "", {"APPDATA=" + data.Path()});
        ASSERT_TRUE(program->Started());
        ASSERT_TRUE(poker.Connect(ScaledWait(20000)));
    }
    void TearDown() override
    {
        if (!program)
            return;
        DismissBoxes();
        HWND main = MainWindow();
        if (main)
            PostMessageA(main, WM_CLOSE, 0, 0);
        // Quitting saves every note it took, up to a full table: let it
        // finish rather than leave it busy for the next test's copies.
        DWORD code;
        program->WaitForExit(ScaledWait(90000), &code);
        delete program;
    }
    HWND MainWindow()
    {
        HWND w = nullptr;
        while ((w = FindWindowExA(nullptr, w, "Zettlies", nullptr)) != nullptr) {
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == program->ProcessId())
                return w;
        }
        return nullptr;
    }
    WindowCount Notes()
    {
        WindowCount count = {program->ProcessId(), 0, 0};
        EnumWindows(CountNoteWindow, (LPARAM)&count);
        return count;
    }
    void DismissBoxes()
    {
        HWND box;
        while ((box = WaitForDialog("Out Of Array Space", 500)) != nullptr)
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
    int ChildProcesses()
    {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        PROCESSENTRY32 entry = {sizeof entry};
        int children = 0;
        for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
            if (entry.th32ParentProcessID == program->ProcessId())
                ++children;
        CloseHandle(snapshot);
        return children;
    }
    // Pokes once; a note must appear exactly when the poke was acknowledged.
    DWORD PokeAndCount(const std::string &bytes, const char *what)
    {
        int before = Notes().notes;
        DWORD elapsed = 0;
        DWORD flags = poker.Poke(bytes, &elapsed);
        slowest = elapsed > slowest ? elapsed : slowest;
        EXPECT_LE(elapsed, answerLimit) << what;
        EXPECT_EQ(Notes().notes, before + ((flags & DDE_FACK) ? 1 : 0)) << what;
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
    // Rich text the control's reader cannot take is refused.
    const Shape refused[] = {
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
    for (const Shape &shape : refused) {
        DWORD flags = PokeAndCount(ExportBytes(TitledRecord(shape.what), shape.text), shape.what);
        EXPECT_EQ(flags & DDE_FACK, 0u) << shape.what;
    }
    // The shapes it can take arrive as notes.
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
    EXPECT_EQ(ChildProcesses(), 0) << "a note from outside started a command interpreter";
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
    // while the one box about it stands open.
    std::string small = ExportBytes(TitledRecord("filler"), "x");
    int refused = 0;
    for (int i = 0; i < 300 && refused < 5; ++i) {
        if (!(PokeAndCount(small, "filling") & DDE_FACK))
            ++refused;
    }
    EXPECT_EQ(refused, 5);
    EXPECT_EQ(Notes().notes, ZETTLY_LAST_NEW_SLOT + 1);
    EXPECT_NE(WaitForDialog("Out Of Array Space", ScaledWait(5000)), nullptr);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(PokeAndCount(small, "while the box is open") & DDE_FACK, 0u);

    DWORD_PTR answer = 0;
    EXPECT_TRUE(SendMessageTimeoutA(MainWindow(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG,
                                    ScaledWait(2000), &answer));
    EXPECT_LT(MemoryInUse(), (size_t)200 << 20);
    std::printf("slowest answer %lu ms\n", (unsigned long)slowest);
}

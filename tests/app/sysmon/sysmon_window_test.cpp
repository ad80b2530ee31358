// The load meter, the counters' failure path, the process tree and the
// processor identifier on the screen, fed with performance data and CPUID
// answers of the test's own.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <tlhelp32.h>

#include <map>
#include <string>
#include <vector>

#include "ui_seams.h"
#include "cpu_id_dialog.h"
#include "memstat_window.h"
#include "perf_block_builder.h"
#include "perf_counters.h"
#include "process_tree_dialog.h"
#include "sysmon_ids.h"
#include "sysmon_seams.h"
#include "test_support.h"

namespace {

const uint64_t SECOND = 10000000;
enum { PROCESSOR = 238, PROCESSOR_TIME = 6, DISK = 234, DISK_TIME = 200, PROCESS = 230,
       ID_PROCESS = 784, WORKING_SET = 180, PAGE_FILE = 184 };

std::string NameList(const std::vector<std::pair<int, const char *>> &names)
{
    std::string list;
    for (const auto &n : names) {
        list += std::to_string(n.first);
        list.push_back('\0');
        list += n.second;
        list.push_back('\0');
    }
    list.push_back('\0');
    return list;
}

// The machine's performance data as the test wants it.
struct FakePerfData {
    bool namesReadable = true;
    std::string counters = NameList({{PROCESSOR_TIME, "% Processor Time"},
                                     {PROCESSOR, "Processor"},
                                     {DISK, "PhysicalDisk"},
                                     {DISK_TIME, "% Disk Time"},
                                     {PROCESS, "Process"},
                                     {ID_PROCESS, "ID Process"},
                                     {WORKING_SET, "Working Set"},
                                     {PAGE_FILE, "Page File Bytes"}});
    std::map<std::string, std::vector<uint8_t>> objects; // by value name
    std::vector<uint8_t> empty;
    int queries = 0;
};
FakePerfData *Fake;

LONG Answer(const void *data, DWORD bytes, DWORD *type, BYTE *buffer, DWORD *size, DWORD kind)
{
    if (type)
        *type = kind;
    if (!buffer) {
        *size = bytes;
        return ERROR_SUCCESS;
    }
    if (*size < bytes) {
        *size = bytes;
        return ERROR_MORE_DATA;
    }
    memcpy(buffer, data, bytes);
    *size = bytes;
    return ERROR_SUCCESS;
}

LONG ReadFake(PerfSource source, const char *name, DWORD *type, BYTE *buffer, DWORD *size)
{
    std::string value = name ? name : "";
    if (source == PERF_SOURCE_PERFLIB) {
        DWORD top = 1000;
        if (!Fake->namesReadable)
            return ERROR_FILE_NOT_FOUND;
        return Answer(&top, sizeof top, type, buffer, size, REG_DWORD);
    }
    if (source == PERF_SOURCE_PERFLIB_LANGUAGE || value == "Counter 009") {
        if (!Fake->namesReadable || (source == PERF_SOURCE_PERFLIB_LANGUAGE && value != "Counters"))
            return ERROR_FILE_NOT_FOUND;
        return Answer(Fake->counters.data(), (DWORD)Fake->counters.size(), type, buffer, size,
                      REG_MULTI_SZ);
    }
    if (value == "Explain 009")
        return Answer("\0", 2, type, buffer, size, REG_MULTI_SZ);
    ++Fake->queries;
    auto it = Fake->objects.find(value);
    if (it == Fake->objects.end()) // as Wine answers: a valid block without objects
        return Answer(Fake->empty.data(), (DWORD)Fake->empty.size(), type, buffer, size, REG_BINARY);
    return Answer(it->second.data(), (DWORD)it->second.size(), type, buffer, size, REG_BINARY);
}

class SysmonWindows : public ::testing::Test {
protected:
    void SetUp() override
    {
        Fake = &fake;
        fake.empty = PerfBlockBuilder().Build({}, SECOND);
        previousReader = SetPerfValueReader(ReadFake);
    }
    void TearDown() override
    {
        SetPerfValueReader(previousReader);
        Fake = nullptr;
    }
    void FeedProcessors(uint64_t time, uint64_t idle0, uint64_t idle1, uint64_t diskTime)
    {
        PerfBlockBuilder b;
        fake.objects[std::to_string(PROCESSOR)] = b.Build(
            {{PROCESSOR,
              {{PROCESSOR_TIME, 8}},
              {{"0", {idle0}}, {"_Total", {0}}, {"1", {idle1}}}}},
            time);
        fake.objects[std::to_string(DISK)] =
            b.Build({{DISK, {{DISK_TIME, 8}}, {{"0 C:", {diskTime}}, {"_Total", {0}}}}}, time);
    }
    // The ANSI query stops at 80 characters; the wide one gives the whole tip.
    static std::string TipText(HWND tooltip, HWND target)
    {
        wchar_t text[METER_TIP_CHARS] = {};
        TTTOOLINFOW tool = {};
        tool.cbSize = sizeof tool;
        tool.hwnd = target;
        tool.uId = 0;
        tool.lpszText = text;
        SendMessageW(tooltip, TTM_GETTEXTW, METER_TIP_CHARS, (LPARAM)&tool);
        std::string out;
        for (const wchar_t *c = text; *c; ++c)
            out.push_back((char)*c);
        return out;
    }

    FakePerfData fake;
    PerfValueReader previousReader = nullptr;
    ScopedRegistryRoot registry;
};

} // namespace

TEST_F(SysmonWindows, MeterTipShowsEachLoadAndItsToolIsAddedOnce)
{
    MessageBoxRecorder boxes;
    FeedProcessors(100 * SECOND, 0, 0, 0);
    HWND meter = MemStatCreateWindow(nullptr);
    ASSERT_NE(meter, nullptr);
    EXPECT_TRUE(boxes.Boxes().empty());
    // Two ticks a second apart: processor 0 idled 0.25 s, processor 1 the whole
    // second, the disk was busy 0.6 s.
    SendMessageA(meter, WM_TIMER, MEMSTAT_TIMER, 1);
    FeedProcessors(101 * SECOND, 2500000, SECOND, 6000000);
    SendMessageA(meter, WM_TIMER, MEMSTAT_TIMER, 2);
    HWND tooltip = nullptr;
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT))
        if (GetWindow(w, GW_OWNER) == meter)
            tooltip = w;
    ASSERT_NE(tooltip, nullptr);
    std::string tip = TipText(tooltip, meter);
    EXPECT_EQ(tip.find('\t'), std::string::npos) << "a tip shows a tab as a box: " << tip;
    EXPECT_EQ(tip.find("PHYS MEM (RED) : "), 0u) << tip;
    EXPECT_NE(tip.find("%\r\nPAGE MEM (GREEN) : "), std::string::npos) << tip;
    EXPECT_NE(tip.find("%\r\nDISK LOAD(0) (PURPLE) : 60%\r\nCPU LOAD(0) (BLUE) : 75%\r\n"
                       "CPU LOAD(1) (BLUE) : 0%"),
              std::string::npos)
        << tip;
    SendMessageA(meter, WM_TIMER, MEMSTAT_TIMER, 3);
    SendMessageA(meter, WM_TIMER, MEMSTAT_TIMER, 4);
    EXPECT_EQ(SendMessageA(tooltip, TTM_GETTOOLCOUNT, 0, 0), 1);

    DestroyWindow(meter);
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(registry.Key(), MEMSTAT_REGISTRY_KEY, 0, KEY_READ, &key), ERROR_SUCCESS);
    char stored[128] = {};
    DWORD size = sizeof stored - 1;
    RegQueryValueExA(key, MEMSTAT_VALUE, nullptr, nullptr, (BYTE *)stored, &size);
    RegCloseKey(key);
    // No key before: the meter opened at 10,10, 200 by 100, with a client edge.
    EXPECT_STREQ(stored, "10 10 200 100 0 -1 -1");
}

TEST_F(SysmonWindows, WithoutCounterNamesTheMeterSaysSoAndShowsMemoryOnly)
{
    MessageBoxRecorder boxes;
    fake.namesReadable = false;
    HWND meter = MemStatCreateWindow(nullptr);
    ASSERT_NE(meter, nullptr);
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].caption, "CPU Counter Error");
    EXPECT_EQ(boxes.Boxes()[1].caption, "Disk Counter Error");
    SendMessageA(meter, WM_TIMER, MEMSTAT_TIMER, 1);
    SendMessageA(meter, WM_TIMER, MEMSTAT_TIMER, 2);
    EXPECT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(fake.queries, 0);
    DestroyWindow(meter);
}

namespace {
PerfCounterContext *ReenteredContext;
int BoxesShown;
int ReenteredResult;
int BoxDuringWhichTheTimerFires(HWND, const char *, const char *, UINT)
{
    ++BoxesShown;
    // The box's own loop lets the next tick through.
    ReenteredResult = PerfQueryCpuLoad(ReenteredContext);
    return IDOK;
}
} // namespace

TEST_F(SysmonWindows, FailedQueryShowsOneBoxAndLaterQueriesStaySilent)
{
    FeedProcessors(SECOND, 0, 0, 0);
    fake.objects[std::to_string(PROCESSOR)] = {'n', 'o', 'p', 'e'};
    PerfCounterContext *context = PerfNewContext();
    ASSERT_EQ(PerfOpenCpuCounter(context), 1);
    ASSERT_EQ(PerfOpenDiskCounter(context), 1);
    ReenteredContext = context;
    BoxesShown = 0;
    MessageBoxHook previous = SetMessageBoxHook(BoxDuringWhichTheTimerFires);
    EXPECT_EQ(PerfQueryCpuLoad(context), -1);
    EXPECT_EQ(ReenteredResult, -1);
    EXPECT_EQ(PerfQueryCpuLoad(context), -1);
    EXPECT_EQ(BoxesShown, 1);
    EXPECT_EQ(PerfQueryDiskLoad(context), 1);
    SetMessageBoxHook(previous);
    PerfCloseCpuCounter(context);
    PerfCloseDiskCounter(context);
    PerfDeleteContext(context);
}

namespace {
std::vector<uint8_t> ProcessBlock()
{
    auto process = [](const char *name, uint64_t pid) {
        return TestInstance{name, {0, 4096, 2048, pid}};
    };
    return PerfBlockBuilder().Build(
        {{PROCESS,
          {{PROCESSOR_TIME, 8}, {WORKING_SET, 4}, {PAGE_FILE, 4}, {ID_PROCESS, 4}},
          {process("Idle", 0), process("services", 4001), process("stranger", 4242),
           process("zettlies", GetCurrentProcessId()), process("_Total", 0)}}},
        SECOND);
}

std::string ItemText(HWND tree, HTREEITEM item)
{
    char text[256] = {};
    TVITEMA data = {};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = sizeof text;
    SendMessageA(tree, TVM_GETITEMA, 0, (LPARAM)&data);
    return text;
}

HTREEITEM ItemContaining(HWND tree, HTREEITEM item, const char *part)
{
    for (; item; item = TreeView_GetNextSibling(tree, item)) {
        if (ItemText(tree, item).find(part) != std::string::npos)
            return item;
        if (HTREEITEM found = ItemContaining(tree, TreeView_GetChild(tree, item), part))
            return found;
    }
    return nullptr;
}

HTREEITEM ItemContaining(HWND tree, const char *part)
{
    return ItemContaining(tree, TreeView_GetRoot(tree), part);
}

std::vector<std::string> RootTexts(HWND tree)
{
    std::vector<std::string> out;
    for (HTREEITEM item = TreeView_GetRoot(tree); item; item = TreeView_GetNextSibling(tree, item))
        out.push_back(ItemText(tree, item));
    return out;
}

} // namespace

TEST_F(SysmonWindows, ProcessTreeShowsTheSnapshotAndKillsAllButTheIdleProcessAndItself)
{
    fake.objects[std::to_string(PROCESS)] = ProcessBlock();
    MessageBoxRecorder boxes;
    std::vector<std::string> roots;
    std::string dump;
    ModalDialogAnswerer answerer([&](HWND dialog) {
        HWND tree = GetDlgItem(dialog, IDC_PT_TREE);
        roots = RootTexts(tree);
        // The idle process and this program are refused.
        TreeView_SelectItem(tree, ItemContaining(tree, "Idle"));
        SendMessageA(dialog, WM_COMMAND, IDC_PT_KILL, 0);
        TreeView_SelectItem(tree, ItemContaining(tree, "zettlies.exe"));
        SendMessageA(dialog, WM_COMMAND, IDC_PT_KILL_NODE, 0);
        // Anything else is ended at once, without a question; this one is
        // made up, so ending it fails.
        TreeView_SelectItem(tree, ItemContaining(tree, "stranger.exe"));
        SendMessageA(dialog, WM_COMMAND, IDC_PT_KILL, 0);
        SendMessageA(dialog, WM_COMMAND, IDC_PT_DUMP, 0);
        char text[4096] = {};
        GetDlgItemTextA(dialog, IDC_PT_DUMP_TEXT, text, sizeof text);
        dump = text;
        SendMessageA(dialog, WM_COMMAND, IDC_PT_QUIT, 0);
    });
    EXPECT_EQ(RunProcessTree(nullptr), 0);
    ASSERT_EQ(answerer.Count(), 1);
    // The made-up processes have no readable parent: they join "services.exe".
    ASSERT_EQ(roots.size(), 5u);
    EXPECT_EQ(roots[0].find("0%   4001  services.exe"), 0u) << roots[0];
    EXPECT_EQ(roots[roots.size() - 3], std::string(48, '_'));
    EXPECT_NE(roots[roots.size() - 2].find("Idle "), std::string::npos);
    EXPECT_NE(roots.back().find("_Total "), std::string::npos);
    ASSERT_EQ(boxes.Boxes().size(), 3u);
    EXPECT_EQ(boxes.Boxes()[0].text, "The idle process and Zettlies itself cannot be killed.");
    EXPECT_EQ(boxes.Boxes()[1].text, "The idle process and Zettlies itself cannot be killed.");
    EXPECT_EQ(boxes.Boxes()[2].text, "Failed to kill process!");
    EXPECT_NE(dump.find("-> CPU 0% : PID 4242 : PYH MEM 4k: PAGE FILE 2k : stranger.exe\r\n"),
              std::string::npos)
        << dump;
}

namespace {
int NoProcessList(SystemProcessRow *, int)
{
    return -1;
}

// The identifier of a running child of parent, 0 while there is none.
DWORD ChildOf(DWORD parent)
{
    HANDLE list = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (list == INVALID_HANDLE_VALUE)
        return 0;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    DWORD child = 0;
    for (BOOL more = Process32First(list, &entry); more && !child; more = Process32Next(list, &entry))
        if (entry.th32ParentProcessID == parent && entry.th32ProcessID != parent)
            child = entry.th32ProcessID;
    CloseHandle(list);
    return child;
}

HTREEITEM ItemOfProcess(HWND tree, HTREEITEM item, DWORD pid)
{
    for (; item; item = TreeView_GetNextSibling(tree, item)) {
        TVITEMA data = {};
        data.mask = TVIF_PARAM;
        data.hItem = item;
        SendMessageA(tree, TVM_GETITEMA, 0, (LPARAM)&data);
        if ((DWORD)data.lParam == pid)
            return item;
        if (HTREEITEM found = ItemOfProcess(tree, TreeView_GetChild(tree, item), pid))
            return found;
    }
    return nullptr;
}

bool Ended(HANDLE process)
{
    return WaitForSingleObject(process, ScaledWait(10000)) == WAIT_OBJECT_0;
}
} // namespace

// Auto refresh and its period outlast the dialog: the next opening starts
// with them, and its refresh timer runs.
TEST_F(SysmonWindows, ProcessTreeKeepsItsRefreshSettingsForTheNextOpening)
{
    fake.objects[std::to_string(PROCESS)] = ProcessBlock();
    {
        ModalDialogAnswerer answerer([&](HWND dialog) {
            HWND period = GetDlgItem(dialog, IDC_PT_PERIOD);
            SendMessageA(period, TBM_SETPOS, TRUE, 3);
            SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), (LPARAM)period);
            CheckDlgButton(dialog, IDC_PT_AUTO_REFRESH, BST_CHECKED);
            SendMessageA(dialog, WM_COMMAND, IDC_PT_AUTO_REFRESH, 0);
            SendMessageA(dialog, WM_COMMAND, IDC_PT_QUIT, 0);
        });
        RunProcessTree(nullptr);
        ASSERT_EQ(answerer.Count(), 1);
    }
    bool checked = false, timerRuns = false;
    LRESULT position = 0;
    ModalDialogAnswerer answerer([&](HWND dialog) {
        checked = IsDlgButtonChecked(dialog, IDC_PT_AUTO_REFRESH) == BST_CHECKED;
        position = SendDlgItemMessageA(dialog, IDC_PT_PERIOD, TBM_GETPOS, 0, 0);
        // Killing the timer tells whether it was running.
        timerRuns = KillTimer(dialog, PT_TIMER_REFRESH) != 0;
        CheckDlgButton(dialog, IDC_PT_AUTO_REFRESH, BST_UNCHECKED);
        SendMessageA(dialog, WM_COMMAND, IDC_PT_AUTO_REFRESH, 0);
        SendMessageA(dialog, WM_COMMAND, IDC_PT_QUIT, 0);
    });
    RunProcessTree(nullptr);
    ASSERT_EQ(answerer.Count(), 1);
    EXPECT_TRUE(checked);
    EXPECT_EQ(position, 3);
    EXPECT_TRUE(timerRuns);
}

TEST_F(SysmonWindows, ProcessTreeWithoutAnyProcessListSaysSo)
{
    fake.namesReadable = false;
    ProcessListReader previous = SetProcessListReader(NoProcessList);
    MessageBoxRecorder boxes;
    std::vector<std::string> roots;
    ModalDialogAnswerer answerer([&](HWND dialog) {
        roots = RootTexts(GetDlgItem(dialog, IDC_PT_TREE));
        SendMessageA(dialog, WM_COMMAND, IDC_PT_REFRESH, 0);
        SendMessageA(dialog, WM_CLOSE, 0, 0);
    });
    SetProcessTreeList(nullptr, 0);
    RunProcessTree(nullptr);
    SetProcessListReader(previous);
    ASSERT_EQ(answerer.Count(), 1);
    int listErrors = 0;
    for (const auto &b : boxes.Boxes())
        listErrors += b.text == "Process Error: Unable to read process list.";
    EXPECT_EQ(listErrors, 2); // one at opening, one for the refresh
    EXPECT_EQ(roots, std::vector<std::string>{std::string(48, '_')});
}

// Performance data that lists no process, as under Wine: the tree, the dump
// and both kills work from the system's process list.
TEST_F(SysmonWindows, ProcessTreeFallsBackToTheSystemProcessList)
{
    fake.namesReadable = false;
    ChildProgram parent(WindowsPath(PROCESS_SLEEPER), "parent");
    ChildProgram single(WindowsPath(PROCESS_SLEEPER), "");
    ASSERT_TRUE(parent.Started() && single.Started());
    DWORD childPid = 0;
    ASSERT_TRUE(PumpUntil([&] { return (childPid = ChildOf(parent.ProcessId())) != 0; }, ScaledWait(20000)))
        << "the sleeper started no child";
    HANDLE child = OpenProcess(SYNCHRONIZE, FALSE, childPid);
    ASSERT_NE(child, nullptr);

    MessageBoxRecorder boxes;
    bool selfListed = false, parentListed = false, childUnderParent = false;
    std::string dump;
    ModalDialogAnswerer answerer([&](HWND dialog) {
        HWND tree = GetDlgItem(dialog, IDC_PT_TREE);
        HTREEITEM root = TreeView_GetRoot(tree);
        selfListed = ItemOfProcess(tree, root, GetCurrentProcessId()) != nullptr;
        HTREEITEM parentItem = ItemOfProcess(tree, root, parent.ProcessId());
        parentListed = parentItem != nullptr;
        childUnderParent =
            parentItem && ItemOfProcess(tree, TreeView_GetChild(tree, parentItem), childPid) != nullptr;
        SendMessageA(dialog, WM_COMMAND, IDC_PT_DUMP, 0);
        char text[65536] = {};
        GetDlgItemTextA(dialog, IDC_PT_DUMP_TEXT, text, sizeof text);
        dump = text;
        if (parentItem) {
            TreeView_SelectItem(tree, parentItem);
            SendMessageA(dialog, WM_COMMAND, IDC_PT_KILL_NODE, 0);
        }
        if (HTREEITEM singleItem = ItemOfProcess(tree, TreeView_GetRoot(tree), single.ProcessId())) {
            TreeView_SelectItem(tree, singleItem);
            SendMessageA(dialog, WM_COMMAND, IDC_PT_KILL, 0);
        }
        SendMessageA(dialog, WM_COMMAND, IDC_PT_QUIT, 0);
    });
    SetProcessTreeList(nullptr, 0);
    RunProcessTree(nullptr);
    ASSERT_EQ(answerer.Count(), 1);
    EXPECT_TRUE(selfListed);
    EXPECT_TRUE(parentListed);
    EXPECT_TRUE(childUnderParent) << "the tree places a process under its parent";
    EXPECT_NE(dump.find("zt_process_sleeper.exe"), std::string::npos) << dump;
    EXPECT_EQ(dump.find("Unable to read process list"), std::string::npos) << dump;
    for (const auto &b : boxes.Boxes())
        EXPECT_EQ(b.text.find("Unable to read process list"), std::string::npos) << b.text;
    for (const auto &b : boxes.Boxes())
        EXPECT_NE(b.caption, "Kill Process") << "Kill and Kill Node ask nothing: " << b.text;
    EXPECT_TRUE(Ended(parent.Process())) << "Kill Node ends the process";
    EXPECT_TRUE(Ended(child)) << "Kill Node ends the process's children";
    EXPECT_TRUE(Ended(single.Process())) << "Kill ends the process";
    CloseHandle(child);
}

namespace {
int IntelPentiumThree(uint32_t leaf, uint32_t, CpuRegisters *out, void *)
{
    switch (leaf) {
    case 0: *out = {2, 0x756E6547, 0x6C65746E, 0x49656E69}; return 0; // "GenuineIntel"
    case 1: *out = {0x681, 0, 0, 1u << 23 | 1u << 15}; return 0;
    case 2: *out = {0x430A0601, 0, 0, 0}; return 0;
    default: return -1;
    }
}
} // namespace

TEST_F(SysmonWindows, ProcessorIdentifierFillsOneBranchPerProcessor)
{
    CpuProbe probe = {IntelPentiumThree, nullptr, nullptr, nullptr};
    SetCpuProbe(&probe);
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    size_t processors = system.dwNumberOfProcessors;
    std::vector<std::string> roots, first;
    std::string vendor, name;
    ModalDialogAnswerer answerer([&](HWND dialog) {
        HWND tree = GetDlgItem(dialog, IDC_CPU_TREE);
        PumpUntil([&] { return RootTexts(tree).size() == processors &&
                               RootTexts(tree)[0] != "Loading...  Please Wait!"; });
        roots = RootTexts(tree);
        HTREEITEM one = TreeView_GetRoot(tree);
        for (HTREEITEM c = TreeView_GetChild(tree, one); c; c = TreeView_GetNextSibling(tree, c))
            first.push_back(ItemText(tree, c));
        char text[128];
        GetDlgItemTextA(dialog, IDC_CPU_VENDOR, text, sizeof text);
        vendor = text;
        GetDlgItemTextA(dialog, IDC_CPU_NAME, text, sizeof text);
        name = text;
        SendMessageA(dialog, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(RunCpuIdDialog(nullptr), -1);
    SetCpuProbe(nullptr);
    ASSERT_EQ(roots.size(), processors);
    EXPECT_EQ(roots[0], "Processor 1");
    EXPECT_EQ(vendor, "Intel Corporation");
    EXPECT_EQ(name, "Pentium\xAE III (0.18 \xB5m) With 256 KB On-Die L2 Cache ");
    EXPECT_EQ(first, (std::vector<std::string>{
                         "Processor Name: Pentium\xAE III (0.18 \xB5m) With 256 KB On-Die L2 Cache ",
                         "Clock Frequency: -1 MHz", "On-Chip Hardware Features",
                         "Power Management Features", "Supported Features"}));
}

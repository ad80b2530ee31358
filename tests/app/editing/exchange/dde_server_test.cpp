#include <windows.h>

#include <ddeml.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "core/notes_table/rich_text_check.h"
#include "editing/exchange/dde_exchange.h"
#include "editing/exchange/exchange_ids.h"
#include "editing/exchange/export_record.h"
#include "exchange_fixture.h"
#include "test_support.h"

namespace {

struct ClientResult {
    bool connected = false;
    bool answered = false;
    DWORD flags = 0;
};

HDDEDATA CALLBACK ClientCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR)
{
    return nullptr;
}

// A client of its own thread: DDEML would deadlock a client and server that
// share one thread's message queue.
ClientResult Transact(UINT type, const std::string &data, const char *topicName = DDE_TOPIC_NAME)
{
    ClientResult result;
    std::atomic<bool> done{false};
    std::thread client([&] {
        DWORD instance = 0;
        if (DdeInitializeA(&instance, ClientCallback, APPCMD_CLIENTONLY, 0) == DMLERR_NO_ERROR) {
            HSZ service = DdeCreateStringHandleA(instance, DDE_SERVICE_NAME, CP_WINANSI);
            HSZ topic = DdeCreateStringHandleA(instance, topicName, CP_WINANSI);
            HSZ item = DdeCreateStringHandleA(instance, DDE_ITEM_NAME, CP_WINANSI);
            HCONV conversation = DdeConnect(instance, service, topic, nullptr);
            if (conversation) {
                result.connected = true;
                UINT format = RegisterClipboardFormatA(ZETTLY_CLIPBOARD_FORMAT);
                HDDEDATA answer = DdeClientTransaction(
                    (LPBYTE)data.data(), (DWORD)data.size(), conversation,
                    type == XTYP_POKE ? item : nullptr, type == XTYP_POKE ? format : 0, type,
                    5000, &result.flags);
                result.answered = answer != nullptr;
                DdeDisconnect(conversation);
            }
            DdeFreeStringHandle(instance, service);
            DdeFreeStringHandle(instance, topic);
            DdeFreeStringHandle(instance, item);
            DdeUninitialize(instance);
        }
        done = true;
    });
    PumpUntil([&] { return done.load(); }, 15000);
    client.join();
    return result;
}

class DdeServer : public NoteTableTest {
protected:
    void SetUp() override
    {
        NoteTableTest::SetUp();
        ASSERT_EQ(DdeServerStart(), 1);
    }
    void TearDown() override
    {
        DdeServerStop();
        NoteTableTest::TearDown();
    }
    int LastNote()
    {
        for (int slot = ZETTLY_LAST_NOTE_SLOT; slot >= 0; --slot)
            if (ZettlyTable[slot].window)
                return slot;
        return -1;
    }
};

std::string BinaryPoke(const char *title, const std::string &text)
{
    ZettlyRecord r = TitledRecord(title);
    r.isGroup = 1;
    return ExportBytes(r, text);
}

} // namespace

TEST_F(DdeServer, BinaryPokeBecomesAShownNoteAndIsAcknowledged)
{
    ClientResult r = Transact(XTYP_POKE, BinaryPoke("Poked", "{\\rtf1 rich {\\b words}}"));
    ASSERT_TRUE(r.connected);
    EXPECT_TRUE(r.flags & DDE_FACK);
    int slot = LastNote();
    ASSERT_GE(slot, 0);
    EXPECT_STREQ(ZettlyTable[slot].title, "Poked");
    EXPECT_EQ(ZettlyTable[slot].isGroup, 0) << "a sender's group cannot be a group here";
    EXPECT_EQ(NoteText(slot), "rich words");
    EXPECT_TRUE(IsWindowVisible(ZettlyTable[slot].window));
}

TEST_F(DdeServer, TextAndUnknownPokes)
{
    ClientResult r = Transact(XTYP_POKE, "DDEZettlyExport\r\nabc\r\nthe text");
    EXPECT_TRUE(r.flags & DDE_FACK);
    int slot = LastNote();
    ASSERT_GE(slot, 0);
    EXPECT_STREQ(ZettlyTable[slot].title, "abc ");
    EXPECT_EQ(NoteText(slot), "the text");

    Transact(XTYP_POKE, "DDEZettlyExport\r\n");
    slot = LastNote();
    EXPECT_STREQ(ZettlyTable[slot].title, "") << "the default record's title";
    EXPECT_EQ(NoteText(slot), "");

    Transact(XTYP_POKE, std::string("plain\0hidden", 12));
    slot = LastNote();
    EXPECT_STREQ(ZettlyTable[slot].title, "Unknown zettly format");
    EXPECT_EQ(NoteText(slot), "plain");
    EXPECT_EQ(CountNotes(), 3);
}

TEST_F(DdeServer, PokesThatCannotBecomeNotesAreNotProcessed)
{
    MessageBoxRecorder boxes;
    ClientResult otherTopic = Transact(XTYP_POKE, "DDEZettlyExport\r\nx\n", "ANY TOPIC");
    EXPECT_TRUE(otherTopic.connected) << "any topic of the service connects";
    EXPECT_FALSE(otherTopic.flags & DDE_FACK);

    std::string cut = BinaryPoke("Cut", "").substr(0, 18 + 500);
    EXPECT_FALSE(Transact(XTYP_POKE, cut).flags & DDE_FACK);
    EXPECT_EQ(CountNotes(), 0);

    FillAllFreeSlots();
    EXPECT_FALSE(Transact(XTYP_POKE, "words").flags & DDE_FACK);
    // The box comes after the transaction, never inside it: the sender is
    // not kept waiting on a person.
    EXPECT_TRUE(PumpUntil([&] { return !boxes.Boxes().empty(); }, ScaledWait(2000)));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, "Out Of Array Space");
    EXPECT_EQ(boxes.Boxes()[0].text, "Can't Create Any More Zettlies");
}

TEST_F(DdeServer, ExecuteImportsTheNamedFile)
{
    ScopedTempFolder folder;
    std::string path = folder.Path() + "\\executed.txt";
    ASSERT_TRUE(WriteFileBytes(path, "from a file"));
    ClientResult r = Transact(XTYP_EXECUTE, path + std::string(1, '\0'));
    EXPECT_TRUE(r.flags & DDE_FACK);
    int slot = LastNote();
    ASSERT_GE(slot, 0);
    EXPECT_EQ(NoteText(slot), "from a file");
    EXPECT_STREQ(ZettlyTable[slot].title, path.c_str());
}

TEST_F(DdeServer, ClientHandsAFileOverAndKnowsWhetherItArrived)
{
    ScopedTempFolder folder;
    std::string path = folder.Path() + "\\handed.exp";
    ASSERT_TRUE(WriteFileBytes(path, BinaryPoke("Handed", "handed text")));
    int sent = -2;
    std::atomic<bool> done{false};
    std::thread second([&] {
        sent = DdeSendFileToRunningInstance(("\"" + path + "\" ").c_str());
        done = true;
    });
    PumpUntil([&] { return done.load(); }, 15000);
    second.join();
    EXPECT_EQ(sent, 0);
    int slot = LastNote();
    ASSERT_GE(slot, 0);
    EXPECT_STREQ(ZettlyTable[slot].title, "Handed");
    EXPECT_EQ(NoteText(slot), "handed text");

    DdeServerStop();
    EXPECT_EQ(DdeSendFileToRunningInstance(path.c_str()), -1) << "no server";
    EXPECT_EQ(DdeSendFileToRunningInstance("\"\""), -1);
    ASSERT_EQ(DdeServerStart(), 1);
}

TEST_F(DdeServer, TextThatWouldDownOrStallTheProgramIsTamedOrRefusedWithItsReason)
{
    struct Case {
        const char *what;
        std::string text;
        int reason;
    };
    const Case refused[] = {
        {"a wrapped paragraph of 100,000 characters", "{\\rtf1 " + std::string(100000, 'a') + "}",
         RICH_TEXT_TOO_MUCH_LAYOUT},
        {"more than a megabyte", std::string(1100000, 'x'), RICH_TEXT_TOO_LARGE},
    };
    for (const Case &c : refused) {
        ZettlyRecord record = TitledRecord(c.what);
        record.wordWrap = 1;
        std::string block = ExportBytes(record, c.text);
        int reason = 0;
        EXPECT_EQ(InsertPokedBlock(block.data(), block.size(), &reason), -1) << c.what;
        EXPECT_EQ(reason, c.reason) << c.what;
        EXPECT_FALSE(Transact(XTYP_POKE, block).flags & DDE_FACK) << c.what;
    }
    EXPECT_EQ(CountNotes(), 0);

    // Each took Wine's reader over its return address or its own limits; the
    // note arrives without them.
    struct Tamed {
        const char *what;
        std::string text;
        const char *shown;
    } const tamed[] = {
        {"a face name of 1,100 characters",
         "{\\rtf1{\\fonttbl{\\f0 " + std::string(1100, 'N') + ";}}\\f0 x}", "x"},
        {"a NUL character", "{\\rtf1 a\\u65536?b}", "ab"},
        {"600 KB behind \\bin", "{\\rtf1 \\bin600000 " + std::string(600000, 'b') + "c}", "c"},
    };
    for (const Tamed &c : tamed) {
        int reason = 0;
        std::string block = ExportBytes(TitledRecord(c.what), c.text);
        int slot = InsertPokedBlock(block.data(), block.size(), &reason);
        EXPECT_EQ(reason, 0) << c.what;
        EXPECT_EQ(NoteText(slot), c.shown) << c.what;
    }

    // Plain text of the same length goes in whole, with word wrap off.
    std::string run(100000, 'a');
    ZettlyTable[ZETTLY_DEFAULT_SLOT].wordWrap = 1;
    EXPECT_TRUE(Transact(XTYP_POKE, "DDEZettlyExport\r\nlong\r\n" + run).flags & DDE_FACK);
    int slot = LastNote();
    ASSERT_GE(slot, 0);
    EXPECT_EQ(ZettlyTable[slot].wordWrap, 0);
    EXPECT_EQ(SendMessageA(ZettlyTable[slot].editWindow, WM_GETTEXTLENGTH, 0, 0),
              (LRESULT)run.size());
}

TEST_F(DdeServer, FarOffHugeNoteLandsOnTheScreenAtAHandleableSize)
{
    ZettlyRecord record = TitledRecord("far \x9b"
                                       "2J\xff");
    record.windowRect = {-32767, -32767, 32767, -30000};
    record.titleFont.lfHeight = 2730;
    std::string block = ExportBytes(record, "x");
    ASSERT_TRUE(Transact(XTYP_POKE, block).flags & DDE_FACK);
    int slot = LastNote();
    ASSERT_GE(slot, 0);
    RECT area, at;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    GetWindowRect(ZettlyTable[slot].window, &at);
    EXPECT_GE(at.left, area.left);
    EXPECT_GE(at.top, area.top);
    EXPECT_LE(at.right, area.right);
    EXPECT_LE(at.bottom, area.bottom);
    EXPECT_LT(std::abs(ZettlyTable[slot].titleFont.lfHeight), (area.bottom - area.top) / 4)
        << "a title strip that leaves room for the note";
    EXPECT_STREQ(ZettlyTable[slot].title, "far  2J ");
}

TEST_F(DdeServer, TheSameNotePokedAgainSoonIsTakenOnce)
{
    std::string block = ExportBytes(TitledRecord("Retried"), "retried text");
    EXPECT_TRUE(Transact(XTYP_POKE, block).flags & DDE_FACK);
    EXPECT_TRUE(Transact(XTYP_POKE, block).flags & DDE_FACK) << "the sender learns it arrived";
    EXPECT_EQ(CountNotes(), 1);
    EXPECT_TRUE(Transact(XTYP_POKE, ExportBytes(TitledRecord("Other"), "retried text")).flags &
                DDE_FACK);
    EXPECT_EQ(CountNotes(), 2);
}

TEST_F(DdeServer, ExecuteRefusesDevicesAndFilesTooLargeToBeNotes)
{
    MessageBoxRecorder boxes;
    for (const char *device :
         {"\\\\?\\C:\\windows\\win.ini", "\\\\.\\pipe\\zettlies", "CON", "C:\\x\\com1.txt"})
        EXPECT_FALSE(Transact(XTYP_EXECUTE, std::string(device) + '\0').flags & DDE_FACK) << device;
    EXPECT_TRUE(boxes.Boxes().empty()) << "nothing was opened";

    ScopedTempFolder folder;
    std::string path = folder.Path() + "\\large.txt";
    ASSERT_TRUE(WriteFileBytes(path, std::string(2 << 20, 'x')));
    EXPECT_FALSE(Transact(XTYP_EXECUTE, path + '\0').flags & DDE_FACK);
    EXPECT_EQ(CountNotes(), 0);
    EXPECT_TRUE(PumpUntil([&] { return !boxes.Boxes().empty(); }, ScaledWait(2000)));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, TEXT_FILE_TOO_LARGE);
}

TEST_F(DdeServer, ExecuteOfTheHostsSpecialFilesMakesNoNote)
{
    // Wine's Z: is the host's whole file system: these open as files there,
    // of size 0 or without end.
    MessageBoxRecorder boxes;
    size_t told = 0;
    for (const char *special : {"Z:\\dev\\zero", "Z:\\dev\\urandom", "Z:\\dev\\stdin",
                                "Z:\\proc\\self\\environ", "Z:\\proc\\self\\mem",
                                "Z:\\sys\\kernel\\mm\\transparent_hugepage\\enabled"}) {
        EXPECT_FALSE(Transact(XTYP_EXECUTE, std::string(special) + '\0').flags & DDE_FACK)
            << special;
        // Each refusal is told after its transaction.
        EXPECT_TRUE(PumpUntil([&] { return boxes.Boxes().size() > told; }, ScaledWait(2000)))
            << special;
        told = boxes.Boxes().size();
        EXPECT_EQ(boxes.Boxes().back().text, TEXT_UNABLE_TO_OPEN_FILE) << special;
    }
    EXPECT_EQ(CountNotes(), 0);
}

TEST_F(DdeServer, MinimisedOrHiddenRecordArrivesShownOnTheScreen)
{
    RECT area;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    for (int32_t show : {SW_MINIMIZE, SW_SHOWMINIMIZED, SW_HIDE, SW_SHOWMINNOACTIVE}) {
        ZettlyRecord record = TitledRecord("tucked away");
        record.showCommand = show;
        record.minimised = 1;
        record.windowRect = {-32000, -32000, -31800, -31950};
        ASSERT_TRUE(Transact(XTYP_POKE, ExportBytes(record, "x")).flags & DDE_FACK) << show;
        int slot = LastNote();
        ASSERT_GE(slot, 0);
        HWND note = ZettlyTable[slot].window;
        EXPECT_TRUE(IsWindowVisible(note)) << show;
        EXPECT_FALSE(IsIconic(note)) << show;
        RECT at;
        GetWindowRect(note, &at);
        EXPECT_GE(at.left, area.left) << show;
        EXPECT_GE(at.top, area.top) << show;
    }
}

#include "dde_exchange.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/note_window/note_window.h"
#include "dde_start.h"
#include "ui_seams.h"
#include "core/notes_table/rich_text_check.h"
#include "core/notes_table/zettly_slots.h"
#include "dde_poke.h"
#include "exchange_ids.h"
#include "exchange_text.h"
#include "export_files.h"
#include "core/note_window/window_creation.h"
#include "outside_text.h"

// A box raised while a transaction is answered would make the sender wait on
// a person, and its message loop would let the next poke in while a note is
// half made. Such boxes are shown after the transaction, from the main
// thread's loop, and a burst of refusals shows one box, not one each.
struct DeferredBoxes {
    bool answering;
    DWORD thread;
    MessageBoxHook hookBefore;
    struct {
        bool pending;
        char text[512];
        char caption[128];
        UINT type;
    } box;
};

// The program's one DDE server. Neither the DDE callback nor the message-box
// hook takes a context, so what they work on is here: the server's handles,
// the pokes it took lately and the transaction it is answering (one at a time).
static struct {
    DWORD instance;
    HSZ service, topic, item;
    // A sender whose wait for the answer ran out may send the same note again,
    // and the first one is made all the same: the same block twice in a short
    // time is taken once.
    RecentPokes recentlyTaken;
    DeferredBoxes transaction;
} Server;

int DdeServerStart(void)
{
    if (Server.instance)
        return 1;
    Server.instance = StartDde(ZettlyDdeCallback, APPCLASS_STANDARD, TEXT_DDE_FAILED_CAPTION,
                               TEXT_DDE_FAILED);
    if (!Server.instance)
        return 0;
    Server.service = DdeCreateStringHandleA(Server.instance, DDE_SERVICE_NAME, CP_WINANSI);
    Server.topic = DdeCreateStringHandleA(Server.instance, DDE_TOPIC_NAME, CP_WINANSI);
    Server.item = DdeCreateStringHandleA(Server.instance, DDE_ITEM_NAME, CP_WINANSI);
    DdeNameService(Server.instance, Server.service, nullptr, DNS_REGISTER);
    return 1;
}

void DdeServerStop(void)
{
    if (!Server.instance)
        return;
    DdeFreeStringHandle(Server.instance, Server.service);
    DdeFreeStringHandle(Server.instance, Server.topic);
    DdeFreeStringHandle(Server.instance, Server.item);
    DdeUninitialize(Server.instance);
    Server.instance = 0;
    Server.service = Server.topic = Server.item = nullptr;
}

// The data is copied out before any note is made: making one runs message
// loops, and the data handle belongs to DDEML.
static bool CopyDataHandle(HDDEDATA data, std::vector<uint8_t> *out)
{
    DWORD size = 0;
    const BYTE *bytes = data ? DdeAccessData(data, &size) : nullptr;
    if (!bytes)
        return false;
    out->assign(bytes, bytes + size);
    DdeUnaccessData(data);
    return true;
}

static void CALLBACK ShowDeferredBox(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    DeferredBoxes &t = Server.transaction;
    ZtMessageBox(nullptr, t.box.text, t.box.caption, t.box.type);
    t.box.pending = false;
}

static int DeferMessageBox(HWND owner, const char *text, const char *caption, UINT type)
{
    DeferredBoxes &t = Server.transaction;
    // Another thread's box (a save, an alarm) is none of the transaction's.
    if (GetCurrentThreadId() != t.thread)
        return t.hookBefore ? t.hookBefore(owner, text, caption, type)
                            : MessageBoxA(owner, text, caption, type);
    if (!t.box.pending) {
        lstrcpynA(t.box.text, text ? text : "", sizeof t.box.text);
        lstrcpynA(t.box.caption, caption ? caption : "", sizeof t.box.caption);
        t.box.type = type;
        t.box.pending = SetTimer(nullptr, 0, 0, ShowDeferredBox) != 0;
    }
    // Nobody was asked: a question gets the answer that changes nothing.
    switch (type & MB_TYPEMASK) {
    case MB_YESNO:
        return IDNO;
    case MB_OK:
        return IDOK;
    }
    return IDCANCEL;
}

// Runs one transaction's work with its boxes deferred. A transaction that
// arrives while a note window is being made (a box inside it runs a message
// loop) is turned away as busy rather than let in halfway.
template <class Work> static HDDEDATA AnswerTransaction(Work work)
{
    DeferredBoxes &t = Server.transaction;
    if (t.answering || ZettlyWindowBeingCreated())
        return (HDDEDATA)(UINT_PTR)DDE_FBUSY;
    t.answering = true;
    t.thread = GetCurrentThreadId();
    t.hookBefore = SetMessageBoxHook(DeferMessageBox);
    HDDEDATA answer = work();
    SetMessageBoxHook(t.hookBefore);
    t.answering = false;
    return answer;
}

static HDDEDATA Answer(WORD flags)
{
    return (HDDEDATA)(UINT_PTR)flags;
}

static HDDEDATA OnDdeExecute(HDDEDATA data)
{
    std::vector<uint8_t> command;
    if (!CopyDataHandle(data, &command))
        return Answer(DDE_FNOTPROCESSED);
    // The command is a path; it ends at its NUL or at the data's end. A path
    // into the device namespace names no file: opening a pipe, a port or a
    // volume could block or act, so such paths are never opened.
    std::string path((const char *)command.data(),
                     strnlen((const char *)command.data(), command.size()));
    if (path.empty() || path.size() >= EXCHANGE_PATH_CHARS || NamesDevice(path.c_str()))
        return Answer(DDE_FNOTPROCESSED);
    return Answer(ImportZettlyFile(path.c_str(), 0) >= 0 ? DDE_FACK : DDE_FNOTPROCESSED);
}

static HDDEDATA OnDdePoke(HSZ topic, HDDEDATA data)
{
    if (DdeCmpStringHandles(topic, Server.topic) != 0)
        return Answer(DDE_FNOTPROCESSED);
    std::vector<uint8_t> block;
    if (!CopyDataHandle(data, &block)) {
        ZtMessageBox(nullptr, TEXT_POKE_ACCESS, TEXT_POKE_ACCESS_CAPTION, MB_ICONASTERISK);
        return Answer(DDE_FNOTPROCESSED);
    }
    if (PokeTakenRecently(&Server.recentlyTaken, block.data(), block.size(), GetTickCount()))
        return Answer(DDE_FACK);
    // Text the control could not read safely or lay out in time is refused
    // here, before a note is made, with the reason in the answer's own byte:
    // shown as plain text, rich text would be a page of codes nobody sent on
    // purpose.
    int reason = 0;
    int slot = InsertPokedBlock(block.data(), block.size(), &reason);
    if (slot < 0)
        return Answer((WORD)(DDE_FNOTPROCESSED | (BYTE)-reason));
    RememberPoke(&Server.recentlyTaken, block.data(), block.size(), GetTickCount());
    return Answer(DDE_FACK);
}

HDDEDATA CALLBACK ZettlyDdeCallback(UINT type, UINT format, HCONV conversation, HSZ hsz1, HSZ hsz2,
                                    HDDEDATA data, ULONG_PTR data1, ULONG_PTR data2)
{
    // A client instance of this program has no server handles and gets 0 for all.
    if (!Server.instance)
        return nullptr;
    switch (type) {
    case XTYP_CONNECT:
        return (HDDEDATA)(UINT_PTR)(DdeCmpStringHandles(hsz2, Server.service) == 0);
    case XTYP_EXECUTE:
        return AnswerTransaction([&] { return OnDdeExecute(data); });
    case XTYP_POKE:
        return AnswerTransaction([&] { return OnDdePoke(hsz1, data); });
    }
    return nullptr;
}

static void BringToFront(int slot)
{
    if (ZettlyTable[slot].editWindow)
        SetForegroundWindow(ZettlyTable[slot].editWindow);
}

static int CreateNoteFromRecord(int slot, const ZettlyRecord &record)
{
    ZettlyTable[slot] = record;
    ZettlyTable[slot].textLength = 0;
    ZettlyTable[slot].pendingText = nullptr;
    return CreateZettlyWindow(MainWindow, slot, TRUE, TRUE);
}

// Text and unknown pokes become a copy of the default record.
static ZettlyRecord DefaultRecordTitled(const char *title)
{
    ZettlyRecord record = ZettlyTable[ZETTLY_DEFAULT_SLOT];
    SanitiseZettlyRecord(&record, ZETTLY_SANITISE_FOREIGN);
    if (title) {
        std::memset(record.title, 0, sizeof record.title);
        std::memcpy(record.title, title, strnlen(title, sizeof record.title - 1));
    }
    return record;
}

int InsertPokedBlock(const void *data, size_t size, int *reason)
{
    *reason = 0;
    int slot = FindFreeZettlySlot();
    if (slot < 0) {
        ZtMessageBox(nullptr, TEXT_NO_MORE_ZETTLIES, TEXT_OUT_OF_ARRAY_SPACE, MB_ICONHAND);
        return -1;
    }
    ZettlyPoke poke;
    ParseZettlyPoke((const uint8_t *)data, data ? size : 0, &poke);
    if (poke.form == POKE_REFUSED)
        return -1;
    bool binary = poke.form == POKE_BINARY;
    ZettlyRecord record =
        binary ? poke.record : DefaultRecordTitled(poke.hasTitle ? poke.title : nullptr);
    PlaceForeignNote(&record);
    const char *text = (const char *)poke.text;
    OutsideTextPlan plan;
    int refusal = PlanZettlyText(&record, text, poke.textBytes, binary, &plan);
    if (binary && plan.richVerdict != RICH_TEXT_OK && plan.richVerdict != RICH_TEXT_NOT_RTF)
        refusal = plan.richVerdict;
    if (refusal != RICH_TEXT_OK) {
        *reason = refusal;
        return -1;
    }
    if (CreateNoteFromRecord(slot, record) != 0)
        return -1;
    PutPlannedText(slot, text, poke.textBytes, plan);
    BringToFront(slot);
    return slot;
}

int InsertZettlyRecordData(const void *data, size_t size)
{
    int reason;
    return InsertPokedBlock(data, size, &reason);
}

// One transaction with the running copy, waited for: this copy may exit
// right after, and only an acknowledged poke is a note that arrived.
static int TransactWithRunningInstance(const void *data, size_t size, UINT type)
{
    DWORD instance = StartDde(ZettlyDdeCallback, APPCMD_CLIENTONLY, nullptr, nullptr);
    if (!instance)
        return -1;
    HSZ service = DdeCreateStringHandleA(instance, DDE_SERVICE_NAME, CP_WINANSI);
    HSZ topic = DdeCreateStringHandleA(instance, DDE_TOPIC_NAME, CP_WINANSI);
    HSZ item = DdeCreateStringHandleA(instance, DDE_ITEM_NAME, CP_WINANSI);
    UINT format = RegisterClipboardFormatA(ZETTLY_CLIPBOARD_FORMAT);
    int result = -1;
    HCONV conversation = format ? DdeConnect(instance, service, topic, nullptr) : nullptr;
    if (conversation) {
        DWORD answer = 0;
        HDDEDATA done = DdeClientTransaction((LPBYTE)data, (DWORD)size, conversation,
                                             type == XTYP_POKE ? item : nullptr,
                                             type == XTYP_POKE ? format : 0, type,
                                             DDE_POKE_TIMEOUT_MS, &answer);
        if (done && (answer & DDE_FACK))
            result = 0;
        DdeDisconnect(conversation);
    }
    DdeFreeStringHandle(instance, service);
    DdeFreeStringHandle(instance, topic);
    DdeFreeStringHandle(instance, item);
    DdeUninitialize(instance);
    return result;
}

int DdePokeToRunningInstance(const void *data, size_t size)
{
    return TransactWithRunningInstance(data, size, XTYP_POKE);
}

int DdeSendFileToRunningInstance(const char *commandLine)
{
    char path[MAX_PATH];
    if (!CommandLineFilePath(commandLine, path, sizeof path))
        return -1;
    std::vector<uint8_t> bytes;
    if (!NamesDevice(path) && ReadWholeFile(path, &bytes) == 0) {
        if (bytes.empty())
            return -1;
        return DdePokeToRunningInstance(bytes.data(), bytes.size());
    }
    // A file this copy cannot take is named to the running copy, which
    // refuses it in turn and says why from its own loop: a box here would
    // keep this copy waiting for someone to read it, and the user is looking
    // at the running copy.
    TransactWithRunningInstance(path, std::strlen(path) + 1, XTYP_EXECUTE);
    return -1;
}

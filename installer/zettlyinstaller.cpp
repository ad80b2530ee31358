// Runs once on the receiving side: finds the note appended to this program's
// own file and hands it to a running Zettlies, or offers to save it.
#include <windows.h>

#include <ddeml.h>

#include <cstdio>
#include <vector>

#include "dde_start.h"
#include "editing/exchange/exchange_ids.h"
#include "installer.h"
#include "editing/exchange/installer_hunk.h"

#define PROGRAM_PAGE "http://www.zettlies.example/"

static HCONV Conversation;

static HDDEDATA CALLBACK InstallerDdeCallback(UINT type, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR,
                                              ULONG_PTR)
{
    if (type == XTYP_DISCONNECT) {
        Conversation = nullptr;
        OutputDebugStringA("The server forced a disconnect.");
    }
    return nullptr;
}

static bool ReadOwnFile(std::vector<uint8_t> *bytes)
{
    // The module's own path: the command line's first word can be anything
    // the starting program chose.
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return false;
    FILE *file = std::fopen(path, "rb");
    if (!file)
        return false;
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0)
        size = std::ftell(file);
    bool ok = size > 0 && std::fseek(file, 0, SEEK_SET) == 0;
    if (ok) {
        bytes->resize((size_t)size);
        ok = std::fread(bytes->data(), 1, (size_t)size, file) == (size_t)size;
    }
    std::fclose(file);
    return ok;
}

// 0 with the note block, -1 after the user was told why not.
static int FindNoteBlock(std::vector<uint8_t> *block)
{
    std::vector<uint8_t> file;
    if (!ReadOwnFile(&file)) {
        MessageBoxA(nullptr,
                    "ERROR: Unable to open zettly installer file.\r\nUnable to continue installation.",
                    "Installer Read ERROR!", MB_OK);
        return -1;
    }
    long key = FindInstallerKey(file.data(), file.size());
    if (key < 0) {
        MessageBoxA(nullptr,
                    "Installer program was unable to identify\r\nZettly note data hunk.\r\n"
                    "Request another copy of the zettly from the\r\noriginator.\r\n\r\n"
                    "Zettly Installer is unable to continue.",
                    "Zettly Installer File Search ERROR!", MB_ICONHAND);
        return -1;
    }
    *block = NoteBlockBehindKey(file.data(), file.size(), key);
    return 0;
}

static int OfferToSave(const std::vector<uint8_t> &block)
{
    int answer = MessageBoxA(
        nullptr,
        "DDE Communication To Zettlies Application Unsuccessful.\r\n"
        "This can be due to the Zettlies application:\r\n"
        "        * Currently not running.\r\n"
        "        * Not installed.\r\n"
        "\r\n"
        "To obtain the lastest version of the Zettlies application go to\r\n"
        "\r\n" PROGRAM_PAGE "\r\n"
        "\r\n"
        "Do you wish to export zettly record to a zettly export file?",
        "Zettlies Server Connection Error", MB_YESNO | MB_ICONASTERISK | MB_SETFOREGROUND);
    if (answer != IDYES)
        return -3;
    return SaveNoteBlockWithDialog(block);
}

static int HandOver(DWORD instance, const std::vector<uint8_t> &block)
{
    UINT format = RegisterClipboardFormatA(ZETTLY_CLIPBOARD_FORMAT);
    if (!format) {
        MessageBoxA(nullptr, "Unable to obtain clipboard format information.\r\n", "Internal Error",
                    MB_ICONHAND);
        return -1;
    }
    if (!instance)
        return -1;
    HSZ service = DdeCreateStringHandleA(instance, DDE_SERVICE_NAME, CP_WINANSI);
    HSZ topic = DdeCreateStringHandleA(instance, DDE_TOPIC_NAME, CP_WINANSI);
    HSZ item = DdeCreateStringHandleA(instance, DDE_ITEM_NAME, CP_WINANSI);
    Conversation = DdeConnect(instance, service, topic, nullptr);
    int result;
    if (!Conversation) {
        OutputDebugStringA("Clnt: Unsuccessful connection.");
        result = OfferToSave(block);
    } else {
        OutputDebugStringA("Clnt: Successful connection.");
        // Only an acknowledged poke is a note that arrived: wait for the answer.
        DWORD answer = 0;
        HDDEDATA done = DdeClientTransaction((LPBYTE)block.data(), (DWORD)block.size(), Conversation,
                                             item, format, XTYP_POKE, DDE_POKE_TIMEOUT_MS, &answer);
        if (done && (answer & DDE_FACK)) {
            result = 0;
        } else {
            OutputDebugStringA("Clnt: Transaction could not complete.");
            MessageBoxA(nullptr,
                        "Connection between Zettlies application was terminated\r\n"
                        "before transaction could be completed.",
                        "Transaction aborted", MB_ICONHAND);
            result = OfferToSave(block);
        }
        if (Conversation) {
            DdeDisconnect(Conversation);
            Conversation = nullptr;
            OutputDebugStringA("Clnt: Disconnected from server.");
        }
    }
    DdeFreeStringHandle(instance, service);
    DdeFreeStringHandle(instance, topic);
    DdeFreeStringHandle(instance, item);
    return result;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    DWORD instance = StartDde(InstallerDdeCallback, APPCMD_CLIENTONLY, TEXT_DDE_FAILED_CAPTION,
                              TEXT_DDE_FAILED);
    std::vector<uint8_t> block;
    if (FindNoteBlock(&block) == 0 && HandOver(instance, block) == 0)
        MessageBoxA(nullptr, "Zettly note transfer completed without errors.", "Zettly upload o.k",
                    MB_ICONASTERISK);
    if (instance)
        DdeUninitialize(instance);
    return 0;
}

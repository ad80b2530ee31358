#include "mail.h"

#include <mapi.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/core_ids.h"
#include "ui_seams.h"
#include "core/notes_table/zettly_slots.h"
#include "exchange_ids.h"
#include "exchange_text.h"
#include "export_files.h"
#include "installer_hunk.h"

static HMODULE MapiLibrary;
static LPMAPILOGON MapiLogon;
static LPMAPILOGOFF MapiLogoff;
static LPMAPISENDDOCUMENTS MapiSendDocuments;
static LPMAPISENDMAIL MapiSendMail;
static LHANDLE MapiSession;
static HGLOBAL InstallerResource;
static DWORD InstallerSize;
// Attachments stay until the end of the run: some mail programs return from
// the send call at once and read the file later.
static std::vector<std::string> AttachmentFiles;

int MailInit(void)
{
    HRSRC found = FindResourceA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_ZETTLY_INSTALLER),
                                INSTALLER_RESOURCE_TYPE);
    MapiLibrary = LoadLibraryA(MAPI_LIBRARY_NAME);
    if ((UINT_PTR)MapiLibrary < 32) {
        MapiLibrary = nullptr;
        return 2;
    }
    MapiLogon = (LPMAPILOGON)(void *)GetProcAddress(MapiLibrary, "MAPILogon");
    MapiLogoff = (LPMAPILOGOFF)(void *)GetProcAddress(MapiLibrary, "MAPILogoff");
    MapiSendDocuments = (LPMAPISENDDOCUMENTS)(void *)GetProcAddress(MapiLibrary, "MAPISendDocuments");
    MapiSendMail = (LPMAPISENDMAIL)(void *)GetProcAddress(MapiLibrary, "MAPISendMail");
    if (!MapiLogon || !MapiLogoff || !MapiSendDocuments || !MapiSendMail) {
        FreeLibrary(MapiLibrary);
        MapiLibrary = nullptr;
        MapiLogon = nullptr;
        MapiLogoff = nullptr;
        MapiSendDocuments = nullptr;
        MapiSendMail = nullptr;
        return 4;
    }
    if (found) {
        InstallerResource = LoadResource(GetModuleHandleA(nullptr), found);
        InstallerSize = InstallerResource ? SizeofResource(GetModuleHandleA(nullptr), found) : 0;
    }
    return 0;
}

BOOL MailReady(void)
{
    return MapiLibrary != nullptr;
}

void MailShutdown(void)
{
    if (MapiSession && MapiLogoff)
        MapiLogoff(MapiSession, 0, 0, 0);
    MapiSession = 0;
    MapiLogon = nullptr;
    MapiLogoff = nullptr;
    MapiSendDocuments = nullptr;
    MapiSendMail = nullptr;
    if (MapiLibrary)
        FreeLibrary(MapiLibrary);
    MapiLibrary = nullptr;
    for (const std::string &path : AttachmentFiles)
        DeleteFileA(path.c_str());
    AttachmentFiles.clear();
}

int WriteInstallerWithZettly(int slot, char *pathBuffer, int size)
{
    if (!InstallerResource || !IsUsedSlot(slot) || !pathBuffer || size <= 0)
        return -1;
    DWORD length = GetTempPathA((DWORD)size, pathBuffer);
    if (length == 0 || length >= (DWORD)size)
        return -1;
    if (length + sizeof INSTALLER_FILE_NAME > (DWORD)size)
        return -2;
    lstrcatA(pathBuffer, INSTALLER_FILE_NAME);

    const void *program = LockResource(InstallerResource);
    if (!program) {
        char caption[48];
        wsprintfA(caption, "error code = %d", (int)GetLastError());
        ZtMessageBox(nullptr, "", caption, MB_OK);
        return -1;
    }
    StoreZettlyRect(slot);
    std::string text = GetZettlyPlainText(slot);
    std::vector<uint8_t> file((const uint8_t *)program, (const uint8_t *)program + InstallerSize);
    AppendInstallerHunk(&file, &ZettlyTable[slot], text.data(), text.size());

    FILE *out = std::fopen(pathBuffer, "wb");
    if (!out)
        return -1;
    bool ok = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    if (std::fclose(out) != 0)
        ok = false;
    if (!ok) {
        DeleteFileA(pathBuffer);
        return -1;
    }
    return 0;
}

// The attachment of a kind, written to the temporary folder; false when there is none.
static bool WriteAttachment(int slot, int kind, char *path, int size)
{
    if (kind == MAIL_WITH_INSTALLER)
        return WriteInstallerWithZettly(slot, path, size) == 0;
    if (kind != MAIL_WITH_EXP && kind != MAIL_WITH_RTF)
        return false;
    std::string name = std::string(ZettlyTable[slot].title) + (kind == MAIL_WITH_EXP ? ".exp" : ".rtf");
    std::vector<char> clean(name.begin(), name.end());
    clean.push_back(0);
    MakeValidFileName(clean.data());
    DWORD length = GetTempPathA((DWORD)size, path);
    if (length == 0 || length + std::strlen(clean.data()) + 1 > (DWORD)size)
        return false;
    lstrcatA(path, clean.data());
    return WriteZettlyFile(path, slot, kind == MAIL_WITH_EXP ? EXPORT_MODE_EXP : EXPORT_MODE_RTF) != 0;
}

int MailZettly(int slot, int kind)
{
    if (!MapiSendMail || !IsUsedSlot(slot))
        return -1;
    if (!MapiSession &&
        MapiLogon(0, nullptr, nullptr, MAPI_LOGON_UI | MAPI_NEW_SESSION, 0, &MapiSession) != 0) {
        MapiSession = 0;
        return -2;
    }
    StoreZettlyRect(slot);
    std::string body;
    AppendTitleHeading(&body, ZettlyTable[slot].title);
    body += GetZettlyPlainText(slot);

    MapiMessage message = {};
    message.lpszSubject = ZettlyTable[slot].title;
    message.lpszNoteText = &body[0];
    message.flFlags = MAPI_UNREAD | MAPI_RECEIPT_REQUESTED;

    char path[EXCHANGE_PATH_CHARS] = {};
    MapiFileDesc attachment = {};
    if (WriteAttachment(slot, kind, path, sizeof path)) {
        const char *name = std::strrchr(path, '\\');
        attachment.nPosition = (ULONG)-1;
        attachment.lpszPathName = path;
        attachment.lpszFileName = (LPSTR)(name ? name + 1 : path);
        message.nFileCount = 1;
        message.lpFiles = &attachment;
        bool known = false;
        for (const std::string &p : AttachmentFiles)
            known = known || lstrcmpiA(p.c_str(), path) == 0;
        if (!known)
            AttachmentFiles.push_back(path);
    }
    ULONG result = MapiSendMail(MapiSession, (ULONG_PTR)ZettlyTable[slot].window, &message,
                                MAPI_DIALOG, 0);
    if (result == SUCCESS_SUCCESS)
        return 0;
    if (result == MAPI_USER_ABORT)
        return -2;
    return (int)result;
}

int MailZettlyCommand(HWND owner, int slot, int commandId)
{
    int kind;
    switch (commandId) {
    case CMD_MAIL_TEXT:
        kind = MAIL_PLAIN_TEXT;
        break;
    case CMD_MAIL_EXP_RECORD:
        kind = MAIL_WITH_EXP;
        break;
    case CMD_MAIL_RICH_TEXT:
        kind = MAIL_WITH_RTF;
        break;
    case CMD_MAIL_INSTALLER:
        kind = MAIL_WITH_INSTALLER;
        break;
    default:
        return -1;
    }
    int result = MailZettly(slot, kind);
    if (result != 0 && result != -2) {
        const char *format =
            result == -1   ? "Memory allocation error in MAPI mail\r\nconstruction. Error code = %d"
            : result == -3 ? "WARNING: Failed to create temparary trojan file.\r\nZettly export "
                             "partially completed. Error code = %d"
                           : "Unknown error occurred in MAPI mail\r\nconstruction. Error code = %d";
        char text[160];
        wsprintfA(text, format, result);
        ZtMessageBox(owner, text, "Mail To Operation Failed!", MB_ICONASTERISK);
    }
    return result;
}

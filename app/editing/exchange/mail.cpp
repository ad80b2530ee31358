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

// The program's one link to the mail system, opened at start-up and closed at
// the end of the run.
struct MailLink {
    HMODULE library;
    LPMAPILOGON logon;
    LPMAPILOGOFF logoff;
    LPMAPISENDDOCUMENTS sendDocuments;
    LPMAPISENDMAIL sendMail;
    LHANDLE session;
    HGLOBAL installerResource;
    DWORD installerSize;
    // Attachments stay until the end of the run: some mail programs return
    // from the send call at once and read the file later.
    std::vector<std::string> attachmentFiles;
};
static MailLink Mail;

int MailInit(void)
{
    HRSRC found = FindResourceA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_ZETTLY_INSTALLER),
                                INSTALLER_RESOURCE_TYPE);
    Mail.library = LoadLibraryA(MAPI_LIBRARY_NAME);
    if ((UINT_PTR)Mail.library < 32) {
        Mail.library = nullptr;
        return 2;
    }
    Mail.logon = (LPMAPILOGON)(void *)GetProcAddress(Mail.library, "MAPILogon");
    Mail.logoff = (LPMAPILOGOFF)(void *)GetProcAddress(Mail.library, "MAPILogoff");
    Mail.sendDocuments = (LPMAPISENDDOCUMENTS)(void *)GetProcAddress(Mail.library, "MAPISendDocuments");
    Mail.sendMail = (LPMAPISENDMAIL)(void *)GetProcAddress(Mail.library, "MAPISendMail");
    if (!Mail.logon || !Mail.logoff || !Mail.sendDocuments || !Mail.sendMail) {
        FreeLibrary(Mail.library);
        Mail.library = nullptr;
        Mail.logon = nullptr;
        Mail.logoff = nullptr;
        Mail.sendDocuments = nullptr;
        Mail.sendMail = nullptr;
        return 4;
    }
    if (found) {
        Mail.installerResource = LoadResource(GetModuleHandleA(nullptr), found);
        Mail.installerSize = Mail.installerResource ? SizeofResource(GetModuleHandleA(nullptr), found) : 0;
    }
    return 0;
}

BOOL MailReady(void)
{
    return Mail.library != nullptr;
}

void MailShutdown(void)
{
    if (Mail.session && Mail.logoff)
        Mail.logoff(Mail.session, 0, 0, 0);
    Mail.session = 0;
    Mail.logon = nullptr;
    Mail.logoff = nullptr;
    Mail.sendDocuments = nullptr;
    Mail.sendMail = nullptr;
    if (Mail.library)
        FreeLibrary(Mail.library);
    Mail.library = nullptr;
    for (const std::string &path : Mail.attachmentFiles)
        DeleteFileA(path.c_str());
    Mail.attachmentFiles.clear();
}

int WriteInstallerWithZettly(int slot, char *pathBuffer, int size)
{
    if (!Mail.installerResource || !IsUsedSlot(slot) || !pathBuffer || size <= 0)
        return -1;
    DWORD length = GetTempPathA((DWORD)size, pathBuffer);
    if (length == 0 || length >= (DWORD)size)
        return -1;
    if (length + sizeof INSTALLER_FILE_NAME > (DWORD)size)
        return -2;
    lstrcatA(pathBuffer, INSTALLER_FILE_NAME);

    const void *program = LockResource(Mail.installerResource);
    if (!program) {
        char caption[48];
        wsprintfA(caption, "error code = %d", (int)GetLastError());
        ZtMessageBox(nullptr, "", caption, MB_OK);
        return -1;
    }
    StoreZettlyRect(slot);
    std::string text = GetZettlyPlainText(slot);
    std::vector<uint8_t> file((const uint8_t *)program, (const uint8_t *)program + Mail.installerSize);
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
    int written =
        WriteZettlyFileChecked(path, slot, kind == MAIL_WITH_EXP ? EXPORT_MODE_EXP : EXPORT_MODE_RTF);
    // A cut text is never sent as the note: the mail goes without it, and says so.
    if (written == EXPORT_TEXT_NOT_WHOLE)
        TellZettlyNotWhole(ZettlyTable[slot].window, slot, TEXT_MAIL_NOT_WHOLE);
    return written == 1;
}

int MailZettly(int slot, int kind)
{
    if (!Mail.sendMail || !IsUsedSlot(slot))
        return -1;
    if (!Mail.session &&
        Mail.logon(0, nullptr, nullptr, MAPI_LOGON_UI | MAPI_NEW_SESSION, 0, &Mail.session) != 0) {
        Mail.session = 0;
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
        for (const std::string &p : Mail.attachmentFiles)
            known = known || lstrcmpiA(p.c_str(), path) == 0;
        if (!known)
            Mail.attachmentFiles.push_back(path);
    }
    ULONG result = Mail.sendMail(Mail.session, (ULONG_PTR)ZettlyTable[slot].window, &message,
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

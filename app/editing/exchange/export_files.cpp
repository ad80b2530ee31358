#include "export_files.h"

#include <commdlg.h>
#include <richedit.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/note_window/note_window.h"
#include "core/notes_table/rich_text_check.h"
#include "core/notes_table/rich_text_stream.h"
#include "folder_browser.h"
#include "save_dialog.h"
#include "ui_seams.h"
#include "core/notes_table/zettly_slots.h"
#include "disk_file.h"
#include "exchange_ids.h"
#include "exchange_text.h"
#include "export_record.h"
#include "core/note_window/window_creation.h"
#include "outside_text.h"
#include "core/note_window/dialog_ids.h"

// A drop or an import inserts by the button the user pressed in the drop choice.
static_assert(INSERT_OVERWRITE == IDC_DROP_OVERWRITE && INSERT_APPEND == IDC_DROP_APPEND &&
                  INSERT_CREATE_NEW == IDC_DROP_CREATE_NEW,
              "insert modes are the drop choice's answers");

// Files larger than an export file of the largest outside text are no notes:
// they are refused before they are read, so one bad choice in the open
// dialog or one path poked by another program costs no time.
static const int64_t LARGEST_IMPORT =
    ZETTLY_EXPORT_HEADER_BYTES + ZETTLY_RECORD_BYTES + OUTSIDE_TEXT_BYTES;

static_assert(READ_FILE_TOO_LARGE == DISK_FILE_TOO_LARGE, "one answer for a file too large");
static_assert(SHOW_COMMAND_NORMAL == SW_SHOWNORMAL, "notes from outside arrive shown normally");

int ReadWholeFile(const char *path, std::vector<uint8_t> *bytes)
{
    return ReadDiskFile(path, LARGEST_IMPORT, bytes);
}

int StreamRichTextIntoZettly(int slot, const char *text, size_t bytes)
{
    if (!IsUsedSlot(slot) || !ZettlyTable[slot].editWindow)
        return -1;
    return StreamRichTextIn(ZettlyTable[slot].editWindow, text, bytes);
}

void SetZettlyPlainText(int slot, const char *text, size_t bytes)
{
    if (!IsUsedSlot(slot) || !ZettlyTable[slot].editWindow)
        return;
    StreamPlainTextIn(ZettlyTable[slot].editWindow, text, bytes);
}

std::string GetZettlyPlainText(int slot)
{
    std::string text;
    if (!IsUsedSlot(slot) || !ZettlyTable[slot].editWindow)
        return text;
    HWND edit = ZettlyTable[slot].editWindow;
    LRESULT length = SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0)
        return text;
    std::vector<char> buffer((size_t)length + 1);
    LRESULT got = SendMessageA(edit, WM_GETTEXT, buffer.size(), (LPARAM)buffer.data());
    if (got > 0 && got <= length)
        text.assign(buffer.data(), (size_t)got);
    return text;
}

static void ReportOpenFailure(int read = -1)
{
    ZtMessageBox(nullptr,
                 read == READ_FILE_TOO_LARGE ? TEXT_FILE_TOO_LARGE : TEXT_UNABLE_TO_OPEN_FILE,
                 TEXT_FILE_READ_ERROR, MB_ICONHAND);
}

static void ReportRefusedText(int refusal)
{
    ZtMessageBox(nullptr, refusal == RICH_TEXT_TOO_LARGE ? TEXT_FILE_TOO_LARGE : TEXT_TOO_MUCH_TEXT,
                 TEXT_FILE_READ_ERROR, MB_ICONHAND);
}

void PlaceForeignNote(ZettlyRecord *record)
{
    RECT area;
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0) || IsRectEmpty(&area))
        SetRect(&area, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    FitForeignRecordOnScreen(record, ZettlyRect{area.left, area.top, area.right, area.bottom});
}

int PlanZettlyText(ZettlyRecord *record, const char *text, size_t bytes, bool mayBeRich,
                   OutsideTextPlan *plan)
{
    PlanOutsideText(text, bytes, mayBeRich, record->wordWrap != 0, record->editFont.lfHeight, plan);
    if (plan->refusal != RICH_TEXT_OK)
        return plan->refusal;
    if (plan->wrapOff)
        record->wordWrap = 0;
    return RICH_TEXT_OK;
}

// The text was planned; a rich text the control still refuses goes in plain
// when that is within the same bounds, else the note keeps what it took.
void PutPlannedText(int slot, const char *text, size_t bytes, const OutsideTextPlan &plan)
{
    if (!bytes)
        return;
    if (plan.richVerdict == RICH_TEXT_OK &&
        StreamRichTextIntoZettly(slot, plan.rich.data(), plan.rich.size()) == 0)
        return;
    if (plan.richVerdict == RICH_TEXT_OK) {
        OutsideTextPlan plain;
        ZettlyRecord record = ZettlyTable[slot];
        if (PlanZettlyText(&record, text, bytes, false, &plain) != RICH_TEXT_OK ||
            record.wordWrap != ZettlyTable[slot].wordWrap)
            return;
    }
    SetZettlyPlainText(slot, text, bytes);
}

static bool WriteAll(FILE *file, const void *data, size_t bytes)
{
    return bytes == 0 || std::fwrite(data, 1, bytes, file) == bytes;
}

// The control's RTF whole, or nothing: a text cut off at a picture the
// control cannot write, or one its writer faulted on, is no export.
static int WriteRichTextOut(int slot, FILE *file)
{
    MemoryWriter rtf = {};
    int streamed = StreamRichTextOut(ZettlyTable[slot].editWindow, &rtf);
    bool ok = streamed == STREAM_OUT_WHOLE;
    // The control writes a NUL character of the text as a 0 byte and ends
    // with one more; a reader takes the text up to its first 0 byte.
    for (DWORD i = 0, from = 0; ok && i <= rtf.used; ++i) {
        if (i < rtf.used && rtf.block[i] != 0)
            continue;
        ok = WriteAll(file, rtf.block + from, i - from);
        from = i + 1;
    }
    std::free(rtf.block);
    if (streamed != STREAM_OUT_WHOLE && streamed != STREAM_OUT_FAILED)
        return EXPORT_TEXT_NOT_WHOLE;
    return ok ? 1 : 0;
}

int WriteZettlyFileChecked(const char *path, int slot, int mode)
{
    if (!IsUsedSlot(slot))
        return 0;
    FILE *file = std::fopen(path, "wb");
    if (!file)
        return 0;
    StoreZettlyRect(slot);
    int written = 1;
    if (mode == EXPORT_MODE_EXP) {
        uint8_t head[ZETTLY_EXPORT_HEADER_BYTES + ZETTLY_RECORD_BYTES];
        WriteExportHeader(head);
        // The receiver has its own groups; the table keeps this note's membership.
        ZettlyRecord record = ZettlyTable[slot];
        record.isMember = 0;
        PackZettlyRecord(&record, head + ZETTLY_EXPORT_HEADER_BYTES);
        written = WriteAll(file, head, sizeof head) ? WriteRichTextOut(slot, file) : 0;
    } else if (mode == EXPORT_MODE_RTF) {
        written = WriteRichTextOut(slot, file);
    } else {
        std::string text;
        AppendTitleHeading(&text, ZettlyTable[slot].title);
        text += GetZettlyPlainText(slot);
        written = WriteAll(file, text.data(), text.size()) ? 1 : 0;
    }
    // A full disk shows only at the close; a half-written file is no export.
    if (std::fclose(file) != 0 && written == 1)
        written = 0;
    if (written != 1)
        DeleteFileA(path);
    return written;
}

int WriteZettlyFile(const char *path, int slot, int mode)
{
    return WriteZettlyFileChecked(path, slot, mode) == 1 ? 1 : 0;
}

void TellZettlyNotWhole(HWND owner, int slot, const char *format)
{
    char text[ZETTLY_TITLE_BYTES + 512];
    std::snprintf(text, sizeof text, format,
                  IsUsedSlot(slot) && ZettlyTable[slot].title[0] ? ZettlyTable[slot].title
                                                                 : TEXT_UNTITLED_ZETTLY);
    ZtMessageBox(owner, text, TEXT_FILE_WRITE_ERROR, MB_ICONHAND);
}

// A plain-text note is the default record as it stands, titled with the name.
static ZettlyRecord PlainTextRecord(const char *title)
{
    ZettlyRecord record = ZettlyTable[ZETTLY_DEFAULT_SLOT];
    SanitiseZettlyRecord(&record, ZETTLY_SANITISE_FOREIGN);
    std::memset(record.title, 0, sizeof record.title);
    std::strncpy(record.title, title, IMPORT_TITLE_CHARS);
    record.textLength = 0;
    return record;
}

// Moves the record's rectangles so that its window starts at (x, y), its sizes kept.
static void MoveRecordTo(ZettlyRecord *record, int x, int y)
{
    int dx = x - record->windowRect.left, dy = y - record->windowRect.top;
    for (ZettlyRect *r : {&record->windowRect, &record->unrolledRect, &record->restoreRect}) {
        r->left += dx;
        r->right += dx;
        r->top += dy;
        r->bottom += dy;
    }
}

// asNewNote: the note lands where a new note would, not where the record was.
static int ImportZettlyBytes(const std::vector<uint8_t> &bytes, const char *title, int intoGroup,
                             bool asNewNote = false)
{
    int slot = FindFreeZettlySlot();
    if (slot < 0) {
        ZtMessageBox(nullptr, TEXT_UNABLE_TO_ALLOCATE, TEXT_ZETTLY_CREATE_ERROR, MB_ICONHAND);
        return -1;
    }
    ZettlyRecord record;
    size_t textStart = 0;
    int read = ReadExportRecord(bytes.data(), bytes.size(), &record, &textStart);
    if (read == EXPORT_READ_TRUNCATED) {
        ZtMessageBox(nullptr, TEXT_RECORD_INCOMPLETE, TEXT_FILE_READ_ERROR, MB_ICONHAND);
        return -1;
    }
    const char *text = (const char *)bytes.data() + textStart;
    size_t textBytes = bytes.size() - textStart;
    OutsideTextPlan plan;
    int planned;
    if (read == EXPORT_READ_NO_HEADER) {
        record = PlainTextRecord(title);
        PlaceForeignNote(&record);
        planned = PlanZettlyText(&record, text, textBytes, false, &plan);
    } else {
        int32_t storedLength = record.textLength;
        record.textLength = 0;
        if (asNewNote) {
            // "Create New" on a note's own export would otherwise cover it
            // exactly, and look as if nothing happened.
            ZettlyRecord fresh;
            CloneRecordInto(&ZettlyTable[ZETTLY_DEFAULT_SLOT], &fresh);
            MoveRecordTo(&record, fresh.windowRect.left, fresh.windowRect.top);
        }
        PlaceForeignNote(&record);
        ZettlyRecord wrapped = record;
        planned = PlanZettlyText(&record, text, textBytes, true, &plan);
        if (plan.richVerdict != RICH_TEXT_OK && textBytes) {
            // Older writers left the plain text here instead; its length is
            // the record's, but never more than the file holds. A record that
            // never counted its text (length 0) must not lose the text there.
            size_t plain = storedLength > 0 ? (size_t)storedLength : textBytes;
            textBytes = plain < textBytes ? plain : textBytes;
            record = wrapped;
            planned = PlanZettlyText(&record, text, textBytes, false, &plan);
        }
    }
    if (planned != RICH_TEXT_OK) {
        ReportRefusedText(planned);
        return -1;
    }
    ZettlyTable[slot] = record;
    if (CreateZettlyWindow(MainWindow, slot, TRUE, intoGroup == 0) != 0)
        return -1;
    PutPlannedText(slot, text, textBytes, plan);
    return slot;
}

int ImportZettlyFile(const char *path, int intoGroup)
{
    std::vector<uint8_t> bytes;
    int read = path ? ReadWholeFile(path, &bytes) : -1;
    if (read != 0) {
        ReportOpenFailure(read);
        return -1;
    }
    return ImportZettlyBytes(bytes, path, intoGroup);
}

int InsertFileIntoZettly(const char *path, int mode, int slot)
{
    std::vector<uint8_t> bytes;
    int read = path ? ReadWholeFile(path, &bytes) : -1;
    if (read != 0) {
        ReportOpenFailure(read);
        return -1;
    }
    if (!IsUsedSlot(slot)) {
        ZtMessageBox(nullptr, TEXT_BAD_WINDOW, TEXT_UNKNOWN_ERROR, MB_ICONHAND);
        return -1;
    }
    if (mode == INSERT_CREATE_NEW) {
        int created = ImportZettlyBytes(bytes, path, ZettlyTable[slot].isGroup, true);
        if (created >= 0 && ZettlyTable[slot].isGroup)
            ShowWindow(ZettlyTable[created].window, ZettlyTable[created].showCommand);
        if (created >= 0 && ZettlyTable[created].editWindow)
            SetFocus(ZettlyTable[created].editWindow);
        return 0;
    }
    // For an export file the content is what follows its record.
    size_t start = 0;
    int version = IdentifyExportHeader(bytes.data(), bytes.size());
    if (version != EXPORT_NO_HEADER)
        start = ZETTLY_EXPORT_HEADER_BYTES + ExportRecordBytes(version);
    if (start >= bytes.size())
        return -1;
    std::string content((const char *)bytes.data() + start, bytes.size() - start);
    HWND edit = ZettlyTable[slot].editWindow;
    // Rich text goes in only as our own writer wrote it again; WM_SETTEXT and
    // EM_REPLACESEL would read the file's own RTF. The note keeps its word
    // wrap: text too costly to lay out with it is refused.
    ZettlyRecord record = ZettlyTable[slot];
    OutsideTextPlan plan;
    int refusal = PlanZettlyText(&record, content.data(), content.size(), true, &plan);
    if (refusal == RICH_TEXT_OK && record.wordWrap != ZettlyTable[slot].wordWrap)
        refusal = RICH_TEXT_TOO_MUCH_LAYOUT;
    if (refusal != RICH_TEXT_OK) {
        ReportRefusedText(refusal);
        return -1;
    }
    bool rich = plan.richVerdict == RICH_TEXT_OK;
    bool asPlain = !rich && plan.richVerdict != RICH_TEXT_NOT_RTF;
    if (mode == INSERT_OVERWRITE) {
        if (rich)
            StreamInFromBlock(edit, plan.rich.data(), plan.rich.size(), SF_RTF);
        else if (asPlain)
            StreamPlainTextIn(edit, content.data(), content.size(), FALSE);
        else
            SendMessageA(edit, WM_SETTEXT, 0, (LPARAM)content.c_str());
    } else if (mode == INSERT_APPEND) {
        SendMessageA(edit, EM_SETSEL, 0, -1);
        SendMessageA(edit, EM_SETSEL, (WPARAM)-1, -1);
        if (rich)
            StreamInFromBlock(edit, plan.rich.data(), plan.rich.size(), SF_RTF | SFF_SELECTION);
        else if (asPlain)
            StreamPlainTextIn(edit, content.data(), content.size(), TRUE);
        else
            SendMessageA(edit, EM_REPLACESEL, 0, (LPARAM)content.c_str());
    } else {
        ZtMessageBox(nullptr, TEXT_BAD_INSERT_MODE, TEXT_UNKNOWN_ERROR, MB_ICONHAND);
    }
    return 0;
}

int BrowseForExportFolder(HWND owner, char *buffer, int size)
{
    if (!buffer || size <= 0)
        return 0;
    std::memset(buffer, 0, (size_t)size);
    FolderBrowserLook look = {nullptr, nullptr, false, nullptr};
    return BrowseForFolder(owner, look, buffer, size) == 0 ? 1 : 0;
}

static bool BelongsToExport(int slot, int group)
{
    const ZettlyRecord &z = ZettlyTable[slot];
    if (!z.window)
        return false;
    return group == -1 || (z.isMember && z.groupSlot == group);
}

static std::string JoinPath(const char *folder, const std::string &name)
{
    std::string path = folder;
    if (!path.empty() && path.back() != '\\' && path.back() != '/')
        path += '\\';
    return path + name;
}

int ExportZettliesToFolderPath(const char *folder, int group, std::vector<std::string> *failedNames)
{
    std::vector<std::string> used;
    int written = 0;
    for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot) {
        if (!BelongsToExport(slot, group))
            continue;
        std::string name = ExportFileNameFor(ZettlyTable[slot].title, slot, &used);
        int result = WriteZettlyFileChecked(JoinPath(folder, name).c_str(), slot, EXPORT_MODE_EXP);
        if (result == 1)
            ++written;
        else if (failedNames)
            failedNames->push_back(result == EXPORT_TEXT_NOT_WHOLE ? name + TEXT_NOT_WRITTEN_WHOLE
                                                                   : name);
    }
    return written;
}

int ExportZettliesToFolder(HWND owner, int group)
{
    char folder[FOLDER_PATH_CHARS];
    if (!BrowseForExportFolder(owner, folder, sizeof folder))
        return 0;
    std::vector<std::string> failed;
    ExportZettliesToFolderPath(folder, group, &failed);
    if (!failed.empty()) {
        std::string text = "Unable to write these zettly export files:\r\n";
        for (const std::string &name : failed)
            text += "\r\n" + name;
        ZtMessageBox(owner, text.c_str(), TEXT_FILE_WRITE_ERROR, MB_ICONHAND);
    }
    return 1;
}

// Full paths throughout: the data folder stays current, so an auto-save that
// runs meanwhile still writes the notes files where they belong.
int ImportZettliesFromFolderPath(const char *folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(JoinPath(folder, "*.*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    std::vector<std::string> names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    int imported = 0;
    for (const std::string &name : names) {
        std::vector<uint8_t> bytes;
        int read = ReadWholeFile(JoinPath(folder, name).c_str(), &bytes);
        if (read != 0) {
            ReportOpenFailure(read);
            continue;
        }
        if (ImportZettlyBytes(bytes, name.c_str(), 0) >= 0)
            ++imported;
    }
    return imported;
}

int ImportZettliesFromFolder(HWND owner)
{
    char folder[FOLDER_PATH_CHARS];
    if (!BrowseForExportFolder(owner, folder, sizeof folder))
        return 0;
    ImportZettliesFromFolderPath(folder);
    return 1;
}

static const char IMPORT_FILTER[] = "Zettly Record Files\0*.exp\0"
                                    "Text Files\0*.txt;*.doc;*.text;*.diz\0"
                                    "Rich Text Files\0*.rtf\0"
                                    "All Files\0*.*\0";
static const char EXPORT_FILTER[] = "Save As Zettly Record File\0*.exp\0"
                                    "Save As Text File\0*.txt\0"
                                    "Save As Rich Text File\0*.rtf\0";

static void PrepareOpenDialog(OPENFILENAMEA *ofn, HWND owner, char *path)
{
    std::memset(ofn, 0, sizeof *ofn);
    ofn->lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn->hwndOwner = owner;
    ofn->lpstrFilter = IMPORT_FILTER;
    ofn->nFilterIndex = 1;
    ofn->lpstrFile = path;
    ofn->nMaxFile = EXCHANGE_PATH_CHARS;
    ofn->lpstrInitialDir = ".\\";
    ofn->lpstrTitle = "Select Text File To Import";
    ofn->lpstrDefExt = "*.txt";
}

// A hidden owner near the screen's centre puts the dialog there.
static HWND CreateCentredOwner(void)
{
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    int x = (desktop.right - desktop.left) / 2 - 200;
    int y = (desktop.bottom - desktop.top) / 2 - 230;
    return CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_BORDER | WS_SYSMENU, x, y, 1, 1,
                           GetDesktopWindow(), nullptr, GetModuleHandleA(nullptr), nullptr);
}

int ImportZettlyDialog(int slot)
{
    char path[EXCHANGE_PATH_CHARS] = {};
    HWND owner = CreateCentredOwner();
    OPENFILENAMEA ofn;
    PrepareOpenDialog(&ofn, owner, path);
    ofn.Flags = OFN_ENABLESIZING | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
                OFN_HIDEREADONLY;
    BOOL chosen = GetOpenFileNameA(&ofn);
    if (!chosen)
        ReportCommonDialogFailure(owner, "GetOpenFileName");
    if (owner)
        DestroyWindow(owner);
    if (!chosen)
        return -1;
    bool fromGroup = IsUsedSlot(slot) && ZettlyTable[slot].isGroup;
    int created = ImportZettlyFile(path, fromGroup);
    if (created >= 0 && fromGroup)
        ShowWindow(ZettlyTable[created].window, ZettlyTable[created].showCommand);
    return created;
}

int ExportZettlyDialog(int slot)
{
    if (!IsUsedSlot(slot))
        return -1;
    char path[EXCHANGE_PATH_CHARS] = {};
    lstrcpynA(path, ZettlyTable[slot].title, sizeof path);
    MakeValidFileName(path);
    int filter = AskExportFileName(ZettlyTable[slot].window, EXPORT_FILTER, path, sizeof path);
    if (filter < 0)
        return -1;
    int written = WriteZettlyFileChecked(path, slot, filter);
    if (written == EXPORT_TEXT_NOT_WHOLE)
        TellZettlyNotWhole(ZettlyTable[slot].window, slot, TEXT_EXPORT_NOT_WHOLE);
    return written == 1 ? 0 : -1;
}

int InsertFileDialog(int mode, int slot)
{
    if (!IsUsedSlot(slot))
        return -1;
    char path[EXCHANGE_PATH_CHARS] = {};
    OPENFILENAMEA ofn;
    PrepareOpenDialog(&ofn, ZettlyTable[slot].window, path);
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&ofn)) {
        ReportCommonDialogFailure(ofn.hwndOwner, "GetOpenFileName");
        return -1;
    }
    return InsertFileIntoZettly(path, mode, slot);
}

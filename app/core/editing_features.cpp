#include "editing_features.h"

// The stand-ins: no feature is there, nothing is done, nothing is shown.
static int NoTextOp(HWND)
{
    return -1;
}
static int NoConsole(int)
{
    return -2;
}
static void NoConsoleStop(int, int) {}
static void NoConsoleWrite(int, const char *) {}
static void NoSlotAction(int) {}
static HWND NoEditBar(void)
{
    return nullptr;
}
static int NoBarAttach(HWND, int)
{
    return 0;
}
static int NoBarSlot(HWND)
{
    return -1;
}
static void NoBarPlace(HWND, int) {}
static void NoBarRefresh(HWND, HWND) {}
static BOOL NotThere(void)
{
    return FALSE;
}
static void NoOleAttach(HWND, HWND, RichOleDocument **document, RichOleFrame **frame)
{
    *document = nullptr;
    *frame = nullptr;
}
static void NoOleDetach(RichOleDocument *, RichOleFrame *) {}
static BOOL NoVerb(RichOleDocument *, int)
{
    return FALSE;
}
static void NoFrameAction(RichOleFrame *) {}
static void NoActivate(BOOL) {}
static void NoAction(void) {}
static void NoDocumentAction(RichOleDocument *) {}
static BOOL NoObjects(RichOleDocument *)
{
    return FALSE;
}
static HWND NoCheckList(HWND, int)
{
    return nullptr;
}
static int NoItems(HWND, const uint8_t *, size_t)
{
    return -1;
}
static BOOL NotTaken(MSG *)
{
    return FALSE;
}
static void NoFindDialog(HWND, int, BOOL) {}
static UINT NoMessage(void)
{
    return 0;
}
static LRESULT NoRequest(HWND, int, LPARAM)
{
    return 0;
}
static void NoOwner(HWND) {}
static int NoPrint(HINSTANCE, HWND, HWND)
{
    return 0;
}
// A dialog of a feature that is not there ends as soon as it starts.
static INT_PTR CALLBACK NoDialog(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG)
        EndDialog(dialog, 0);
    return FALSE;
}
static int NoSyntaxFile(const char *)
{
    return 0;
}
static int NoLanguages(void)
{
    return 0;
}
static const char *NoLanguage(int)
{
    return nullptr;
}
static int NoSyntax(HWND, int, LONG, LONG, COLORREF)
{
    return -1;
}
static int NoServer(void)
{
    return 0;
}
static int NoHandOver(const char *)
{
    return -1;
}
static int NoMapi(void)
{
    return 2;
}
static int NoMail(HWND, int, int)
{
    return -1;
}
static int NoFolderExport(HWND, int)
{
    return -1;
}
static int NoFolderImport(HWND)
{
    return -1;
}
static int NoSlotFile(int)
{
    return -1;
}
static int NoInsertDialog(int, int)
{
    return -1;
}
static int NoInsert(const char *, int, int)
{
    return -1;
}

// In the order of the record's entries.
static const EditingFeatures StandIns = {
    NoTextOp,       NoConsole,       NoConsoleStop,    NoConsoleWrite,   NoSlotAction,
    NoEditBar,      NoBarAttach,     NoBarSlot,        NoBarPlace,       NoBarRefresh,
    NotThere,       NoOleAttach,     NoOleDetach,      NoVerb,           NoFrameAction,
    NoActivate,     NoAction,        NoDocumentAction, NoDocumentAction, NoObjects,
    NoCheckList,    NoItems,         NotTaken,         NoFindDialog,     NoMessage,
    NoRequest,      NoOwner,         NoPrint,          NoDialog,         NoDialog,
    NoSyntaxFile,   NoAction,        NoLanguages,      NoLanguage,       NoSyntax,
    NoServer,       NoAction,        NoHandOver,       NoMapi,           NoAction,
    NotThere,       NoMail,          NoFolderExport,   NoFolderImport,   NoSlotFile,
    NoSlotFile,     NoInsertDialog,  NoInsert,
};
// Every entry is a call: a record that grows gets a stand-in for the new one.
static_assert(sizeof(EditingFeatures) == 48 * sizeof(void (*)(void)), "a stand-in for every call");

// One per program: the calls in place, set at start-up.
static const EditingFeatures *InPlace = &StandIns;

const EditingFeatures &Editing(void)
{
    return *InPlace;
}

void UseEditingFeatures(const EditingFeatures *features)
{
    InPlace = features ? features : &StandIns;
}

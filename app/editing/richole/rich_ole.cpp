#include "rich_ole.h"

#include <oledlg.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "rich_ole_ids.h"
#include "ui_seams.h"

void *ActiveInPlaceObject;

BOOL ObjectActiveInPlace(void)
{
    return ActiveInPlaceObject != nullptr;
}

IOleInPlaceActiveObject *ActiveObject(void)
{
    return (IOleInPlaceActiveObject *)ActiveInPlaceObject;
}

void ShowOleError(HWND owner, UINT id, long value)
{
    char format[256];
    char text[320];
    if (LoadStringA(GetModuleHandleA(nullptr), id, format,
                    sizeof format) <= 0)
        lstrcpyA(format, OLE_FALLBACK_TEXT);
    if (id == IDS_OLE_INSERT_SCODE || id == IDS_OLE_INSERT_RESULT)
        std::snprintf(text, sizeof text, format, value);
    else
        lstrcpynA(text, format, sizeof text);
    ZtMessageBox(owner, text, OLE_APPLICATION_NAME, MB_ICONEXCLAMATION);
}

// ---------------------------------------------------------------- attach and detach

void RichOleAttach(HWND edit, HWND owner, RichOleDocument **document, RichOleFrame **frame)
{
    *document = nullptr;
    *frame = nullptr;
    RichOleFrame *f = new RichOleFrame(owner);
    f->AddRef();
    *frame = f;

    RichOleDocument *d = new RichOleDocument{owner, edit, nullptr, f, nullptr, 0, nullptr, nullptr};
    f->document = d;
    *document = d;

    CRichEditOleCallback *callback = new CRichEditOleCallback(d, edit);
    callback->AddRef();
    d->callback = callback;
    if (!SendMessageA(edit, EM_SETOLECALLBACK, 0, (LPARAM)(IRichEditOleCallback *)callback)) {
        ShowOleError(owner, IDS_OLE_INIT_FAILED);
        return;
    }
    SendMessageA(edit, EM_GETOLEINTERFACE, 0, (LPARAM)&d->richEditOle);
    if (d->richEditOle)
        d->richEditOle->SetHostNames(OLE_APPLICATION_NAME, d->path ? d->path : OLE_UNTITLED_TEXT);
    SetWindowTextA(edit, "");
}

static void CloseObjects(RichOleDocument *d)
{
    LONG count = d->richEditOle->GetObjectCount();
    for (LONG i = 0; i < count; ++i) {
        REOBJECT object = {};
        object.cbStruct = sizeof object;
        if (FAILED(d->richEditOle->GetObject(i, &object, REO_GETOBJ_POLEOBJ)))
            continue;
        if (object.dwFlags && object.poleobj) {
            d->richEditOle->InPlaceDeactivate();
            object.poleobj->Close(OLECLOSE_NOSAVE);
        }
        if (object.poleobj)
            object.poleobj->Release();
    }
}

void RichOleDetach(RichOleDocument *d, RichOleFrame *frame)
{
    if (d) {
        std::free(d->path);
        if (d->richEditOle) {
            CloseObjects(d);
            d->richEditOle->Release();
        }
        if (d->callback) {
            // The control may outlive the document by a little and still
            // call its callback: it must not find the freed document.
            d->callback->document = nullptr;
            d->callback->Release();
        }
        if (d->frame)
            d->frame->document = nullptr;
        delete d;
    }
    if (frame) {
        frame->document = nullptr;
        frame->Release();
    }
}

BOOL RichOleHoldsObjects(RichOleDocument *d)
{
    return d && d->richEditOle && d->richEditOle->GetObjectCount() > 0;
}

// ---------------------------------------------------------------- insert object

static POINT CaretPoint(HWND edit, LONG at)
{
    POINTL point = {0, 0};
    SendMessageA(edit, EM_POSFROMCHAR, (WPARAM)&point, at);
    POINT p = {point.x, point.y};
    return p;
}

static void FreeIconMetafile(HGLOBAL block)
{
    if (!block)
        return;
    METAFILEPICT *picture = (METAFILEPICT *)GlobalLock(block);
    if (picture) {
        if (picture->hMF)
            DeleteMetaFile(picture->hMF);
        GlobalUnlock(block);
    }
    GlobalFree(block);
}

static void InsertChosenObject(RichOleDocument *d, OLEUIINSERTOBJECTA *dialog, IOleObject *object,
                               IStorage *storage, IOleClientSite *site)
{
    bool created = (dialog->dwFlags & IOF_SELECTCREATENEW) != 0;
    REOBJECT entry = {};
    entry.cbStruct = sizeof entry;
    entry.cp = REO_CP_SELECTION;
    entry.clsid = dialog->clsid;
    entry.poleobj = object;
    entry.pstg = storage;
    entry.polesite = site;
    entry.dvaspect = DVASPECT_CONTENT;
    entry.dwFlags = REO_RESIZABLE | (created ? REO_BLANK : 0);
    if (IsEqualCLSID(entry.clsid, CLSID_NULL)) {
        WCHAR file[OLE_INSERT_FILE_CHARS];
        // The dialog fills the name in; it is ended here whatever it wrote.
        dialog->lpszFile[OLE_INSERT_FILE_CHARS - 1] = 0;
        if (!MultiByteToWideChar(CP_ACP, 0, dialog->lpszFile, -1, file, OLE_INSERT_FILE_CHARS) ||
            FAILED(GetClassFile(file, &entry.clsid)))
            OutputDebugStringA("No CLSID, but continuing on...\r\n");
    }
    if (dialog->dwFlags & IOF_CHECKDISPLAYASICON) {
        BOOL update = FALSE;
        if (FAILED(OleStdSwitchDisplayAspect(object, &entry.dvaspect, DVASPECT_ICON,
                                             dialog->hMetaPict, TRUE, FALSE, nullptr, &update)))
            ShowOleError(d->owner, IDS_OLE_NO_ICON);
    }
    if (FAILED(d->richEditOle->InsertObject(&entry))) {
        ShowOleError(d->owner, IDS_OLE_NOT_INSERTED);
        return;
    }
    if (created) {
        POINT at = CaretPoint(d->edit, -1);
        RECT place = {0, 0, 100, 100};
        OffsetRect(&place, at.x, at.y);
        object->DoVerb(OLEIVERB_SHOW, nullptr, site, 0, d->edit, &place);
    }
}

void RichOleInsertObject(RichOleDocument *d)
{
    if (!d || !d->richEditOle)
        return;
    IOleClientSite *site = nullptr;
    if (FAILED(d->richEditOle->GetClientSite(&site)) || !site) {
        ShowOleError(d->owner, IDS_OLE_NO_CLIENT_SITE);
        return;
    }
    IStorage *storage = nullptr;
    if (FAILED(CreateObjectStorage(&storage))) {
        ShowOleError(d->owner, IDS_OLE_STORAGE_FAILED);
        site->Release();
        return;
    }
    char file[OLE_INSERT_FILE_CHARS] = "";
    IOleObject *object = nullptr;
    OLEUIINSERTOBJECTA dialog = {};
    dialog.cbStruct = sizeof dialog;
    dialog.dwFlags = IOF_SHOWHELP | IOF_SELECTCREATENEW | IOF_CREATENEWOBJECT |
                     IOF_CREATEFILEOBJECT | IOF_CREATELINKOBJECT;
    dialog.hWndOwner = d->owner;
    dialog.lpszFile = file;
    dialog.cchFile = sizeof file;
    dialog.iid = IID_IOleObject;
    dialog.oleRender = OLERENDER_DRAW;
    dialog.lpIOleClientSite = site;
    dialog.lpIStorage = storage;
    dialog.ppvObj = (void **)&object;
    UINT result = OleUIInsertObjectA(&dialog);
    if (result == OLEUI_OK && object)
        InsertChosenObject(d, &dialog, object, storage, site);
    else if (result == OLEUI_IOERR_SCODEHASERROR)
        ShowOleError(d->owner, IDS_OLE_INSERT_SCODE, (long)dialog.sc);
    else if (result != OLEUI_CANCEL && result != OLEUI_OK)
        ShowOleError(d->owner, IDS_OLE_INSERT_RESULT, (long)result);
    FreeIconMetafile(dialog.hMetaPict);
    if (object)
        object->Release();
    storage->Release();
    site->Release();
}

// ---------------------------------------------------------------- paste special

// The names the dialog shows for the formats every program knows; any other
// format is offered under the name it was registered with.
static std::string PasteFormatName(UINT format)
{
    switch (format) {
    case CF_TEXT:
    case CF_OEMTEXT:
    case CF_DSPTEXT:
        return "Plain Text";
    case CF_BITMAP:
    case CF_DIF:
    case CF_DIB:
    case CF_DSPBITMAP:
        return "Bitmap";
    case CF_METAFILEPICT:
    case CF_DSPENHMETAFILE:
        return "Meta File Picture";
    case CF_UNICODETEXT:
        return "Unicode Text";
    }
    char name[256];
    int length = GetClipboardFormatNameA(format, name, sizeof name);
    return length > 0 && length < (int)sizeof name ? std::string(name, (size_t)length)
                                                   : std::string();
}

void CollectPasteChoices(HWND owner, PasteChoices *choices)
{
    choices->names.clear();
    choices->entries.clear();
    if (!OpenClipboard(owner))
        return;
    for (UINT format = EnumClipboardFormats(0);
         format && choices->names.size() < OLE_PASTE_ENTRIES_MAX;
         format = EnumClipboardFormats(format)) {
        std::string name = PasteFormatName(format);
        if (name.empty())
            continue;
        choices->names.push_back(name);
        OLEUIPASTEENTRYA entry = {};
        entry.fmtetc.cfFormat = (CLIPFORMAT)format;
        entry.fmtetc.dwAspect = DVASPECT_CONTENT;
        entry.fmtetc.lindex = -1;
        choices->entries.push_back(entry);
    }
    CloseClipboard();
    // The names are pointed at only now that none of them can move again.
    for (size_t i = 0; i < choices->entries.size(); ++i) {
        choices->entries[i].lpstrFormatName = choices->names[i].c_str();
        choices->entries[i].lpstrResultText = choices->names[i].c_str();
    }
}

void RichOlePasteSpecial(RichOleDocument *d)
{
    if (!d)
        return;
    IDataObject *data = nullptr;
    if (FAILED(OleGetClipboard(&data)) || !data)
        return;
    PasteChoices choices;
    CollectPasteChoices(d->owner, &choices);
    OLEUIPASTESPECIALA dialog = {};
    dialog.cbStruct = sizeof dialog;
    dialog.dwFlags = PSF_SELECTPASTE;
    dialog.hWndOwner = d->owner;
    dialog.lpSrcDataObj = data;
    dialog.arrPasteEntries = choices.entries.data();
    dialog.cPasteEntries = (int)choices.entries.size();
    if (!choices.entries.empty() && OleUIPasteSpecialA(&dialog) == OLEUI_OK &&
        dialog.nSelectedIndex >= 0 && dialog.nSelectedIndex < (int)choices.entries.size())
        SendMessageA(d->edit, EM_PASTESPECIAL,
                     choices.entries[(size_t)dialog.nSelectedIndex].fmtetc.cfFormat, 0);
    data->Release();
}

// ---------------------------------------------------------------- verbs and the active object

BOOL RichOleVerbCommand(RichOleDocument *d, int id)
{
    if (id < OLE_VERB_FIRST || id > OLE_VERB_LAST)
        return FALSE;
    if (!d || !d->richEditOle)
        return FALSE;
    DWORD start = 0;
    SendMessageA(d->edit, EM_GETSEL, (WPARAM)&start, 0);
    REOBJECT object = {};
    object.cbStruct = sizeof object;
    object.cp = (LONG)start;
    if (FAILED(d->richEditOle->GetObject(REO_IOB_USE_CP, &object,
                                         REO_GETOBJ_POLEOBJ | REO_GETOBJ_POLESITE)))
        return TRUE;
    HDC screen = GetDC(nullptr);
    int dpiX = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    int dpiY = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen)
        ReleaseDC(nullptr, screen);
    RECT place = {0, 0, MulDiv(object.sizel.cx, dpiX, 2540), MulDiv(object.sizel.cy, dpiY, 2540)};
    POINT at = CaretPoint(d->edit, (LONG)start);
    OffsetRect(&place, at.x, at.y);
    if (object.poleobj)
        object.poleobj->DoVerb(id - OLE_VERB_FIRST, nullptr, object.polesite, 0, d->edit, &place);
    if (object.poleobj)
        object.poleobj->Release();
    if (object.polesite)
        object.polesite->Release();
    return TRUE;
}

void RichOleResizeBorder(RichOleFrame *frame)
{
    IOleInPlaceActiveObject *active = ActiveObject();
    if (!active || !frame || frame->madeActive != active)
        return;
    RECT client;
    GetClientRect(frame->window, &client);
    active->ResizeBorder(&client, frame, TRUE);
}

void RichOleFrameActivate(BOOL activate)
{
    IOleInPlaceActiveObject *active = ActiveObject();
    if (active)
        active->OnFrameWindowActivate(activate);
}

void RichOleFocusActiveObject(void)
{
    IOleInPlaceActiveObject *active = ActiveObject();
    HWND window = nullptr;
    if (active && SUCCEEDED(active->GetWindow(&window)) && window)
        SetFocus(window);
}

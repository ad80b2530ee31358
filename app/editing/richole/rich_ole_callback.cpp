#include <oledlg.h>

#include "core/note_editor/editor_menu.h"
#include "core/note_editor/note_edit.h"
#include "plain_text_data.h"
#include "rich_ole.h"
#include "rich_ole_ids.h"

CRichEditOleCallback::CRichEditOleCallback(RichOleDocument *document, HWND edit)
    : dragged(FALSE), references(0), document(document), edit(edit)
{
}

STDMETHODIMP CRichEditOleCallback::QueryInterface(REFIID iid, void **object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IRichEditOleCallback)) {
        *object = static_cast<IRichEditOleCallback *>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CRichEditOleCallback::AddRef()
{
    return (ULONG)InterlockedIncrement(&references);
}

STDMETHODIMP_(ULONG) CRichEditOleCallback::Release()
{
    LONG left = InterlockedDecrement(&references);
    if (left == 0)
        delete this;
    return (ULONG)left;
}

STDMETHODIMP CRichEditOleCallback::GetNewStorage(LPSTORAGE *storage)
{
    return CreateObjectStorage(storage);
}

STDMETHODIMP CRichEditOleCallback::GetInPlaceContext(LPOLEINPLACEFRAME *frame,
                                                     LPOLEINPLACEUIWINDOW *window,
                                                     LPOLEINPLACEFRAMEINFO info)
{
    if (!frame || !window || !info || !document || !document->frame) {
        OutputDebugStringA(
            "CRichEditOleCallback::GetInPlaceContext() received an invalid argument.\r\n");
        return E_INVALIDARG;
    }
    RichOleFrame *own = document->frame;
    own->AddRef();
    *frame = own;
    own->AddRef();
    *window = own;
    info->fMDIApp = FALSE;
    info->hwndFrame = document->owner;
    info->haccel = document->accelerators;
    info->cAccelEntries =
        document->accelerators ? (UINT)CopyAcceleratorTableA(document->accelerators, nullptr, 0) : 0;
    return S_OK;
}

STDMETHODIMP CRichEditOleCallback::ShowContainerUI(BOOL show)
{
    RichOleFrame *frame = document ? document->frame : nullptr;
    if (!frame)
        return E_FAIL;
    if (show) {
        RECT none = {0, 0, 0, 0};
        frame->SetBorderSpace(&none);
        frame->SetMenu(nullptr, nullptr, nullptr);
    } else {
        RedrawWindow(document->owner, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    return S_OK;
}

// Objects and drops can reach the text without a message to the control: the
// next save must not take the text it kept from before.
STDMETHODIMP CRichEditOleCallback::QueryInsertObject(LPCLSID, LPSTORAGE, LONG)
{
    MarkNoteTextChanged(edit);
    return S_OK;
}

STDMETHODIMP CRichEditOleCallback::DeleteObject(LPOLEOBJECT)
{
    MarkNoteTextChanged(edit);
    return S_OK;
}

STDMETHODIMP CRichEditOleCallback::QueryAcceptData(LPDATAOBJECT, CLIPFORMAT *, DWORD, BOOL, HGLOBAL)
{
    MarkNoteTextChanged(edit);
    return S_OK;
}

STDMETHODIMP CRichEditOleCallback::ContextSensitiveHelp(BOOL)
{
    return E_NOTIMPL;
}

// The control copies in its own way; the editor's menu is stale after a copy.
// Its writer stops at a picture it cannot write (a bitmap) and says nothing:
// such a selection goes out as its characters, all of them, rather than as
// rich text cut off at the picture.
STDMETHODIMP CRichEditOleCallback::GetClipboardData(CHARRANGE *range, DWORD, LPDATAOBJECT *object)
{
    RemoveSyntaxMenu();
    if (!range || !object || SelectionStreamsWhole(edit))
        return E_NOTIMPL;
    return MakePlainTextDataObject(edit, *range, object) == 0 ? S_OK : E_NOTIMPL;
}

STDMETHODIMP CRichEditOleCallback::GetDragDropEffect(BOOL, DWORD, LPDWORD)
{
    MarkNoteTextChanged(edit);
    dragged = TRUE;
    return E_NOTIMPL;
}

// Without an object the editor shows its own menu: it is built here and the
// control is asked to show it as after a right click.
static void ShowEditorMenuLater(HWND edit)
{
    POINT at;
    GetCursorPos(&at);
    ScreenToClient(edit, &at);
    BuildSyntaxMenu();
    PostMessageA(edit, WM_RBUTTONUP, 0, MAKELPARAM(at.x, at.y));
}

STDMETHODIMP CRichEditOleCallback::GetContextMenu(WORD, LPOLEOBJECT object, CHARRANGE *,
                                                  HMENU *menu)
{
    if (menu)
        *menu = nullptr;
    if (dragged) {
        dragged = FALSE;
        return E_NOTIMPL;
    }
    if (!object) {
        if (!CurrentSyntaxMenu())
            ShowEditorMenuLater(edit);
        return S_OK;
    }
    RemoveSyntaxMenu();
    HMENU popup = CreatePopupMenu();
    if (!popup)
        return E_FAIL;
    HMENU verbs = nullptr;
    OleUIAddVerbMenuA(object, nullptr, popup, 0, OLE_VERB_FIRST, OLE_VERB_LAST, TRUE,
                      OLE_VERB_CONVERT, &verbs);
    if (menu)
        *menu = popup;
    else
        DestroyMenu(popup);
    return S_OK;
}

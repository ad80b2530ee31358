#include "rich_ole.h"

#include <cstdio>

RichOleFrame::RichOleFrame(HWND window)
    : references(0), window(window), helpMode(FALSE), document(nullptr), madeActive(nullptr), borderWidths{}
{
}

RichOleFrame::~RichOleFrame()
{
    if (references != 0) {
        char trace[80];
        std::snprintf(trace, sizeof trace, "WARNING!!! Object destroyed with m_cRef = %ld!\r\n",
                      (long)references);
        OutputDebugStringA(trace);
    }
    if (madeActive && madeActive == ActiveObject())
        SetActiveObject(nullptr, nullptr);
}

STDMETHODIMP RichOleFrame::QueryInterface(REFIID iid, void **object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleWindow) ||
        IsEqualIID(iid, IID_IOleInPlaceUIWindow) || IsEqualIID(iid, IID_IOleInPlaceFrame)) {
        *object = static_cast<IOleInPlaceFrame *>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) RichOleFrame::AddRef()
{
    return (ULONG)InterlockedIncrement(&references);
}

STDMETHODIMP_(ULONG) RichOleFrame::Release()
{
    LONG left = InterlockedDecrement(&references);
    if (left == 0)
        delete this;
    return (ULONG)left;
}

STDMETHODIMP RichOleFrame::GetWindow(HWND *out)
{
    if (!out)
        return E_INVALIDARG;
    *out = window;
    return S_OK;
}

STDMETHODIMP RichOleFrame::ContextSensitiveHelp(BOOL enter)
{
    if (helpMode == enter)
        return S_OK;
    helpMode = enter;
    IOleInPlaceActiveObject *active = ActiveObject();
    IOleInPlaceObject *inPlace = nullptr;
    if (active && SUCCEEDED(active->QueryInterface(IID_IOleInPlaceObject, (void **)&inPlace))) {
        inPlace->ContextSensitiveHelp(enter);
        inPlace->Release();
    }
    return S_OK;
}

STDMETHODIMP RichOleFrame::GetBorder(LPRECT border)
{
    if (!border)
        return E_INVALIDARG;
    return GetClientRect(window, border) ? S_OK : E_FAIL;
}

STDMETHODIMP RichOleFrame::RequestBorderSpace(LPCBORDERWIDTHS)
{
    return S_OK;
}

// The object's tools take the border; the note's text gets what is left.
STDMETHODIMP RichOleFrame::SetBorderSpace(LPCBORDERWIDTHS widths)
{
    HWND edit = document ? document->edit : nullptr;
    if (!edit)
        return S_OK;
    RECT now;
    GetWindowRect(edit, &now);
    MapWindowPoints(nullptr, window, (POINT *)&now, 2);
    RECT wanted = now;
    if (widths) {
        GetClientRect(window, &wanted);
        wanted.left += widths->left;
        wanted.top += widths->top;
        wanted.right -= widths->right;
        wanted.bottom -= widths->bottom;
        borderWidths = *widths;
    } else {
        SetRectEmpty(&borderWidths);
    }
    if (!EqualRect(&wanted, &now))
        SetWindowPos(edit, nullptr, wanted.left, wanted.top, wanted.right - wanted.left,
                     wanted.bottom - wanted.top, SWP_NOZORDER | SWP_NOACTIVATE);
    return S_OK;
}

STDMETHODIMP RichOleFrame::SetActiveObject(IOleInPlaceActiveObject *object, LPCOLESTR)
{
    IOleInPlaceActiveObject *previous = ActiveObject();
    if (object)
        object->AddRef();
    ActiveInPlaceObject = object;
    madeActive = object;
    if (previous)
        previous->Release();
    return S_OK;
}

// The container has no menu of its own to share.
STDMETHODIMP RichOleFrame::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS widths)
{
    if (!widths)
        return E_INVALIDARG;
    widths->width[0] = 1;
    widths->width[2] = 0;
    widths->width[4] = 0;
    return S_OK;
}

STDMETHODIMP RichOleFrame::SetMenu(HMENU shared, HOLEMENU descriptor, HWND objectWindow)
{
    ShowWindow(window, SW_HIDE);
    ::SetMenu(window, descriptor ? shared : nullptr);
    DrawMenuBar(window);
    ShowWindow(window, SW_SHOW);
    return OleSetMenuDescriptor(descriptor, window, objectWindow, this, ActiveObject());
}

STDMETHODIMP RichOleFrame::RemoveMenus(HMENU shared)
{
    while (shared && GetMenuItemCount(shared) > 0)
        if (!RemoveMenu(shared, 0, MF_BYPOSITION))
            break;
    return S_OK;
}

STDMETHODIMP RichOleFrame::SetStatusText(LPCOLESTR)
{
    return S_OK;
}

STDMETHODIMP RichOleFrame::EnableModeless(BOOL)
{
    return S_OK;
}

STDMETHODIMP RichOleFrame::TranslateAccelerator(LPMSG message, WORD)
{
    HACCEL table = document ? document->accelerators : nullptr;
    if (table && message && ::TranslateAcceleratorA(window, table, message))
        return S_OK;
    return S_FALSE;
}

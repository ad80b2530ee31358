#include "check_list_drop.h"

#include <cstring>

#include "check_list_ids.h"
#include "core/notes_table/notes_file_format.h"

static FORMATETC TextFormat(void)
{
    FORMATETC format = {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return format;
}

bool TextOfBlock(HGLOBAL block, std::string *text)
{
    const char *bytes = block ? (const char *)GlobalLock(block) : nullptr;
    if (!bytes)
        return false;
    size_t size = (size_t)GlobalSize(block);
    size_t length = size < (size_t)CHECK_LIST_TEXT_CHARS ? size : (size_t)CHECK_LIST_TEXT_CHARS;
    const void *nul = std::memchr(bytes, 0, length);
    text->assign(bytes, nul ? (size_t)((const char *)nul - bytes) : length);
    GlobalUnlock(block);
    return true;
}

bool TakeDroppedText(IDataObject *data, std::string *text)
{
    text->clear();
    if (!data)
        return false;
    FORMATETC format = TextFormat();
    STGMEDIUM medium = {};
    if (FAILED(data->GetData(&format, &medium)))
        return false;
    bool got = medium.tymed == TYMED_HGLOBAL && TextOfBlock(medium.hGlobal, text);
    ReleaseStgMedium(&medium);
    return got;
}

CheckListDropTarget::CheckListDropTarget(HWND dialog)
    : references(0), dialog(dialog), textOffered(false)
{
}

STDMETHODIMP CheckListDropTarget::QueryInterface(REFIID iid, void **object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
        *object = static_cast<IDropTarget *>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CheckListDropTarget::AddRef()
{
    return (ULONG)InterlockedIncrement(&references);
}

// The dialog deletes the object when it goes: the count is only reported.
STDMETHODIMP_(ULONG) CheckListDropTarget::Release()
{
    return (ULONG)InterlockedDecrement(&references);
}

// A drop copies: the text stays where it was dragged from.
static DWORD CopyEffect(bool offered, DWORD allowed)
{
    return offered && (allowed & DROPEFFECT_COPY) ? DROPEFFECT_COPY : DROPEFFECT_NONE;
}

STDMETHODIMP CheckListDropTarget::DragEnter(IDataObject *data, DWORD, POINTL, DWORD *effect)
{
    FORMATETC format = TextFormat();
    textOffered = data && data->QueryGetData(&format) == S_OK;
    if (effect)
        *effect = CopyEffect(textOffered, *effect);
    return S_OK;
}

STDMETHODIMP CheckListDropTarget::DragOver(DWORD, POINTL, DWORD *effect)
{
    if (effect)
        *effect = CopyEffect(textOffered, *effect);
    return S_OK;
}

STDMETHODIMP CheckListDropTarget::DragLeave()
{
    textOffered = false;
    return S_OK;
}

STDMETHODIMP CheckListDropTarget::Drop(IDataObject *data, DWORD, POINTL, DWORD *effect)
{
    textOffered = false;
    DWORD allowed = effect ? *effect : DROPEFFECT_COPY;
    if (effect)
        *effect = DROPEFFECT_NONE;
    std::string text;
    if (!(allowed & DROPEFFECT_COPY) || !TakeDroppedText(data, &text))
        return S_OK;
    SendMessageA(dialog, WM_USER, CHECK_LIST_ADD_TEXT, (LPARAM)text.c_str());
    if (effect)
        *effect = DROPEFFECT_COPY;
    return S_OK;
}

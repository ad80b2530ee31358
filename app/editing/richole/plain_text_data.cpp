#include "plain_text_data.h"

#include <shlobj.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "core/notes_table/rich_text_stream.h"

namespace {

const FORMATETC Formats[] = {
    {CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL},
    {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL},
};
const int FORMAT_COUNT = sizeof Formats / sizeof *Formats;

class PlainTextData : public IDataObject {
public:
    PlainTextData(std::wstring wide, std::string narrow)
        : references(1), wide(std::move(wide)), narrow(std::move(narrow))
    {
    }

    STDMETHODIMP QueryInterface(REFIID iid, void **object) override
    {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
            *object = static_cast<IDataObject *>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return (ULONG)InterlockedIncrement(&references); }
    STDMETHODIMP_(ULONG) Release() override
    {
        LONG left = InterlockedDecrement(&references);
        if (left == 0)
            delete this;
        return (ULONG)left;
    }

    STDMETHODIMP GetData(FORMATETC *format, STGMEDIUM *medium) override
    {
        if (!format || !medium)
            return E_INVALIDARG;
        HRESULT known = QueryGetData(format);
        if (known != S_OK)
            return known;
        const void *bytes = format->cfFormat == CF_UNICODETEXT ? (const void *)wide.c_str()
                                                               : (const void *)narrow.c_str();
        size_t size = format->cfFormat == CF_UNICODETEXT ? (wide.size() + 1) * sizeof(wchar_t)
                                                         : narrow.size() + 1;
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
        void *into = block ? GlobalLock(block) : nullptr;
        if (!into) {
            if (block)
                GlobalFree(block);
            return E_OUTOFMEMORY;
        }
        std::memcpy(into, bytes, size);
        GlobalUnlock(block);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = block;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    STDMETHODIMP GetDataHere(FORMATETC *, STGMEDIUM *) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC *format) override
    {
        if (!format)
            return E_INVALIDARG;
        if (format->cfFormat != CF_UNICODETEXT && format->cfFormat != CF_TEXT)
            return DV_E_FORMATETC;
        if (!(format->tymed & TYMED_HGLOBAL))
            return DV_E_TYMED;
        return format->dwAspect == DVASPECT_CONTENT ? S_OK : DV_E_DVASPECT;
    }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC *, FORMATETC *out) override
    {
        if (out)
            out->ptd = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP SetData(FORMATETC *, STGMEDIUM *, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC **formats) override
    {
        if (!formats)
            return E_INVALIDARG;
        *formats = nullptr;
        if (direction != DATADIR_GET)
            return E_NOTIMPL;
        return SHCreateStdEnumFmtEtc(FORMAT_COUNT, Formats, formats);
    }
    STDMETHODIMP DAdvise(FORMATETC *, DWORD, IAdviseSink *, DWORD *) override
    {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA **) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    virtual ~PlainTextData() = default;
    LONG references;
    std::wstring wide;
    std::string narrow;
};

// The selection's characters in one code page; an object stands as one
// character of its own.
template <class Char> std::basic_string<Char> SelectionText(HWND edit, LONG length, UINT codePage)
{
    // A double-byte code page may need two bytes a character.
    std::basic_string<Char> text((size_t)length * 2 + 2, Char(0));
    GETTEXTEX get = {(DWORD)(text.size() * sizeof(Char)), GT_SELECTION | GT_USECRLF, codePage,
                     nullptr, nullptr};
    LRESULT got = SendMessageA(edit, EM_GETTEXTEX, (WPARAM)&get, (LPARAM)&text[0]);
    if (got < 0 || (size_t)got >= text.size())
        got = 0;
    text.resize((size_t)got);
    return text;
}

} // namespace

bool SelectionStreamsWhole(HWND edit)
{
    MemoryWriter writer = {};
    int streamed = StreamRichTextOut(edit, &writer, nullptr, SF_RTF | SFF_SELECTION);
    std::free(writer.block);
    return streamed == STREAM_OUT_WHOLE;
}

int MakePlainTextDataObject(HWND edit, const CHARRANGE &range, IDataObject **object)
{
    *object = nullptr;
    CHARRANGE selection = {0, 0};
    SendMessageA(edit, EM_EXGETSEL, 0, (LPARAM)&selection);
    LONG length = selection.cpMax - selection.cpMin;
    // The control asks for the selection; any other range is left to it.
    if (range.cpMin != selection.cpMin || range.cpMax != selection.cpMax || length <= 0 ||
        length > (LONG)(16u << 20))
        return -1;
    PlainTextData *data = new (std::nothrow) PlainTextData(
        SelectionText<wchar_t>(edit, length, 1200), SelectionText<char>(edit, length, CP_ACP));
    if (!data)
        return -1;
    *object = data;
    return 0;
}

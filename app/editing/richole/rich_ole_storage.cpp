#include "rich_ole.h"
#include "rich_ole_ids.h"

#include "ui_seams.h"

HRESULT CreateObjectStorage(IStorage **storage)
{
    if (!storage)
        return E_INVALIDARG;
    *storage = nullptr;
    ILockBytes *bytes = nullptr;
    HRESULT result = CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes);
    if (FAILED(result))
        return result;
    result = StgCreateDocfileOnILockBytes(bytes, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                                          0, storage);
    bytes->Release();
    return result;
}

// Drops the cached views of the old aspect, after the new one is cached.
static void UncacheAspect(IOleCache *cache, DWORD aspect)
{
    IEnumSTATDATA *entries = nullptr;
    if (FAILED(cache->EnumCache(&entries)) || !entries)
        return;
    STATDATA entry;
    while (entries->Next(1, &entry, nullptr) == S_OK) {
        if (entry.formatetc.dwAspect == aspect)
            cache->Uncache(entry.dwConnection);
        if (entry.pAdvSink)
            entry.pAdvSink->Release();
    }
    if (entries->Release() != 0)
        ZtMessageBox(nullptr, OLE_CACHE_ENUM_TEXT, OLE_APPLICATION_NAME, MB_ICONEXCLAMATION);
}

HRESULT OleStdSwitchDisplayAspect(IOleObject *object, DWORD *currentAspect, DWORD newAspect,
                                  HGLOBAL iconMetafile, BOOL deleteOldAspect,
                                  BOOL setUpViewAdvise, IAdviseSink *sink, BOOL *mustUpdate)
{
    if (!object || !currentAspect)
        return E_INVALIDARG;
    if (mustUpdate)
        *mustUpdate = FALSE;
    IOleCache *cache = nullptr;
    HRESULT result = object->QueryInterface(IID_IOleCache, (void **)&cache);
    if (FAILED(result))
        return result;
    FORMATETC format = {0, nullptr, newAspect, -1, TYMED_NULL};
    DWORD connection = 0;
    result = cache->Cache(&format, ADVF_PRIMEFIRST, &connection);
    if (FAILED(result)) {
        cache->Release();
        return result;
    }
    if (newAspect == DVASPECT_ICON && iconMetafile) {
        FORMATETC icon = {CF_METAFILEPICT, nullptr, DVASPECT_ICON, -1, TYMED_MFPICT};
        STGMEDIUM medium = {};
        medium.tymed = TYMED_MFPICT;
        medium.hMetaFilePict = iconMetafile;
        cache->SetData(&icon, &medium, FALSE);
    } else if (mustUpdate) {
        *mustUpdate = TRUE;
    }
    if (deleteOldAspect)
        UncacheAspect(cache, *currentAspect);
    IViewObject *view = nullptr;
    if (setUpViewAdvise && sink &&
        SUCCEEDED(object->QueryInterface(IID_IViewObject, (void **)&view))) {
        view->SetAdvise(newAspect, 0, sink);
        view->Release();
    }
    *currentAspect = newAspect;
    cache->Release();
    return S_OK;
}

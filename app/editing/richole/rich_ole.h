// The OLE container inside each note's rich-edit control: one document and
// one in-place frame per note, and the control's OLE callback.
#pragma once
#include <windows.h>
#include <ole2.h>
#include <richedit.h>
#include <richole.h>
#include <oledlg.h>

#include <string>
#include <vector>

struct CRichEditOleCallback;
struct RichOleDocument;
struct RichOleFrame;

// Only one object in the program is active in place at a time: this is it, or null.
extern void *ActiveInPlaceObject;
BOOL ObjectActiveInPlace(void);

// Each note's edit control owns its document and frame (kept in the
// control's state); every call names the one it works on.
void RichOleAttach(HWND edit, HWND owner, RichOleDocument **document, RichOleFrame **frame);
void RichOleDetach(RichOleDocument *document, RichOleFrame *frame);
// Verb commands of the document's selected object; false for other ids.
BOOL RichOleVerbCommand(RichOleDocument *document, int id);
// The active object's tools take the border of this frame when it holds it.
void RichOleResizeBorder(RichOleFrame *frame);
void RichOleFrameActivate(BOOL activate);
void RichOleFocusActiveObject(void);
// Runs the insert-object dialog into the document's control; paste special
// through the container. Nothing happens without a document.
void RichOleInsertObject(RichOleDocument *document);
void RichOlePasteSpecial(RichOleDocument *document);
// Whether the document's control holds embedded objects.
BOOL RichOleHoldsObjects(RichOleDocument *document);

struct RichOleDocument {
    HWND owner;            // the note window
    HWND edit;             // its rich-edit control
    char *path;            // no file is used by notes: null
    RichOleFrame *frame;
    HACCEL accelerators;   // never set: in-place objects get no table
    DWORD reserved;
    CRichEditOleCallback *callback;
    IRichEditOle *richEditOle;
};

// The note window acting as the frame of an object active in place.
struct RichOleFrame : public IOleInPlaceFrame {
    explicit RichOleFrame(HWND window);
    virtual ~RichOleFrame();

    STDMETHODIMP QueryInterface(REFIID iid, void **object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetWindow(HWND *window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enter) override;
    STDMETHODIMP GetBorder(LPRECT border) override;
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS widths) override;
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS widths) override;
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject *object, LPCOLESTR name) override;
    STDMETHODIMP InsertMenus(HMENU shared, LPOLEMENUGROUPWIDTHS widths) override;
    STDMETHODIMP SetMenu(HMENU shared, HOLEMENU descriptor, HWND objectWindow) override;
    STDMETHODIMP RemoveMenus(HMENU shared) override;
    STDMETHODIMP SetStatusText(LPCOLESTR text) override;
    STDMETHODIMP EnableModeless(BOOL enable) override;
    STDMETHODIMP TranslateAccelerator(LPMSG message, WORD id) override;

    LONG references;
    HWND window;
    BOOL helpMode;
    RichOleDocument *document; // the note's document; null once it is detached
    // The object this frame made active in place; only compared, never called:
    // another frame may have taken its place since.
    IOleInPlaceActiveObject *madeActive;
    RECT borderWidths;         // what the active object's tools take of the border
};

struct CRichEditOleCallback : public IRichEditOleCallback {
    CRichEditOleCallback(RichOleDocument *document, HWND edit);
    virtual ~CRichEditOleCallback() {}

    STDMETHODIMP QueryInterface(REFIID iid, void **object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetNewStorage(LPSTORAGE *storage) override;
    STDMETHODIMP GetInPlaceContext(LPOLEINPLACEFRAME *frame, LPOLEINPLACEUIWINDOW *document,
                                   LPOLEINPLACEFRAMEINFO info) override;
    STDMETHODIMP ShowContainerUI(BOOL show) override;
    STDMETHODIMP QueryInsertObject(LPCLSID clsid, LPSTORAGE storage, LONG cp) override;
    STDMETHODIMP DeleteObject(LPOLEOBJECT object) override;
    STDMETHODIMP QueryAcceptData(LPDATAOBJECT data, CLIPFORMAT *format, DWORD operation,
                                 BOOL really, HGLOBAL metaPicture) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enter) override;
    STDMETHODIMP GetClipboardData(CHARRANGE *range, DWORD operation, LPDATAOBJECT *data) override;
    STDMETHODIMP GetDragDropEffect(BOOL drag, DWORD keys, LPDWORD effect) override;
    STDMETHODIMP GetContextMenu(WORD selectionType, LPOLEOBJECT object, CHARRANGE *range,
                                HMENU *menu) override;

    BOOL dragged;
    LONG references;
    RichOleDocument *document; // null once the document is gone
    HWND edit;
};

// The object active in place, or null.
IOleInPlaceActiveObject *ActiveObject(void);

// What Paste Special offers: one entry per format on the clipboard that has
// a name, each entry's texts pointing into names.
struct PasteChoices {
    std::vector<std::string> names;
    std::vector<OLEUIPASTEENTRYA> entries;
};
void CollectPasteChoices(HWND owner, PasteChoices *choices);

HRESULT CreateObjectStorage(IStorage **storage);
HRESULT OleStdSwitchDisplayAspect(IOleObject *object, DWORD *currentAspect, DWORD newAspect,
                                  HGLOBAL iconMetafile, BOOL deleteOldAspect,
                                  BOOL setUpViewAdvise, IAdviseSink *sink, BOOL *mustUpdate);

// Shows the container text of the id (with the value where it holds one).
void ShowOleError(HWND owner, UINT id, long value = 0);

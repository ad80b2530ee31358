// Text dropped on a check list becomes an item.
#pragma once
#include <windows.h>
#include <ole2.h>

#include <string>

class CheckListDropTarget : public IDropTarget {
public:
    explicit CheckListDropTarget(HWND dialog);
    virtual ~CheckListDropTarget() {}

    STDMETHODIMP QueryInterface(REFIID iid, void **object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP DragEnter(IDataObject *data, DWORD keys, POINTL at, DWORD *effect) override;
    STDMETHODIMP DragOver(DWORD keys, POINTL at, DWORD *effect) override;
    STDMETHODIMP DragLeave() override;
    STDMETHODIMP Drop(IDataObject *data, DWORD keys, POINTL at, DWORD *effect) override;

private:
    LONG references;
    HWND dialog;
    bool textOffered; // the drag in progress offers text in global memory
};

// The text of a global block holding CF_TEXT. False when it cannot be read.
bool TextOfBlock(HGLOBAL block, std::string *text);

// The dropped text of a data object: CF_TEXT in global memory, read no
// further than its block (a block need not hold a NUL), at most one item's
// length. False when there is none.
bool TakeDroppedText(IDataObject *data, std::string *text);

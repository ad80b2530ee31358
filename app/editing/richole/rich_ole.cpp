#include "rich_ole.h"

// Least form until the container is built: notes hold no objects.
RichOleDocument *CurrentOleDocument;
RichOleFrame *CurrentOleFrame;
void *ActiveInPlaceObject;

void RichOleAttach(HWND edit, HWND owner, RichOleDocument **document, RichOleFrame **frame)
{
    *document = nullptr;
    *frame = nullptr;
}

void RichOleDetach(void)
{
    CurrentOleDocument = nullptr;
    CurrentOleFrame = nullptr;
}

BOOL RichOleVerbCommand(HWND window, int id)
{
    return FALSE;
}

void RichOleResizeBorder(void)
{
}

void RichOleFrameActivate(BOOL activate)
{
}

void RichOleFocusActiveObject(void)
{
}

// Least forms until the container's dialogs are built.
void RichOleInsertObject(HWND edit)
{
}

void RichOlePasteSpecial(HWND edit)
{
}

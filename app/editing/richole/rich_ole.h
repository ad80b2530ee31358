// The OLE container inside each note's rich-edit control.
#pragma once
#include <windows.h>

struct RichOleDocument;
struct RichOleFrame;

// The container's current document and frame, and the object that is
// active in place (null when none).
extern RichOleDocument *CurrentOleDocument;
extern RichOleFrame *CurrentOleFrame;
extern void *ActiveInPlaceObject;

void RichOleAttach(HWND edit, HWND owner, RichOleDocument **document, RichOleFrame **frame);
void RichOleDetach(void);
// Verb commands of the selected object; false for other ids.
BOOL RichOleVerbCommand(HWND window, int id);
void RichOleResizeBorder(void);
void RichOleFrameActivate(BOOL activate);
void RichOleFocusActiveObject(void);

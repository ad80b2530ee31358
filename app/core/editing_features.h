// What the notes core asks of the editing features (app/editing): the one
// narrow way in, so that the editing features may build on the core while
// the core never includes from them. Each call is built in the editing file
// named above it.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "syntax_file.h"

// calculator_note.cpp: evaluates the caret's line (or the selection) of the
// note's edit control and writes the result, or the error text, on a new
// line behind it. Returns 0, or -1 when nothing could be evaluated.
int RunEditTextOp(HWND note);

// console_mode.cpp: a command interpreter running inside a note.
// 0 on success, -3 when COMSPEC is not set, -2 on any other failure.
int ConsoleStart(int slot);
void ConsoleStop(int slot, int killTree);
// Writes the NUL-ended text to the interpreter's input.
void ConsoleWrite(int slot, const char *text);
// Writes the process tree into the note's text at the caret.
void ConsoleListProcesses(int slot);

// edit_toolbar.cpp: the one floating edit toolbar that follows the focused note.
HWND CreateEditBar(void);
// Attaches the bar to a note and gives it the note's transparency. Returns 1, or 0.
int AttachEditBar(HWND bar, int slot);
// The slot the bar is attached to, or -1.
int EditBarSlot(HWND bar);
// Moves the bar to the note's bottom-left corner and shows it.
void PlaceEditBar(HWND bar, int slot);
// Shows the font size at the caret of the edit control.
void RefreshEditBar(HWND bar, HWND edit);

// richole/rich_ole.cpp: the OLE container inside each note's rich-edit control.
struct RichOleDocument;
struct RichOleFrame;
// Each note's edit control owns its document and frame (kept in the
// control's state); every call names the one it works on. Only one object
// in the program is active in place at a time: this is it, or null.
extern void *ActiveInPlaceObject;
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

// check_list.cpp: the check-list dialog for the note, or null.
HWND CreateCheckList(HWND owner, int slot);
// Appends the items of one list in the item stream form (as the check-list
// file holds them, up to the list's ending NUL). 0, or -1 when the list is
// cut off or damaged (the items before the damage are kept).
int ReadCheckListItems(HWND list, const uint8_t *bytes, size_t size);

// find_replace.cpp: the one find-and-replace dialog shared by all notes.
// The open dialog, or null; the message loop gives it its keyboard messages first.
extern HWND FindReplaceDialog;
// Opens the Find (replace 0) or Replace dialog for the note, or says that one is open.
void OpenFindReplaceDialog(HWND note, int slot, BOOL replace);
// The message "commdlg_FindReplace", registered once.
UINT FindReplaceMessage(void);
// A request of the dialog (lParam of that message) for the note.
LRESULT OnFindReplaceMessage(HWND note, int slot, LPARAM request);
// The note is being destroyed: a dialog it owns goes with it.
void FindReplaceOwnerDestroyed(HWND note);

// print_preview.cpp: dialog 146, the preview, parameter the note's control.
INT_PTR CALLBACK PrintPreviewDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// spell_dialog.cpp: dialog 141, parameter the control's ZettlyEditState.
INT_PTR CALLBACK SpellCheckDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// syntax_richedit.cpp: colours start..end (end -1: to the end) of the
// control as the language of "syntax.cfg"; 0, or -1 for no such language.
int SyntaxFormatRange(HWND edit, int language, LONG start, LONG end, COLORREF baseColour);

// exchange/dde_exchange.cpp: hand-over of notes between copies of the program.
// 1 when the server runs, 0 after a reported failure.
int DdeServerStart(void);
void DdeServerStop(void);
// Gives the file named on the command line to the running copy. Returns 0
// when the running copy acknowledged it, -1 otherwise.
int DdeSendFileToRunningInstance(const char *commandLine);

// exchange/mail.cpp: the "Mail To ..." commands of a note (20310, 20315,
// 20316, 20320): sends and reports what the user must see.
int MailZettlyCommand(HWND owner, int slot, int commandId);
// 0 ready, 2 the MAPI library could not be loaded, 4 an
// entry point is missing.
int MailInit(void);
void MailShutdown(void);

// exchange/export_files.cpp: the folder commands and the import of one file.
int ExportZettliesToFolder(HWND owner, int group);
int ImportZettliesFromFolder(HWND owner);
int ImportZettlyDialog(int slot);
int ExportZettlyDialog(int slot);
// Lets the user pick a file to put into the note (mode 209 over-write, 210 append).
int InsertFileDialog(int mode, int slot);
// Puts the file into the note (mode 209 over-write, 210 append) or makes a
// new note of it (211). 0 / -1.
int InsertFileIntoZettly(const char *path, int mode, int slot);

// printing.cpp, print_preview.cpp: the note commands 20200 and 20205.
// PrintZettly returns 1 unless printing was aborted.
int PrintZettly(HINSTANCE instance, HWND owner, HWND edit);
// The modal print preview (dialog 146) of the note's edit control.
INT_PTR PrintPreviewZettly(HINSTANCE instance, HWND owner, HWND edit);

// spell_dialog.cpp: the edit control's spell-check command 40122 (dialog
// 141). Returns 1 when every word was walked.
int SpellCheckZettly(HWND edit);

// What the notes core asks of the editing features (app/editing): the one
// narrow way in, so that the editing features may build on the core while
// the core neither includes from them nor links them. The program puts
// editing's own calls in place at start-up; until then, and in programs built
// without the editing features (the core's tests), every call is answered by
// a stand-in that does nothing and reports that the feature is not there.
// Each entry names the editing file that builds it.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

struct RichOleDocument;
struct RichOleFrame;

struct EditingFeatures {
    // calculator_note.cpp: evaluates the caret's line (or the selection) of
    // the note's edit control and writes the result, or the error text, on a
    // new line behind it. Returns 0, or -1 when nothing could be evaluated.
    int (*runEditTextOp)(HWND note);

    // console_mode.cpp: a command interpreter running inside a note. 0 on
    // success, -3 when COMSPEC is not set, -2 on any other failure.
    int (*consoleStart)(int slot);
    void (*consoleStop)(int slot, int killTree);
    // Writes the NUL-ended text to the interpreter's input.
    void (*consoleWrite)(int slot, const char *text);
    // Writes the process tree into the note's text at the caret.
    void (*consoleListProcesses)(int slot);

    // edit_toolbar.cpp: the one floating edit toolbar that follows the
    // focused note, or null.
    HWND (*createEditBar)(void);
    // Attaches the bar to a note and gives it the note's transparency. 1, or 0.
    int (*attachEditBar)(HWND bar, int slot);
    // The slot the bar is attached to, or -1.
    int (*editBarSlot)(HWND bar);
    // Moves the bar to the note's bottom-left corner and shows it.
    void (*placeEditBar)(HWND bar, int slot);
    // Shows the font size at the caret of the edit control.
    void (*refreshEditBar)(HWND bar, HWND edit);

    // richole/: the OLE container inside each note's rich-edit control. Each
    // note's edit control owns its document and frame (kept in the control's
    // state); every call names the one it works on. Only one object in the
    // program is active in place at a time.
    BOOL (*objectActiveInPlace)(void);
    void (*richOleAttach)(HWND edit, HWND owner, RichOleDocument **document,
                          RichOleFrame **frame);
    void (*richOleDetach)(RichOleDocument *document, RichOleFrame *frame);
    // Verb commands of the document's selected object; FALSE for other ids.
    BOOL (*richOleVerbCommand)(RichOleDocument *document, int id);
    // The active object's tools take the border of this frame when it holds it.
    void (*richOleResizeBorder)(RichOleFrame *frame);
    void (*richOleFrameActivate)(BOOL activate);
    void (*richOleFocusActiveObject)(void);
    // The insert-object dialog into the document's control; paste special
    // through the container. Nothing happens without a document.
    void (*richOleInsertObject)(RichOleDocument *document);
    void (*richOlePasteSpecial)(RichOleDocument *document);
    // Whether the document's control holds embedded objects: their servers
    // are closed when the note ends, which the end of the process does not do.
    BOOL (*richOleHoldsObjects)(RichOleDocument *document);

    // check_list.cpp: the check-list dialog for the note, or null.
    HWND (*createCheckList)(HWND owner, int slot);
    // Appends the items of one list in the item stream form (as the check-list
    // file holds them, up to the list's ending NUL). 0, or -1 when the list is
    // cut off or damaged (the items before the damage are kept).
    int (*readCheckListItems)(HWND list, const uint8_t *bytes, size_t size);

    // find_replace.cpp: the one find-and-replace dialog shared by all notes.
    // The message loop offers it every message first: TRUE when it took it.
    BOOL (*findReplaceTakesMessage)(MSG *msg);
    // Opens the Find (replace FALSE) or Replace dialog for the note, or says
    // that one is open.
    void (*openFindReplaceDialog)(HWND note, int slot, BOOL replace);
    // The message "commdlg_FindReplace", registered once; 0 when there is none.
    UINT (*findReplaceMessage)(void);
    // A request of the dialog (lParam of that message) for the note.
    LRESULT (*onFindReplaceMessage)(HWND note, int slot, LPARAM request);
    // The note is being destroyed: a dialog it owns goes with it.
    void (*findReplaceOwnerDestroyed)(HWND note);

    // printing.cpp, print_preview.cpp: the note commands 20200 and 20205.
    // printZettly returns 1 unless printing was aborted.
    int (*printZettly)(HINSTANCE instance, HWND owner, HWND edit);
    // Dialog 146, the preview, parameter the note's control.
    DLGPROC printPreviewDlgProc;
    // spell_dialog.cpp: dialog 141, parameter the control's ZettlyEditState.
    DLGPROC spellCheckDlgProc;

    // syntax_config.cpp: the syntax colouring file "syntax.cfg", read at
    // start-up (a missing file leaves the table empty; 0 or -1) and freed at exit.
    int (*loadSyntaxConfig)(const char *path);
    void (*freeSyntaxConfig)(void);
    // The languages for the editor's menus, in file order; null for no such language.
    int (*syntaxLanguageCount)(void);
    const char *(*syntaxLanguageName)(int language);
    // syntax_richedit.cpp: colours start..end (end -1: to the end) of the
    // control as the language of "syntax.cfg"; 0, or -1 for no such language.
    int (*syntaxFormatRange)(HWND edit, int language, LONG start, LONG end,
                             COLORREF baseColour);

    // exchange/dde_exchange.cpp: hand-over of notes between copies of the
    // program. 1 when the server runs, 0 after a reported failure.
    int (*ddeServerStart)(void);
    void (*ddeServerStop)(void);
    // Gives the file named on the command line to the running copy. 0 when
    // the running copy acknowledged it, -1 otherwise.
    int (*ddeSendFileToRunningInstance)(const char *commandLine);

    // exchange/mail.cpp: 0 ready, 2 the MAPI library could not be loaded, 4 an
    // entry point is missing.
    int (*mailInit)(void);
    void (*mailShutdown)(void);
    // Whether MAPI was found by mailInit: the note menu greys "Mail To ..." otherwise.
    BOOL (*mailReady)(void);
    // The "Mail To ..." commands of a note (20310, 20315, 20316, 20320):
    // sends and reports what the user must see.
    int (*mailZettlyCommand)(HWND owner, int slot, int commandId);

    // exchange/export_files.cpp: the folder commands, the import and export
    // of one note, and a file put into a note (mode 209 over-write, 210
    // append) or made into a new note (211). 0 / -1 where not said.
    int (*exportZettliesToFolder)(HWND owner, int group);
    int (*importZettliesFromFolder)(HWND owner);
    int (*importZettlyDialog)(int slot);
    int (*exportZettlyDialog)(int slot);
    int (*insertFileDialog)(int mode, int slot);
    int (*insertFileIntoZettly)(const char *path, int mode, int slot);
};

// The calls in place: editing's own once the program has put them there,
// else the stand-ins.
const EditingFeatures &Editing(void);
// Puts a set of calls in place for the whole program (null: the stand-ins
// again). Every entry must be filled.
void UseEditingFeatures(const EditingFeatures *features);

// The one find-and-replace dialog shared by all notes: the system's modeless
// Find and Replace dialogs, whose requests reach the owning note window.
#pragma once
#include <windows.h>

#include "find_text.h"

// The open dialog, or null.
HWND FindReplaceWindow(void);
// Whether the open dialog took the message (its keyboard messages).
BOOL FindReplaceTakesMessage(MSG *msg);
// Opens the Find (replace 0) or Replace dialog for the note, or says that one is open.
void OpenFindReplaceDialog(HWND note, int slot, BOOL replace);
// The message "commdlg_FindReplace", registered once.
UINT FindReplaceMessage(void);
// A request of the dialog (lParam of that message) for the note.
LRESULT OnFindReplaceMessage(HWND note, int slot, LPARAM request);
// The note is being destroyed: a dialog it owns goes with it.
void FindReplaceOwnerDestroyed(HWND note);

// The note's rich-edit control as find and replace see it.
class RichEditText : public SearchableText {
public:
    explicit RichEditText(HWND edit) : edit(edit) {}
    TextSpan Selection() override;
    void Select(TextSpan span) override;
    TextSpan Find(long from, long to, const char *what, unsigned flags) override;
    void ReplaceSelection(const char *text) override;
    void ScrollToCaret() override;

private:
    HWND edit;
};

// One forward search of the control (FindNextIn); the match's position or -1.
long RichEditFindNext(HWND edit, const FINDREPLACEA *request, long bound, int fromSelectionStart);
// Replaces the selection and searches on (ReplaceNextIn); the match's position or -1.
long RichEditReplaceNext(HWND edit, const FINDREPLACEA *request, long *boundInOut);

// Resource ids of the notes files' dialogs. Plain defines: the resource
// compiler reads this header too.
#pragma once

#define IDD_SAVE_PROGRESS 163
#define IDC_SAVE_PROGRESS_BAR 1128
#define IDD_RELINK_GROUP 151
#define SAVE_PROGRESS_ALPHA 200

#define ROLL_BACK_CAPTION "Possible damagaed zettly records detect!"
#define ROLL_BACK_QUESTION                                                                   \
    "WARNING: Missing file zettly.ok\nThis indicates an incomplete save occurred when "      \
    "zettlies was terminated last.\n\nDo you wish to ROLL-BACK to previous save?"
#define ROLL_BACK_IMPOSSIBLE                                                                 \
    "ROLL-BACK to previous save NOT possible!\nPlease check your zettly data after load is " \
    "completed."
#define RE_ALIGN_CAPTION "Re-Align Warning"
#define RE_ALIGN_TEXT                                                                        \
    "Re-Linking of zettlies to groups completed.\r\n\r\nYou may need to re-align zettlies "  \
    "within affected groups to make them viewable again.\r\nThis option is available by "    \
    "right clicking within a zettly group and selecting \"Re-Align Child Zettlies\"."

#define ROLL_BACK_CHOICES                                                                    \
    "Do you wish to ROLL-BACK to the last good save?\nYes: roll back now.\nNo: keep these "  \
    "zettlies for now; the last good save stays kept and is offered again at the next "      \
    "start.\nCancel: keep these zettlies and let the last good save go."
#define ROLL_BACK_HELD                                                                       \
    "The last good save, kept aside when damaged zettly files were found, is still there."   \
    "\n\n" ROLL_BACK_CHOICES
#define COMMIT_REFUSED                                                                       \
    "The last save was stopped while its new files were put in place, and they do not "      \
    "match what it wrote.\nThe zettlies of the save before are loaded; the unmatched new "   \
    "files are removed."
#define COMMIT_UNFINISHED                                                                    \
    "The last save could not put all of its new files in place: one may be held open by "    \
    "another program.\nThe zettlies of that save are loaded from its new files; the next "   \
    "save puts them in place."

// %s: the cause, as DescribeSaveFailure gives it.
#define SAVE_FAILED_CAPTION "I/O Error"
#define SAVE_NOW_FAILED "Unable to save zettly info: %s."
#define QUIT_SAVE_FAILED                                                                     \
    "Unable to save zettly info: %s.\n\nThe last good save is intact; only the changes "     \
    "since then are not saved.\n\nTry Again: save again (free some space or close the "      \
    "program that holds the file first).\nContinue: quit without saving these changes.\n"    \
    "Cancel: keep Zettlies running."
#define UNSAVED_SESSION_CAPTION "Zettlies not saved"
#define UNSAVED_SESSION                                                                      \
    "The changes of the last session could not be saved when Windows ended it: %s.\n\n"      \
    "The zettlies are loaded as they were at the last good save."

// A note whose text the rich-edit control could not write out whole (a
// picture it cannot write, a fault inside it): one line per note, "%s: %s"
// with its title and what the save could not keep of it.
#define NOTE_NOT_WHOLE_CAPTION "Zettly not saved whole"
#define NOTE_NOT_WHOLE_HEAD                                                                  \
    "The rich-edit control could not write out the whole text of these zettlies, so the "   \
    "save kept what it could:\n\n"
#define NOTE_NOT_WHOLE_LINE "%s: not saved are %s.\n"
#define NOTE_NOT_WHOLE_TAIL                                                                  \
    "\nThey stay as they are on the screen. A picture the control cannot write (a bitmap) " \
    "is the usual cause: remove it and save again."
#define NOTE_UNTITLED "A zettly without a title"
#define NOTE_LOST_CHANGES "its changes since it was loaded or last saved whole"
#define NOTE_LOST_FORMATTING "its formatting and pictures"
#define NOTE_LOST_TEXT "its whole text"
// %s: the note's title. Its window is made again with new settings from a
// copy of its text, which must be whole.
#define NOTE_NOT_COPIED_WHOLE_CAPTION "Preferences Not Applied"
#define NOTE_NOT_COPIED_WHOLE                                                                \
    "%s keeps its window as it was: the rich-edit control could not write out its whole "   \
    "text to copy it into a new one (it stops at a picture it cannot write, such as a "     \
    "bitmap).\nThe new settings are kept and show from the next start."

// Where a saved record holds the stamp of its note's text: the plain-text
// length and the text pointer, which every copy clears when it loads.
enum { NOTE_TEXT_STAMP_LENGTH_AT = 108, NOTE_TEXT_STAMP_CHECK_AT = 112 };

#define SAVED_ASIDE_CAPTION "Zettlies saved aside"
#define SAVED_ASIDE                                                                          \
    "Another copy of Zettlies saved the zettly files after this copy loaded them. So as not " \
    "to write over its zettlies, this copy's are saved beside them, with \"_aside\" in their " \
    "names, and offered at the next start."
#define ASIDE_CHOICES                                                                        \
    "A copy of Zettlies kept its zettlies beside the zettly files (\"_aside\" in their "      \
    "names), because another copy had saved over the files it had loaded.\n\nDo you wish to " \
    "load the zettlies kept aside?\nYes: load them; the zettlies in place now are kept with "  \
    "\"_damaged\" in their names.\nNo: keep these zettlies for now; those kept aside are "      \
    "offered again at the next start.\nCancel: keep these zettlies and let those kept aside go."

// %s: why, the folder APPDATA names, the program's folder.
#define DATA_FOLDER_CAPTION "Zettlies data folder"
#define DATA_FOLDER_UNUSABLE                                                                 \
    "The data folder that APPDATA names cannot be used: %s.\n\n%s\n\nThe zettlies are "      \
    "loaded from and saved in the program's own folder instead:\n%s"

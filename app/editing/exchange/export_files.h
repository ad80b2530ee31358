// Export and import files of single notes and whole folders, and inserting a
// file into a note.
#pragma once
#include <windows.h>

#include "core/notes_table/zettly_record.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

int WriteZettlyFile(const char *path, int slot, int mode);
// WriteZettlyFile that tells why nothing was written: 1 written, 0 the file
// could not be written, EXPORT_TEXT_NOT_WHOLE the rich-edit control could
// not write the note's text out whole (nothing is left on disk then).
enum { EXPORT_TEXT_NOT_WHOLE = -1 };
int WriteZettlyFileChecked(const char *path, int slot, int mode);
// Says that the note's text could not be written out whole; format holds
// one %s for the note's title.
void TellZettlyNotWhole(HWND owner, int slot, const char *format);
int ImportZettlyFile(const char *path, int intoGroup);
int InsertFileIntoZettly(const char *path, int mode, int slot);

int BrowseForExportFolder(HWND owner, char *buffer, int size);
// The work of the two folder commands once the folder is known. Export lists
// the files it could not write in failedNames; both return the notes done.
int ExportZettliesToFolderPath(const char *folder, int group, std::vector<std::string> *failedNames);
int ImportZettliesFromFolderPath(const char *folder);

// The folder commands and the import of one file through the open dialog.
int ExportZettliesToFolder(HWND owner, int group);
int ImportZettliesFromFolder(HWND owner);
int ImportZettlyDialog(int slot);
int ExportZettlyDialog(int slot);
int InsertFileDialog(int mode, int slot);

// Shared with the DDE server and e-mail: the whole of a file (-1 when it
// cannot be read, READ_FILE_TOO_LARGE beyond an export file of the largest
// outside text); a note's text put into its edit control as RTF (-1 when the
// control refuses it) or as plain text; the edit control's plain text.
enum { READ_FILE_TOO_LARGE = -2 };
int ReadWholeFile(const char *path, std::vector<uint8_t> *bytes);
int StreamRichTextIntoZettly(int slot, const char *text, size_t bytes);
void SetZettlyPlainText(int slot, const char *text, size_t bytes);
std::string GetZettlyPlainText(int slot);

// A record from outside, put wholly on the screen's work area.
void PlaceForeignNote(ZettlyRecord *record);
// How text from outside goes into a note to be made from record: RICH_TEXT_OK
// with the plan (word wrap turned off in the record when the plan says so),
// or the reason it cannot.
struct OutsideTextPlan;
int PlanZettlyText(ZettlyRecord *record, const char *text, size_t bytes, bool mayBeRich,
                   OutsideTextPlan *plan);
// Puts planned text into the note made from the planned record.
void PutPlannedText(int slot, const char *text, size_t bytes, const OutsideTextPlan &plan);

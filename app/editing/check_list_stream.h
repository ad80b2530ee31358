// A check list's items as they travel through an open file (the check list's
// read message). The item stream itself, per item a flag digit ("0"
// unchecked, "1" checked), a comma, the text and a NUL, with one more NUL
// ending a note's list, is read and written by the notes file format
// (TakeCheckList, AppendCheckListItem), so a list read from a file and one
// read from the file image in memory are read alike.
#pragma once
#include <cstdio>

#include "core/notes_table/notes_file_format.h"

// Takes the bytes of one list from an open file, up to and including its
// ending NUL, and leaves the file at the next list. Texts longer than a list
// keeps are cut here already. NOTE_TEXT_CUT when the file ends first.
int TakeCheckListBytes(FILE *file, ByteBuffer *bytes);

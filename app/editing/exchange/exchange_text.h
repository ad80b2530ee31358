// Names and plain-text forms of notes that leave the program. No windows.h.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

// Replaces each character that a file name cannot hold (\ / : * ? " < > |)
// by an underscore, in place.
void MakeValidFileName(char *name);

// "title CR LF, one dash per title character, CR LF", or nothing for an empty
// title; appended to out.
void AppendTitleHeading(std::string *out, const char *title);

// The file name a note gets in a folder export: its title, or "[slot]" when it
// has none, with ".exp" and only valid characters. A name already handed out
// in the same export (compared as Windows compares names) gets the slot number
// added, so two notes of the same title both survive.
std::string ExportFileNameFor(const char *title, int slot, std::vector<std::string> *usedNames);

// The file a command line names: what lies between its first double quote and
// the next (or the end), else the whole line, leading and trailing blanks
// dropped. False when nothing is left or it does not fit in size.
bool CommandLineFilePath(const char *commandLine, char *out, size_t size);

// Whether a path names a device rather than a file: the device namespaces
// (\\?\, \\.\, \??\, with either slash) and the reserved names (CON, NUL,
// COM1, LPT1, CONIN$ ... with or without an extension, in any folder).
bool NamesDevice(const char *path);

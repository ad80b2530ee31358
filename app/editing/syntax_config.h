// The syntax table read from "syntax.cfg" beside the program: one for the
// whole process, read at start-up and freed at exit.
#pragma once
#include "syntax_table.h"

// Reads the file; a missing file leaves the table empty. Returns 0 or -1.
int LoadSyntaxConfig(const char *path);
void FreeSyntaxConfig(void);

// The languages for the editor's menus, in file order.
int SyntaxLanguageCount(void);
// Null when there is no such language.
const char *SyntaxLanguageName(int language);

// The table as read.
const SyntaxTable *CurrentSyntaxTable(void);

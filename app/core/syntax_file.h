// The syntax colouring file the notes core reads at start-up and frees at
// exit. Built by the editing features (app/editing/syntax_config.cpp); the
// core sees only these two calls. No windows.h.
#pragma once

// Reads the file; a missing file leaves the table empty. Returns 0 or -1.
int LoadSyntaxConfig(const char *path);
void FreeSyntaxConfig(void);

// The languages for the editor's menus, in file order.
int SyntaxLanguageCount(void);
// Null when there is no such language.
const char *SyntaxLanguageName(int language);

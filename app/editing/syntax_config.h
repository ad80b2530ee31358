// The syntax table read from "syntax.cfg" beside the program.
#pragma once

// Reads the file; a missing file leaves the table empty. Returns 0 or -1.
int LoadSyntaxConfig(const char *path);
void FreeSyntaxConfig(void);

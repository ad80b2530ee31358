// The syntax table read from "syntax.cfg" beside the program: one for the
// whole process, read at start-up and freed at exit.
#pragma once

#include "core/syntax_file.h"

#include "syntax_table.h"

// The languages for the editor's menus, in file order.
const SyntaxTable *CurrentSyntaxTable(void);

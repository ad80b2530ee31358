// A command interpreter running inside a note.
#pragma once

// 0 on success, -3 when COMSPEC is not set, -2 on any other failure.
int ConsoleStart(int slot);
void ConsoleStop(int slot, int killTree);
// Writes the NUL-ended text to the interpreter's input.
void ConsoleWrite(int slot, const char *text);

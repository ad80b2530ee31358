// The installer's pieces: finding its note, handing it over, saving it.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

// Saves the note block through the save dialog. 0 written, -1 otherwise.
int SaveNoteBlockWithDialog(const std::vector<uint8_t> &block);

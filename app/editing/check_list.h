// The check list that floats beside or docks to a note.
#pragma once
#include <windows.h>

#include "core/editing_features.h"

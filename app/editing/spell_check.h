// The spell-check dialog of a note's editor.
#pragma once
#include <windows.h>

#include "core/editing_features.h"

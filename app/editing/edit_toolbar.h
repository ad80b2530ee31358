// The one floating edit toolbar that follows the focused note.
#pragma once
#include <windows.h>

#include "core/editing_features.h"

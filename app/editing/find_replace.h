// The one find-and-replace dialog shared by all notes.
#pragma once
#include <windows.h>

#include "core/editing_features.h"

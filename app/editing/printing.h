// Printing a note and its print preview.
#pragma once
#include <windows.h>

#include "core/editing_features.h"

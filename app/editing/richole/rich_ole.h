// The OLE container inside each note's rich-edit control.
#pragma once
#include <windows.h>

#include "core/editing_features.h"

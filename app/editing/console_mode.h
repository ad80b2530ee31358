// A command interpreter running inside a note.
#pragma once

#include "core/editing_features.h"

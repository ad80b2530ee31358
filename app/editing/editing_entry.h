// The editing features as the notes core calls them: the program puts these
// in place at start-up (UseEditingFeatures, core/editing_features.h).
#pragma once
#include "core/editing_features.h"

const EditingFeatures *ZettliesEditingFeatures(void);

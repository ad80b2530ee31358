// Linked into the test programs of the editing features and into the
// programs that show them: the notes they make get the editing features, as
// the program's notes do, before any test runs.
#include "core/editing_features.h"
#include "editing/editing_entry.h"

static const bool EditingInPlace = (UseEditingFeatures(ZettliesEditingFeatures()), true);

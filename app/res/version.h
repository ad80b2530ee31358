// The program's version, for its version resource.
#pragma once

#define ZETTLIES_VERSION_TEXT "1.0.0"
#define ZETTLIES_VERSION_NUMBERS 1, 0, 0, 0

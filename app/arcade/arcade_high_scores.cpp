// The high-score table kept in the registry between runs of the program.
#include <cstring>

#include "arcade_about.h"
#include "registry_text.h"
#include "ui_seams.h"
#include "arcade_dialog_rules.h"
#include "arcade_ids.h"
#include "arcade_machine.h"

void LoadVuvovirHiScores(void)
{
    HKEY key;
    if (RegOpenKeyExA(ZtRegistryRoot(), VUVOVIR_REGISTRY_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    // Any program can write this value: a table cut short would read as other scores.
    char text[HISCORE_TEXT_LIMIT + 1];
    if (ReadRegistryString(key, VUVOVIR_HISCORE_VALUE, text, sizeof text, REGISTRY_TEXT_WHOLE) ==
        ERROR_SUCCESS)
        ParseHiScoreText(text, std::strlen(text), ArcadeKept.HiScoreTable);
    RegCloseKey(key);
}

int SaveVuvovirHiScores(void)
{
    HKEY key = CreateSettingsKey(VUVOVIR_REGISTRY_KEY, true);
    if (!key)
        return -1;
    char text[HISCORE_TEXT_LIMIT];
    int length = FormatHiScoreText(ArcadeKept.HiScoreTable, text, sizeof text);
    LONG result = ERROR_INVALID_DATA;
    // Stored without its terminator, as earlier copies of the program wrote it.
    if (length >= 0)
        result = WriteRegistryString(key, VUVOVIR_HISCORE_VALUE, text, sizeof text);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? 0 : -1;
}

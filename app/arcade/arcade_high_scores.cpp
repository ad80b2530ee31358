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
        ParseHiScoreText(text, std::strlen(text), HiScoreTable);
    RegCloseKey(key);
}

int SaveVuvovirHiScores(void)
{
    HKEY key;
    if (RegCreateKeyExA(ZtRegistryRoot(), VUVOVIR_REGISTRY_KEY, 0, nullptr, 0, KEY_WRITE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        ZtMessageBox(nullptr, VUVOVIR_REGISTRY_ERROR_TEXT, VUVOVIR_REGISTRY_ERROR_CAPTION,
                     MB_ICONSTOP);
        return -1;
    }
    char text[HISCORE_TEXT_LIMIT];
    int length = FormatHiScoreText(HiScoreTable, text, sizeof text);
    LONG result = ERROR_INVALID_DATA;
    // Stored without its terminator, as earlier copies of the program wrote it.
    if (length >= 0)
        result = RegSetValueExA(key, VUVOVIR_HISCORE_VALUE, 0, REG_SZ, (const BYTE *)text,
                                (DWORD)length);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? 0 : -1;
}

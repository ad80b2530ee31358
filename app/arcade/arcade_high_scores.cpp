// The high-score table kept in the registry between runs of the program.
#include "arcade_about.h"
#include "core/ui_seams.h"
#include "arcade_dialog_rules.h"
#include "arcade_ids.h"
#include "arcade_machine.h"

void LoadVuvovirHiScores(void)
{
    HKEY key;
    if (RegOpenKeyExA(ZtRegistryRoot(), VUVOVIR_REGISTRY_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    // Any program can write this value: read no more than a table can take,
    // and parse only the bytes that came, terminated or not. The spare byte
    // is for the terminator some registries add to a value stored without one.
    char text[HISCORE_TEXT_LIMIT + 1];
    DWORD size = sizeof text;
    DWORD type = 0;
    LONG result = RegQueryValueExA(key, VUVOVIR_HISCORE_VALUE, nullptr, &type, (BYTE *)text, &size);
    if (result == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
        if (size > HISCORE_TEXT_LIMIT && text[HISCORE_TEXT_LIMIT] == 0)
            size = HISCORE_TEXT_LIMIT;
        if (size <= HISCORE_TEXT_LIMIT)
            ParseHiScoreText(text, size, HiScoreTable);
    }
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

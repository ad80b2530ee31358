#include "player_test_support.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "tunelark.h"
#include "module_instance.h"
#include "ui_seams.h"

namespace {
void Put32(std::string &out, unsigned value)
{
    for (int i = 0; i < 4; ++i)
        out += (char)(value >> (8 * i));
}
void Put16(std::string &out, unsigned value)
{
    out += (char)value;
    out += (char)(value >> 8);
}
} // namespace

bool WriteBytes(const std::string &path, const std::string &bytes)
{
    FILE *file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && ok;
}

bool WriteTestWave(const std::string &path, int milliseconds)
{
    const unsigned rate = 44100, frames = rate * milliseconds / 1000;
    std::string data;
    for (unsigned i = 0; i < frames; ++i) {
        short sample = (short)(2000 * sin(2 * 3.14159265358979 * 440 * i / rate));
        Put16(data, (unsigned short)sample);
        Put16(data, (unsigned short)sample);
    }
    std::string file = "RIFF";
    Put32(file, 36 + (unsigned)data.size());
    file += "WAVEfmt ";
    Put32(file, 16);
    Put16(file, 1);
    Put16(file, 2);
    Put32(file, rate);
    Put32(file, rate * 4);
    Put16(file, 4);
    Put16(file, 16);
    file += "data";
    Put32(file, (unsigned)data.size());
    file += data;
    return WriteBytes(path, file);
}

HWND CreateTestPlayer()
{
    SetModuleInstance(GetModuleHandleA(nullptr));
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PLAYER), nullptr, Tunelark, 0);
}

int RowCount(PlayerState *player)
{
    return (int)SendMessageA(player->list, LB_GETCOUNT, 0, 0);
}

std::string RowText(PlayerState *player, int row)
{
    char text[1024] = "";
    if (SendMessageA(player->list, LB_GETTEXTLEN, row, 0) < (LRESULT)sizeof text)
        SendMessageA(player->list, LB_GETTEXT, row, (LPARAM)text);
    return text;
}

#include "test_module.h"

#include <cstdio>

namespace {

void PutBigEndian16(std::vector<unsigned char> &out, int value)
{
    out.push_back((unsigned char)(value >> 8));
    out.push_back((unsigned char)value);
}

// One cell of a pattern: sample number, note period, effect and parameter.
void PutCell(std::vector<unsigned char> &out, int sample, int period, int effect, int parameter)
{
    out.push_back((unsigned char)((sample & 0xF0) | (period >> 8)));
    out.push_back((unsigned char)period);
    out.push_back((unsigned char)(((sample & 0x0F) << 4) | effect));
    out.push_back((unsigned char)parameter);
}

} // namespace

std::vector<unsigned char> MakeTestModule(const std::string &name, int positions, int ticksPerRow)
{
    const int sampleWords = 32, rows = 64, channels = 4;
    const int periodC2 = 428, setSpeed = 0xF, patternBreak = 0xD;
    std::vector<unsigned char> out;
    for (int i = 0; i < 20; ++i)
        out.push_back(i < (int)name.size() ? (unsigned char)name[i] : 0);
    for (int sample = 1; sample <= 31; ++sample) {
        const char *sampleName = sample == 1 ? "square" : "";
        for (int i = 0; i < 22; ++i)
            out.push_back(sampleName[0] && i < 6 ? (unsigned char)sampleName[i] : 0);
        bool used = sample == 1;
        PutBigEndian16(out, used ? sampleWords : 0);
        out.push_back(0);               // finetune
        out.push_back(used ? 64 : 0);   // volume
        PutBigEndian16(out, 0);         // loop start
        PutBigEndian16(out, used ? sampleWords : 1);
    }
    out.push_back((unsigned char)positions);
    out.push_back(127);
    for (int i = 0; i < 128; ++i)
        out.push_back((unsigned char)(i < positions ? i : 0));
    for (char c : std::string("M.K."))
        out.push_back((unsigned char)c);
    for (int pattern = 0; pattern < positions; ++pattern)
        for (int row = 0; row < rows; ++row)
            for (int channel = 0; channel < channels; ++channel) {
                if (row == 0 && channel == 0)
                    PutCell(out, 1, periodC2, setSpeed, ticksPerRow);
                else if (row == 0 && channel == 1)
                    PutCell(out, 0, 0, patternBreak, 0);
                else
                    PutCell(out, 0, 0, 0, 0);
            }
    for (int i = 0; i < sampleWords * 2; ++i)
        out.push_back(i < sampleWords ? 0x60 : 0xA0);
    return out;
}

bool WriteTestModule(const std::string &path, const std::string &name, int positions, int ticksPerRow)
{
    std::vector<unsigned char> bytes = MakeTestModule(name, positions, ticksPerRow);
    FILE *file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && ok;
}

// Fuzz target over the picture filter: the first bytes pick the picture's
// form and the words of its group, the rest is its data. Whatever passes
// must be an enhanced metafile our own check passes again, unchanged.
// Built with libFuzzer where the compiler has it; otherwise the driver below
// feeds it mutations of real pictures under the sanitizers.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "editing/exchange/emf_check.h"
#include "editing/exchange/picture_filter.h"
#include "picture_samples.h"

namespace {

const int HeadBytes = 8;
long passed = 0;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < HeadBytes)
        return 0;
    PictureInfo info = {};
    info.form = data[0] % (PICTURE_OTHER + 1);
    info.mapMode = 8;
    info.picw = data[1] * 40;
    info.pich = data[2] * 40;
    info.picwgoal = (int16_t)(data[3] | data[4] << 8);
    info.picscalex = data[5];
    info.bitsPixel = data[6] % 2 ? 1 : 32;
    info.planes = 1;
    info.widthBytes = data[7];
    // An exact-size copy so any read past the end is caught.
    std::vector<uint8_t> copy(data + HeadBytes, data + size);
    PictureOut out;
    if (FilterPicture(info, copy.data(), copy.size(), &out) != 0) {
        if (!out.emf.empty())
            std::abort();
        return 0;
    }
    ++passed;
    if (CheckEnhancedMetafile(out.emf.data(), out.emf.size(), nullptr, nullptr) != 0)
        std::abort();
    if (out.picwgoal < 1 || out.pichgoal < 1 || out.picw < 1 || out.pich < 1)
        std::abort();
    PictureInfo again = {};
    again.form = PICTURE_EMF;
    PictureOut second;
    if (FilterPicture(again, out.emf.data(), out.emf.size(), &second) != 0 || second.emf != out.emf)
        std::abort();
    return 0;
}

#ifndef ZT_LIBFUZZER
namespace {

std::vector<uint8_t> Head(int form)
{
    return {(uint8_t)form, 50, 50, 0, 0, 100, 1, 2};
}

// Every record the filter translates, and a bitmap of 8 bits with its table.
std::vector<uint8_t> EveryRecordWmf()
{
    std::vector<uint8_t> stretch;
    for (int w : {0x0020, 0x00CC, 0, 2, 2, 0, 0, 30, 40, 10, 10})
        Put16(&stretch, (uint32_t)w);
    PictureBytes dib = Dib(2, 2, 8, {0, 0, 0, 0, 0, 0, 255, 0}, {0, 1, 0, 0, 1, 0, 0, 0}, 0, 2);
    stretch.insert(stretch.end(), dib.begin(), dib.end());
    return Wmf(3)
        .Record(0x020C, {100, 100})
        .Record(0x02FA, {0, 2, 0, 0xFF, 0})
        .Record(0x02FC, {2, 0xFF00, 0, 3})
        .Record(0x012D, {0})
        .Record(0x012D, {1})
        .Record(0x0538, {2, 3, 3, 0, 0, 9, 0, 9, 9, 20, 20, 29, 20, 29, 29})
        .Record(0x0324, {3, 0, 0, 50, 0, 25, 40})
        .Record(0x0325, {2, 0, 90, 90, 0})
        .Record(0x0418, {90, 90, 60, 60})
        .Record(0x061C, {5, 5, 40, 40, 30, 30})
        .Record(0x02FB, {-12, 0, 0, 0, 400, 0, 0, 0, 0, 'A' | 'r' << 8, 'i' | 'a' << 8, 'l'})
        .Record(0x012D, {2})
        .Record(0x0521, {2, 'H' | 'i' << 8, 10, 10})
        .Record(0x0A32, {20, 20, 2, 4, 0, 0, 50, 50, 'O' | 'k' << 8, 6, 6})
        .Record(0x001E, {})
        .Record(0x0127, {-1})
        .Record(0x01F0, {0})
        .RecordBytes(0x0F43, stretch)
        .End();
}

} // namespace

int main(int argc, char **argv)
{
    unsigned seed = argc > 1 ? (unsigned)std::strtoul(argv[1], nullptr, 10) : 12345u;
    long rounds = argc > 2 ? std::atol(argv[2]) : 20000;
    std::srand(seed);
    std::vector<std::vector<uint8_t>> seeds;
    std::vector<uint8_t> dib = QuadrantDib(), wmf = EveryRecordWmf();
    seeds.push_back(Head(PICTURE_DIB));
    seeds.back().insert(seeds.back().end(), dib.begin(), dib.end());
    seeds.push_back(Head(PICTURE_WMF));
    seeds.back().insert(seeds.back().end(), wmf.begin(), wmf.end());
    seeds.push_back(Head(PICTURE_DDB));
    seeds.back().resize(seeds.back().size() + 40, 0x5A);
    // What passes becomes a seed of the enhanced form too.
    for (size_t i = 0; i < 2; ++i) {
        PictureInfo info = {};
        info.form = i ? PICTURE_WMF : PICTURE_DIB;
        PictureOut out;
        const std::vector<uint8_t> &data = i ? wmf : dib;
        if (FilterPicture(info, data.data(), data.size(), &out) != 0) {
            std::fprintf(stderr, "seed %zu does not pass\n", i);
            return 1;
        }
        seeds.push_back(Head(PICTURE_EMF));
        seeds.back().insert(seeds.back().end(), out.emf.begin(), out.emf.end());
    }
    // As the system's control writes a metafile it converted itself.
    std::vector<uint8_t> converted = ControlConvertedEmf();
    seeds.push_back(Head(PICTURE_EMF));
    seeds.back().insert(seeds.back().end(), converted.begin(), converted.end());
    for (long round = 0; round < rounds; ++round) {
        std::vector<uint8_t> data = seeds[(size_t)std::rand() % seeds.size()];
        // Flips, words set to edge values, cuts: counts and sizes that lie.
        int changes = 1 + std::rand() % 6;
        for (int i = 0; i < changes; ++i) {
            size_t at = HeadBytes + (size_t)std::rand() % (data.size() - HeadBytes);
            switch (std::rand() % 4) {
            case 0:
                data[at] ^= (uint8_t)(1u << (std::rand() % 8));
                break;
            case 1:
                data[at] = (uint8_t)std::rand();
                break;
            case 2: {
                static const uint8_t edges[] = {0x00, 0x01, 0x7F, 0x80, 0xFF};
                data[at] = edges[std::rand() % 5];
                if (at + 1 < data.size())
                    data[at + 1] = edges[std::rand() % 5];
                break;
            }
            default:
                if (std::rand() % 4 == 0)
                    data.resize(at);
                break;
            }
            if (data.size() <= HeadBytes)
                break;
        }
        if (std::rand() % 8 == 0)
            data[(size_t)std::rand() % HeadBytes] = (uint8_t)std::rand();
        LLVMFuzzerTestOneInput(data.data(), data.size());
    }
    std::printf("%ld pictures, %ld passed\n", rounds, passed);
    return 0;
}
#endif

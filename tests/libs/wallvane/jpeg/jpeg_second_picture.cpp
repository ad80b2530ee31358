#include "jpeg_second_picture.h"

#include "jpeg_encode_helpers.h"

namespace {

struct Kind {
    const char *name;
    int width, height, channels, subsampling;
    bool progressive;
    int restartInterval;
    int frameMarker; // the SOF marker the stream is given
};

Bytes Encode(const Kind &kind, unsigned seed)
{
    Pixels pixels = MakePixels(kind.width, kind.height, kind.channels, seed);
    bool gray = kind.channels == 1;
    Bitmap bitmap = LayOut(pixels, gray ? JPG_COLOUR_GRAY : JPG_COLOUR_BGR, kind.channels, 0, false);
    EncodeSettings settings;
    settings.jpgChannels = kind.channels;
    settings.jpgColour = gray ? JPG_COLOUR_GRAY : JPG_COLOUR_YCBCR;
    settings.subsampling = kind.subsampling;
    settings.progressive = kind.progressive;
    settings.restartInterval = kind.restartInterval;
    Bytes jpeg;
    if (EncodeToMemory(bitmap, settings, &jpeg) != 0)
        return Bytes();
    for (size_t i = 0; i + 1 < jpeg.size(); i++)
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == JPG_SOF0 || jpeg[i + 1] == JPG_SOF2)) {
            jpeg[i + 1] = (uint8_t)kind.frameMarker;
            break;
        }
    return jpeg;
}

} // namespace

void LargestScanData(const Bytes &jpeg, size_t *start, size_t *end)
{
    *start = *end = 0;
    for (size_t i = 0; i + 4 < jpeg.size(); i++) {
        if (jpeg[i] != 0xFF || jpeg[i + 1] != JPG_SOS)
            continue;
        size_t from = i + 2 + (size_t)(jpeg[i + 2] << 8 | jpeg[i + 3]), to = from;
        while (to + 1 < jpeg.size() &&
               !(jpeg[to] == 0xFF && jpeg[to + 1] != 0 && (jpeg[to + 1] < JPG_RST0 || jpeg[to + 1] > JPG_RST7)))
            to++;
        if (to - from > *end - *start) {
            *start = from;
            *end = to;
        }
        i = to - 1;
    }
}

std::vector<SecondPictureFile> SecondPictureFamily()
{
    const Kind firsts[] = {
        {"baseline 4:2:0", 61, 47, 3, 1, false, 0, JPG_SOF0},
        {"progressive 4:2:0", 61, 47, 3, 1, true, 0, JPG_SOF2},
        {"gray with restarts", 61, 47, 1, 0, false, 2, JPG_SOF0},
    };
    const Kind seconds[] = {
        {"baseline", 227, 149, 3, 1, false, 0, JPG_SOF0},
        {"progressive", 227, 149, 3, 1, true, 0, JPG_SOF2},
        {"gray", 227, 149, 1, 0, false, 0, JPG_SOF0},
        {"extended", 227, 149, 3, 2, false, 0, JPG_SOF1},
        {"small 4:4:4", 24, 16, 3, 0, false, 0, JPG_SOF0},
    };
    std::vector<SecondPictureFile> family;
    unsigned seed = 1;
    for (const Kind &first : firsts) {
        Bytes whole = Encode(first, seed++);
        if (whole.size() < 2)
            return {};
        whole.resize(whole.size() - 2); // no end marker
        size_t start, end;
        LargestScanData(whole, &start, &end);
        size_t cutAt = start + (end - start) / 2;
        if (whole[cutAt - 1] == 0xFF)
            cutAt++;
        Bytes cut(whole.begin(), whole.begin() + cutAt);
        for (const Kind &second : seconds) {
            Bytes next = Encode(second, seed++);
            if (next.empty())
                return {};
            for (bool isCut : {false, true}) {
                SecondPictureFile f;
                f.name = std::string(first.name) + (isCut ? " cut" : " whole") + ", then " + second.name;
                f.first = isCut ? cut : whole;
                f.jpeg = Concat({f.first, next});
                f.width = first.width;
                f.height = first.height;
                family.push_back(f);
            }
        }
    }
    return family;
}

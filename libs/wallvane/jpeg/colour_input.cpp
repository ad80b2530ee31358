// From the caller's bitmap to level-shifted sample blocks, one MCU at a
// time: colour conversion to YCbCr, chroma downsampling, plain channel
// splitting, and padding of MCUs that stick out over the image's edges.
#include "jpeg_encoder.h"

namespace {

// Fixed input routines, numbered as the output kind field reports them.
enum InputKind {
    KIND_GENERIC = 0,
    KIND_RGB_1X1 = 1,
    KIND_BGR_1X1 = 2,
    KIND_RGB_2X2 = 3,
    KIND_BGR_2X2 = 4,
    KIND_RGB_2X1 = 5,
    KIND_BGR_2X1 = 6,
    KIND_RGBA_1X1 = 10,
    KIND_RGBA_2X2 = 11,
    KIND_RGBA_2X1 = 12,
    KIND_SPLIT_4 = 14,
    KIND_SPLIT_3_1X1 = 15,
    KIND_SPLIT_3_2X2 = 16,
    KIND_SPLIT_3_2X1 = 17,
    KIND_PACKED_422 = 18,
    KIND_GRAY = 20,
};

// The per-pixel conversion; the chroma weights sum to zero, so the results
// come out level-shifted.
inline int LumaOf(int r, int g, int b)
{
    return (77 * r + 150 * g + 29 * b - 32640) >> 8;
}

inline int BlueChromaOf(int r, int g, int b, int round, int shift)
{
    return (128 * b - 43 * r - 85 * g + round) >> shift;
}

inline int RedChromaOf(int r, int g, int b, int round, int shift)
{
    return (128 * r - 107 * g - 21 * b + round) >> shift;
}

// Four-channel pixels are stored complemented (Adobe's inverted YCCK
// convention); the sums of n pixels complement to 255 n - sum.
template <bool Complement>
inline int Colour(int sum, int n)
{
    return Complement ? 255 * n - sum : sum;
}

// Whole-MCU kernel of the YCbCr conversions: H x V luminance blocks, one
// block of each chroma from sums of H x V pixels, and with Alpha a fourth
// component sampled like luminance.
template <int R, int G, int B, int Bpp, int H, int V, bool Complement>
void ConvertToYcc(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    int16_t *luma = blocks[0], *cb = blocks[1], *cr = blocks[2];
    for (int row = 0; row < 8 * V; row++) {
        const uint8_t *p = source + row * lineStep;
        int16_t *out = luma + (row >> 3) * H * 64 + (row & 7) * 8;
        for (int column = 0; column < 8 * H; column++, p += Bpp)
            out[(column >> 3) * 64 + (column & 7)] =
                (int16_t)LumaOf(Colour<Complement>(p[R], 1), Colour<Complement>(p[G], 1), Colour<Complement>(p[B], 1));
    }
    const int n = H * V, shift = 8 + (n == 4 ? 2 : n == 2 ? 1 : 0), round = 1 << (shift - 1);
    for (int row = 0; row < 8; row++) {
        const uint8_t *line = source + row * V * lineStep;
        for (int column = 0; column < 8; column++) {
            int sr = 0, sg = 0, sb = 0;
            for (int dy = 0; dy < V; dy++)
                for (int dx = 0; dx < H; dx++) {
                    const uint8_t *p = line + dy * lineStep + (column * H + dx) * Bpp;
                    sr += p[R];
                    sg += p[G];
                    sb += p[B];
                }
            int r = Colour<Complement>(sr, n), g = Colour<Complement>(sg, n), b = Colour<Complement>(sb, n);
            cb[row * 8 + column] = (int16_t)BlueChromaOf(r, g, b, round, shift);
            cr[row * 8 + column] = (int16_t)RedChromaOf(r, g, b, round, shift);
        }
    }
    if (Bpp == 4 && Complement) {
        int16_t *alpha = blocks[3];
        for (int row = 0; row < 8 * V; row++) {
            const uint8_t *p = source + row * lineStep + 3;
            int16_t *out = alpha + (row >> 3) * H * 64 + (row & 7) * 8;
            for (int column = 0; column < 8 * H; column++, p += Bpp)
                out[(column >> 3) * 64 + (column & 7)] = (int16_t)(*p - 128);
        }
    }
}

// Whole-MCU kernel of the plain splits: channel c into component c, the
// later components averaged over H x V pixels.
template <int Channels, int H, int V>
void SplitChannels(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    for (int row = 0; row < 8 * V; row++) {
        const uint8_t *p = source + row * lineStep;
        int16_t *out = blocks[0] + (row >> 3) * H * 64 + (row & 7) * 8;
        for (int column = 0; column < 8 * H; column++, p += Channels)
            out[(column >> 3) * 64 + (column & 7)] = (int16_t)(*p - 128);
    }
    const int n = H * V, shift = n == 4 ? 2 : n == 2 ? 1 : 0;
    for (int c = 1; c < Channels; c++)
        for (int row = 0; row < 8; row++)
            for (int column = 0; column < 8; column++) {
                int sum = 0;
                for (int dy = 0; dy < V; dy++)
                    for (int dx = 0; dx < H; dx++)
                        sum += source[(row * V + dy) * lineStep + (column * H + dx) * Channels + c];
                blocks[c][row * 8 + column] = (int16_t)(((sum + (n >> 1)) >> shift) - 128);
            }
}

// Samples of one pixel at full resolution, for the padded edge MCUs.
typedef void (*PixelConverter)(const uint8_t *line, int x, int out[4]);

template <int R, int G, int B, int Bpp, bool Complement>
void PixelToYcc(const uint8_t *line, int x, int out[4])
{
    const uint8_t *p = line + x * Bpp;
    int r = Colour<Complement>(p[R], 1), g = Colour<Complement>(p[G], 1), b = Colour<Complement>(p[B], 1);
    out[0] = LumaOf(r, g, b);
    out[1] = BlueChromaOf(r, g, b, 128, 8);
    out[2] = RedChromaOf(r, g, b, 128, 8);
    if (Complement)
        out[3] = p[3] - 128;
}

template <int Channels>
void PixelSplit(const uint8_t *line, int x, int out[4])
{
    for (int c = 0; c < Channels; c++)
        out[c] = line[x * Channels + c] - 128;
}

// Y0 Cb Y1 Cr: both pixels of a pair share the pair's chroma.
void PixelPacked422(const uint8_t *line, int x, int out[4])
{
    const uint8_t *pair = line + (x & ~1) * 2;
    out[0] = line[x * 2] - 128;
    out[1] = pair[1] - 128;
    out[2] = pair[3] - 128;
}

struct McuPlace {
    const uint8_t *source;
    int validWidth, validHeight;
};

// Where the MCU's pixels start and how many of them lie inside the image.
McuPlace PlaceMcu(const JPEG_PROPERTIES *props, int column, int row, int bytesPerPixel)
{
    McuPlace place;
    place.source = props->dibRow + (ptrdiff_t)row * props->mcuHeight * props->dibLineStep +
                   (ptrdiff_t)column * props->mcuWidth * bytesPerPixel;
    int right = props->jpgWidth - column * props->mcuWidth;
    int bottom = props->jpgHeight - row * props->mcuHeight;
    place.validWidth = right < props->mcuWidth ? right : props->mcuWidth;
    place.validHeight = bottom < props->mcuHeight ? bottom : props->mcuHeight;
    return place;
}

void ComponentBlocks(JPEG_PROPERTIES *props, int16_t *blocks[JPG_MAX_COMPONENTS])
{
    for (int c = 0; c < JPG_MAX_COMPONENTS; c++)
        blocks[c] = props->mcuBuffer + (c < props->componentCount ? props->componentBlockOffset[c] * 64 : 0);
}

inline int ClampIndex(int i, int valid)
{
    return i < valid ? i : valid - 1;
}

// An edge MCU: every pixel converted at full resolution, the last valid
// column and row repeated, then each component averaged over its box.
void ConvertPaddedMcu(JPEG_PROPERTIES *props, const McuPlace &place, PixelConverter convert, int components)
{
    int width = props->mcuWidth, height = props->mcuHeight;
    int16_t planes[JPG_MAX_COMPONENTS][32 * 32];
    for (int y = 0; y < height; y++) {
        const uint8_t *line = place.source + (ptrdiff_t)ClampIndex(y, place.validHeight) * props->dibLineStep;
        for (int x = 0; x < width; x++) {
            int sample[4] = {0, 0, 0, 0};
            convert(line, ClampIndex(x, place.validWidth), sample);
            for (int c = 0; c < components; c++)
                planes[c][y * 32 + x] = (int16_t)sample[c];
        }
    }
    int16_t *blocks[JPG_MAX_COMPONENTS];
    ComponentBlocks(props, blocks);
    for (int c = 0; c < components; c++) {
        const JpgFrameComponent &fc = props->components[c];
        int boxWidth = props->hMax / fc.h, boxHeight = props->vMax / fc.v, n = boxWidth * boxHeight;
        int shift = n == 4 ? 2 : n == 2 ? 1 : 0;
        for (int by = 0; by < fc.v; by++)
            for (int bx = 0; bx < fc.h; bx++) {
                int16_t *out = blocks[c] + (by * fc.h + bx) * 64;
                for (int r = 0; r < 8; r++)
                    for (int k = 0; k < 8; k++) {
                        int top = (by * 8 + r) * boxHeight, left = (bx * 8 + k) * boxWidth, sum = 0;
                        for (int dy = 0; dy < boxHeight; dy++)
                            for (int dx = 0; dx < boxWidth; dx++)
                                sum += planes[c][(top + dy) * 32 + left + dx];
                        out[r * 8 + k] = (int16_t)((sum + (n >> 1)) >> shift);
                    }
            }
    }
}

// A fixed input routine: the dispatch record's whole-MCU kernel inside the
// image, the padded form of the same conversion at its edges.
template <JpgMcuKernel JpgDispatch::*Slot, PixelConverter Convert, int BytesPerPixel, int Components>
void GetMcuFixed(JPEG_PROPERTIES *props, int column, int row)
{
    McuPlace place = PlaceMcu(props, column, row, BytesPerPixel);
    if (place.validWidth == props->mcuWidth && place.validHeight == props->mcuHeight) {
        int16_t *blocks[JPG_MAX_COMPONENTS];
        ComponentBlocks(props, blocks);
        (props->input.dispatch->*Slot)(place.source, props->dibLineStep, blocks);
    } else {
        ConvertPaddedMcu(props, place, Convert, Components);
    }
}

// The general routines gather each channel of the MCU, edges padded, and
// average or convert from there.
struct ChannelPlanes {
    uint8_t plane[JPG_MAX_COMPONENTS][32 * 32];
    int channels;
};

void GatherChannels(const JPEG_PROPERTIES *props, int column, int row, ChannelPlanes *planes)
{
    int bytesPerPixel = props->dibChannels;
    McuPlace place = PlaceMcu(props, column, row, bytesPerPixel);
    planes->channels = bytesPerPixel < JPG_MAX_COMPONENTS ? bytesPerPixel : JPG_MAX_COMPONENTS;
    for (int y = 0; y < props->mcuHeight; y++) {
        const uint8_t *line = place.source + (ptrdiff_t)ClampIndex(y, place.validHeight) * props->dibLineStep;
        for (int x = 0; x < props->mcuWidth; x++) {
            const uint8_t *p = line + (ptrdiff_t)ClampIndex(x, place.validWidth) * bytesPerPixel;
            for (int c = 0; c < planes->channels; c++)
                planes->plane[c][y * 32 + x] = p[c];
        }
    }
}

// The rounded average of a channel over a component sample's box.
int BoxAverage(const JPEG_PROPERTIES *props, const ChannelPlanes &planes, int channel, int component, int x,
               int y)
{
    const JpgFrameComponent &fc = props->components[component];
    int boxWidth = props->hMax / fc.h, boxHeight = props->vMax / fc.v, n = boxWidth * boxHeight, sum = 0;
    for (int dy = 0; dy < boxHeight; dy++)
        for (int dx = 0; dx < boxWidth; dx++)
            sum += planes.plane[channel][(y * boxHeight + dy) * 32 + x * boxWidth + dx];
    return (sum + n / 2) / n;
}

template <typename SampleOf>
void FillComponentBlocks(JPEG_PROPERTIES *props, SampleOf sampleOf)
{
    int16_t *blocks[JPG_MAX_COMPONENTS];
    ComponentBlocks(props, blocks);
    for (int c = 0; c < props->componentCount; c++) {
        const JpgFrameComponent &fc = props->components[c];
        for (int b = 0; b < fc.h * fc.v; b++)
            for (int i = 0; i < 64; i++)
                blocks[c][b * 64 + i] = (int16_t)sampleOf(c, (b % fc.h) * 8 + (i & 7), (b / fc.h) * 8 + (i >> 3));
    }
}

// Which channel a component comes from without conversion, or -1 for a
// neutral component (chroma of a gray bitmap).
int SourceChannel(const JPEG_PROPERTIES *props, int component, int channels)
{
    int channel = component;
    if (props->dibColour == JPG_COLOUR_BGR && props->jpgColour == JPG_COLOUR_RGB && component < 3)
        channel = 2 - component;
    return channel < channels ? channel : -1;
}

void GetMcuSplitGeneric(JPEG_PROPERTIES *props, int column, int row)
{
    ChannelPlanes planes;
    GatherChannels(props, column, row, &planes);
    FillComponentBlocks(props, [&](int c, int x, int y) {
        int channel = SourceChannel(props, c, planes.channels);
        return channel < 0 ? 0 : BoxAverage(props, planes, channel, c, x, y) - 128;
    });
}

// Conversion from channels 0, 1, 2 taken as R, G, B; any other bitmap
// colour holds the complemented colours of the four-channel layout.
void GetMcuConvertGeneric(JPEG_PROPERTIES *props, int column, int row)
{
    ChannelPlanes planes;
    GatherChannels(props, column, row, &planes);
    bool complement = props->dibColour != JPG_COLOUR_RGB && props->dibColour != JPG_COLOUR_BGR;
    int red = props->dibColour == JPG_COLOUR_BGR ? 2 : 0, blue = 2 - red;
    FillComponentBlocks(props, [&](int c, int x, int y) {
        int r = BoxAverage(props, planes, red, c, x, y), g = BoxAverage(props, planes, 1, c, x, y);
        int b = BoxAverage(props, planes, blue, c, x, y);
        if (complement) {
            r = 255 - r;
            g = 255 - g;
            b = 255 - b;
        }
        return c == 0 ? LumaOf(r, g, b) : c == 1 ? BlueChromaOf(r, g, b, 128, 8) : RedChromaOf(r, g, b, 128, 8);
    });
}

} // namespace

void JpgSplitGray1x1(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    SplitChannels<1, 1, 1>(source, lineStep, blocks);
}
void JpgRgbToYcc1x1(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    ConvertToYcc<0, 1, 2, 3, 1, 1, false>(source, lineStep, blocks);
}
void JpgRgbToYcc2x1(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    ConvertToYcc<0, 1, 2, 3, 2, 1, false>(source, lineStep, blocks);
}
void JpgRgbToYcc2x2(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    ConvertToYcc<0, 1, 2, 3, 2, 2, false>(source, lineStep, blocks);
}
void JpgBgrToYcc1x1(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    ConvertToYcc<2, 1, 0, 3, 1, 1, false>(source, lineStep, blocks);
}
void JpgBgrToYcc2x1(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    ConvertToYcc<2, 1, 0, 3, 2, 1, false>(source, lineStep, blocks);
}
void JpgBgrToYcc2x2(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    ConvertToYcc<2, 1, 0, 3, 2, 2, false>(source, lineStep, blocks);
}
void JpgSplit3Channels1x1(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    SplitChannels<3, 1, 1>(source, lineStep, blocks);
}
void JpgSplit3Channels2x1(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    SplitChannels<3, 2, 1>(source, lineStep, blocks);
}
void JpgSplit3Channels2x2(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    SplitChannels<3, 2, 2>(source, lineStep, blocks);
}
void JpgSplit4Channels1x1(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    SplitChannels<4, 1, 1>(source, lineStep, blocks);
}
void JpgRgbaToYcca1x1(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    ConvertToYcc<0, 1, 2, 4, 1, 1, true>(source, lineStep, blocks);
}
void JpgRgbaToYcca2x1(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    ConvertToYcc<0, 1, 2, 4, 2, 1, true>(source, lineStep, blocks);
}
void JpgRgbaToYcca2x2(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    ConvertToYcc<0, 1, 2, 4, 2, 2, true>(source, lineStep, blocks);
}

void JpgSplitPacked422(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    for (int row = 0; row < 8; row++) {
        const uint8_t *p = source + row * lineStep;
        for (int pair = 0; pair < 8; pair++, p += 4) {
            int16_t *luma = blocks[0] + (pair >> 2) * 64 + row * 8 + (pair & 3) * 2;
            luma[0] = (int16_t)(p[0] - 128);
            luma[1] = (int16_t)(p[2] - 128);
            blocks[1][row * 8 + pair] = (int16_t)(p[1] - 128);
            blocks[2][row * 8 + pair] = (int16_t)(p[3] - 128);
        }
    }
}

namespace {

struct FixedRoutine {
    int kind;
    JpgMcuInputRoutine routine;
};

const FixedRoutine FixedRoutines[] = {
    {KIND_RGB_1X1, GetMcuFixed<&JpgDispatch::enc_cc_rgb_ycc_h1v1, PixelToYcc<0, 1, 2, 3, false>, 3, 3>},
    {KIND_BGR_1X1, GetMcuFixed<&JpgDispatch::enc_cc_bgr_ycc_h1v1, PixelToYcc<2, 1, 0, 3, false>, 3, 3>},
    {KIND_RGB_2X2, GetMcuFixed<&JpgDispatch::enc_cc_rgb_ycc_h2v2, PixelToYcc<0, 1, 2, 3, false>, 3, 3>},
    {KIND_BGR_2X2, GetMcuFixed<&JpgDispatch::enc_cc_bgr_ycc_h2v2, PixelToYcc<2, 1, 0, 3, false>, 3, 3>},
    {KIND_RGB_2X1, GetMcuFixed<&JpgDispatch::enc_cc_rgb_ycc_h2v1, PixelToYcc<0, 1, 2, 3, false>, 3, 3>},
    {KIND_BGR_2X1, GetMcuFixed<&JpgDispatch::enc_cc_bgr_ycc_h2v1, PixelToYcc<2, 1, 0, 3, false>, 3, 3>},
    {KIND_RGBA_1X1, GetMcuFixed<&JpgDispatch::enc_cc_4ch_ycck_h1v1, PixelToYcc<0, 1, 2, 4, true>, 4, 4>},
    {KIND_RGBA_2X2, GetMcuFixed<&JpgDispatch::enc_cc_4ch_ycck_h2v2, PixelToYcc<0, 1, 2, 4, true>, 4, 4>},
    {KIND_RGBA_2X1, GetMcuFixed<&JpgDispatch::enc_cc_4ch_ycck_h2v1, PixelToYcc<0, 1, 2, 4, true>, 4, 4>},
    {KIND_SPLIT_4, GetMcuFixed<&JpgDispatch::enc_in_4ch_h1v1, PixelSplit<4>, 4, 4>},
    {KIND_SPLIT_3_1X1, GetMcuFixed<&JpgDispatch::enc_in_3ch_h1v1, PixelSplit<3>, 3, 3>},
    {KIND_SPLIT_3_2X2, GetMcuFixed<&JpgDispatch::enc_in_3ch_h2v2, PixelSplit<3>, 3, 3>},
    {KIND_SPLIT_3_2X1, GetMcuFixed<&JpgDispatch::enc_in_3ch_h2v1, PixelSplit<3>, 3, 3>},
    {KIND_PACKED_422, GetMcuFixed<&JpgDispatch::enc_in_ycbycr_422, PixelPacked422, 2, 3>},
    {KIND_GRAY, GetMcuFixed<&JpgDispatch::enc_in_gray, PixelSplit<1>, 1, 1>},
};

bool Sampled(const JPEG_PROPERTIES *props, int h, int v)
{
    const JpgFrameComponent *c = props->components;
    return c[0].h == h && c[0].v == v && c[1].h == 1 && c[1].v == 1 && c[2].h == 1 && c[2].v == 1;
}

// 1 for 1x1, 2 for 2x1, 3 for 2x2, 0 for anything else.
int SamplingShape(const JPEG_PROPERTIES *props)
{
    return Sampled(props, 1, 1) ? 1 : Sampled(props, 2, 1) ? 2 : Sampled(props, 2, 2) ? 3 : 0;
}

int ChooseKind(const JPEG_PROPERTIES *props, JpgMcuInputRoutine *generic)
{
    int count = props->componentCount, channels = props->dibChannels, colour = props->dibColour;
    bool convert = props->colourConversionNeeded != 0, down = props->upsamplingNeeded != 0;
    *generic = nullptr;
    if (count == 1) {
        if (!convert) {
            if (colour == JPG_COLOUR_GRAY && channels == 1)
                return KIND_GRAY;
            *generic = GetMcuSplitGeneric;
        } else if ((colour == JPG_COLOUR_RGB || colour == JPG_COLOUR_BGR) && channels == 3) {
            *generic = GetMcuConvertGeneric;
        }
        return KIND_GENERIC;
    }
    if (count == 3 && convert) {
        int shape = SamplingShape(props);
        if (channels == 3 && colour == JPG_COLOUR_RGB && shape)
            return shape == 1 ? KIND_RGB_1X1 : shape == 2 ? KIND_RGB_2X1 : KIND_RGB_2X2;
        if (channels == 3 && colour == JPG_COLOUR_BGR && shape)
            return shape == 1 ? KIND_BGR_1X1 : shape == 2 ? KIND_BGR_2X1 : KIND_BGR_2X2;
        if (channels == 4 && colour == JPG_COLOUR_RGB)
            *generic = GetMcuConvertGeneric;
        return KIND_GENERIC;
    }
    if (count == 3 && props->dibSubsampling == 2)
        return SamplingShape(props) == 2 ? KIND_PACKED_422 : KIND_GENERIC;
    if (count == 3 && channels == 3 && colour != JPG_COLOUR_BGR) {
        int shape = SamplingShape(props);
        if (shape)
            return shape == 1 ? KIND_SPLIT_3_1X1 : shape == 2 ? KIND_SPLIT_3_2X1 : KIND_SPLIT_3_2X2;
    }
    if (count == 4 && convert) {
        const JpgFrameComponent *c = props->components;
        bool alphaLikeLuma = c[3].h == c[0].h && c[3].v == c[0].v;
        int shape = SamplingShape(props);
        if (colour == JPG_COLOUR_RGBA && channels == 4 && alphaLikeLuma && shape)
            return shape == 1 ? KIND_RGBA_1X1 : shape == 2 ? KIND_RGBA_2X1 : KIND_RGBA_2X2;
        return KIND_GENERIC;
    }
    if (count == 4 && !down && channels == 4)
        return KIND_SPLIT_4;
    *generic = GetMcuSplitGeneric;
    return KIND_GENERIC;
}

} // namespace

int JpgSetupEncoderInput(JPEG_PROPERTIES *props)
{
    JpgDispatch *dispatch = props->input.dispatch;
    if (props->componentCount < 1 || props->componentCount > 255)
        return JPG_ERR_COMP;
    props->outputKind = KIND_GENERIC;
    dispatch->run_mcu_input = nullptr;
    if (props->nonInterleavedEncode == 1 || props->componentCount > JPG_MAX_COMPONENTS)
        return 0;
    JpgMcuInputRoutine generic = nullptr;
    int kind = ChooseKind(props, &generic);
    props->outputKind = kind;
    if (kind == KIND_GENERIC) {
        dispatch->run_mcu_input = generic;
        return 0;
    }
    for (const FixedRoutine &fixed : FixedRoutines)
        if (fixed.kind == kind)
            dispatch->run_mcu_input = fixed.routine;
    return 0;
}

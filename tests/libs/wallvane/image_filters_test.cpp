#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "image_filters.h"

namespace {

// A picture of 3-byte pixels with rows padded to 4 bytes, as the changer keeps it.
struct Picture {
    int width, height, lineBytes;
    std::vector<uint8_t> bytes;
    Picture(int w, int h, uint8_t fill = 0)
        : width(w), height(h), lineBytes((3 * w + 3) & ~3), bytes((size_t)lineBytes * h, fill)
    {
    }
    uint8_t *Pixel(int x, int y) { return &bytes[(size_t)y * lineBytes + 3 * x]; }
    void Set(int x, int y, uint8_t v) { Pixel(x, y)[0] = Pixel(x, y)[1] = Pixel(x, y)[2] = v; }
};

void Sharpen(Picture &p, const char *kernel)
{
    ApplyFilter5x5(p.bytes.data(), p.lineBytes, 24, p.width, p.height, FindFilterKernel(kernel));
}

} // namespace

TEST(FilterKernels, EachNamedKernelDoesWhatItsNameSaysToAFlatPicture)
{
    enum Effect { Keeps, Lightens, Darkens, Inverts, TowardTheMiddle, AwayFromTheMiddle, Black, White };
    struct Case {
        const char *name;
        Effect effect;
    } cases[] = {
        {"No __5x5 filter", Keeps},     {"Custom 5x5 filter", Keeps},
        {"Blur", Keeps},                {"Smoothen", Keeps},
        {"__Sharpen", Keeps},           {"Sharpen Strong", Keeps},
        {"Emboss", Keeps},              {"Edge Detect", Keeps},
        {"Edge Detect Soft", Keeps},    {"Negative", Inverts},
        {"Lighter", Lightens},          {"Darker", Darkens},
        {"Contrast More", AwayFromTheMiddle}, {"Contrast Less", TowardTheMiddle},
        {"__Find Edges", Black},        {"Countour", White},
    };
    for (const Case &c : cases) {
        ASSERT_NE(FindFilterKernel(c.name), nullptr) << c.name;
        for (int grey : {60, 200}) {
            Picture p(7, 7, (uint8_t)grey);
            Sharpen(p, c.name);
            int after = p.Pixel(3, 3)[1];
            int distance = std::abs(after - 128), was = std::abs(grey - 128);
            bool holds[] = {after == grey, after > grey,    after < grey,    after == 255 - grey,
                            distance < was, distance > was, after == 0,      after == 255};
            EXPECT_TRUE(holds[c.effect]) << c.name << " made " << grey << " into " << after;
        }
    }
    // The edge finders answer a step from dark to light where it lies.
    for (const char *name : {"__Find Edges", "Countour"}) {
        Picture p(7, 7, 40);
        for (int y = 0; y < 7; ++y)
            for (int x = 4; x < 7; ++x)
                p.Set(x, y, 220);
        Sharpen(p, name);
        bool marked = p.Pixel(3, 3)[0] != p.Pixel(2, 3)[0] || p.Pixel(4, 3)[0] != p.Pixel(2, 3)[0];
        EXPECT_TRUE(marked) << name << " saw no edge";
    }
    EXPECT_EQ(FindFilterKernel("Sharpen"), nullptr) << "only whole names are found";
}

TEST(SharpenFilters, FlatAreasStayFlat)
{
    for (const char *name : {"__Sharpen", "Sharpen Strong"}) {
        Picture p(6, 5, 77);
        std::vector<uint8_t> before = p.bytes;
        Sharpen(p, name);
        EXPECT_EQ(p.bytes, before) << name;
    }
}

TEST(SharpenFilters, SumsClampToTheByteRange)
{
    Picture dark(3, 3, 255);
    dark.Set(1, 1, 0);
    Sharpen(dark, "Sharpen Strong");
    EXPECT_EQ(dark.Pixel(1, 1)[0], 0) << "negative sums clamp to 0";

    Picture bright(3, 3, 0);
    bright.Set(1, 1, 255);
    Sharpen(bright, "Sharpen Strong");
    EXPECT_EQ(bright.Pixel(1, 1)[2], 255);
}

TEST(SharpenFilters, ReadsUnfilteredNeighbours)
{
    // Each output depends on the original row above, not the one just written.
    Picture p(3, 4, 100);
    p.Set(1, 1, 180);
    Sharpen(p, "__Sharpen");
    // (16*180 - 8*100) / 8 = 260 -> 255; the pixel below sees the original 180
    EXPECT_EQ(p.Pixel(1, 1)[0], 255);
    EXPECT_EQ(p.Pixel(1, 2)[0], (16 * 100 - 7 * 100 - 180) / 8);
}

TEST(SharpenFilters, BordersAndNarrowPicturesAreLeftAsTheyAre)
{
    for (auto size : {std::pair<int, int>{2, 9}, {9, 2}, {1, 1}, {9, 1}}) {
        Picture p(size.first, size.second);
        for (size_t k = 0; k < p.bytes.size(); ++k)
            p.bytes[k] = (uint8_t)(k * 37);
        std::vector<uint8_t> before = p.bytes;
        Sharpen(p, "Sharpen Strong");
        EXPECT_EQ(p.bytes, before) << size.first << "x" << size.second;
    }
    Picture p(5, 5);
    for (size_t k = 0; k < p.bytes.size(); ++k)
        p.bytes[k] = (uint8_t)(k * 53);
    std::vector<uint8_t> before = p.bytes;
    Sharpen(p, "__Find Edges");
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(p.Pixel(x, 0)[0], before[3 * x]);
        EXPECT_EQ(p.Pixel(x, 4)[1], before[(size_t)4 * p.lineBytes + 3 * x + 1]);
    }
}

TEST(ConvolutionFilters, ZeroDivisorIsStoredBackAsOne)
{
    FilterKernel5x5 kernel = *FindFilterKernel("Sharpen Strong");
    kernel.divisor = 0;
    Picture p(4, 4, 10);
    ApplyFilter5x5(p.bytes.data(), p.lineBytes, 24, 4, 4, &kernel);
    EXPECT_EQ(kernel.divisor, 1);
    PointFilter point = {"p", 2, 0, 0};
    ApplyPointFilter(p.bytes.data(), p.lineBytes, 24, 4, 4, &point);
    EXPECT_EQ(point.divisor, 1);
    EXPECT_EQ(p.bytes[0], 20);
}

TEST(ConvolutionFilters, CentreOnlyKernelsActOnEveryByteIncludingPadding)
{
    Picture p(3, 2, 100); // 9 bytes of pixels + 3 of padding per row
    Sharpen(p, "Negative");
    for (uint8_t b : p.bytes)
        EXPECT_EQ(b, 155);
    Sharpen(p, "Contrast Less"); // 155 / 2 + 64
    EXPECT_EQ(p.bytes[5], 141);
    Sharpen(p, "Darker");
    EXPECT_EQ(p.bytes[11], 109);
}

TEST(ConvolutionFilters, BlurAveragesTheFiveByFiveNeighbourhood)
{
    Picture p(5, 5, 0);
    p.Set(2, 2, 250);
    p.Set(0, 0, 250);
    Sharpen(p, "Blur");
    EXPECT_EQ(p.Pixel(2, 2)[0], 20); // (250 + 250) / 25
    EXPECT_EQ(p.Pixel(0, 0)[0], 250) << "the outer two rows and columns stay";
}

TEST(ConvolutionFilters, NullArgumentsAndOddBitCountsChangeNothing)
{
    Picture p(4, 4, 9);
    std::vector<uint8_t> before = p.bytes;
    ApplyFilter5x5(nullptr, p.lineBytes, 24, 4, 4, FindFilterKernel("Blur"));
    ApplyFilter5x5(p.bytes.data(), p.lineBytes, 24, 4, 4, nullptr);
    ApplyFilter5x5(p.bytes.data(), p.lineBytes, 16, 4, 4, FindFilterKernel("Negative"));
    ApplyFilter5x5(p.bytes.data(), 2, 24, 4, 4, FindFilterKernel("Negative"));
    EXPECT_EQ(p.bytes, before);
}

TEST(BilinearResize, TwoByTwoToFourByFour)
{
    Picture source(2, 2);
    source.Set(0, 0, 0);
    source.Set(1, 0, 101);
    source.Set(0, 1, 200);
    source.Set(1, 1, 201);
    Picture target(5, 4, 0xEE); // rows of 16 bytes: 12 of pixels, 4 of padding
    ASSERT_EQ(BilinearResize24(source.bytes.data(), source.lineBytes, 2, 2, target.bytes.data(),
                               target.lineBytes, 4, 4),
              0);
    EXPECT_EQ(target.Pixel(0, 0)[0], 0);
    EXPECT_EQ(target.Pixel(1, 0)[0], 50) << "u = 0.5: the truncated mean";
    EXPECT_EQ(target.Pixel(3, 0)[0], 101) << "u = 1.5 falls back to the last column";
    EXPECT_EQ(target.Pixel(0, 3)[1], 200);
    EXPECT_EQ(target.Pixel(3, 3)[2], 201);
    EXPECT_EQ(target.bytes[12], 0xEE) << "row padding is not written";
    EXPECT_EQ(target.bytes[31], 0xEE);
}

TEST(BilinearResize, RefusesSizesThatCannotBeResized)
{
    Picture source(2, 1, 5), target(4, 4);
    uint8_t *s = source.bytes.data(), *t = target.bytes.data();
    EXPECT_EQ(BilinearResize24(s, source.lineBytes, 2, 1, t, target.lineBytes, 0, 4), -1);
    EXPECT_EQ(BilinearResize24(s, source.lineBytes, 0, 1, t, target.lineBytes, 4, 4), -1);
    EXPECT_EQ(BilinearResize24(s, 3, 2, 1, t, target.lineBytes, 4, 4), -1);
    // a single row is resized without reading past it
    EXPECT_EQ(BilinearResize24(s, source.lineBytes, 2, 1, t, target.lineBytes, 4, 4), 0);
    EXPECT_EQ(target.Pixel(2, 3)[0], 5);
}

TEST(BilinearResize, ShrinksAsWellAsEnlarges)
{
    Picture source(8, 2);
    for (int x = 0; x < 8; ++x) {
        source.Set(x, 0, (uint8_t)(x * 30));
        source.Set(x, 1, (uint8_t)(x * 30));
    }
    Picture target(2, 1);
    ASSERT_EQ(BilinearResize24(source.bytes.data(), source.lineBytes, 8, 2, target.bytes.data(),
                               target.lineBytes, 2, 1),
              0);
    EXPECT_EQ(target.Pixel(0, 0)[0], 0);
    EXPECT_EQ(target.Pixel(1, 0)[0], 120);
}

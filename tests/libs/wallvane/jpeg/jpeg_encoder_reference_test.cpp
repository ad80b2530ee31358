// What the writer makes, held against Debian's libjpeg-turbo: the tables
// cjpeg writes, djpeg reading every stream without a warning and at
// cjpeg's fidelity, and the coefficients libjpeg finds in progressive and
// restart streams.
#include <gtest/gtest.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>

#include <map>
#include <string>

#include "jpeg_codec.h"
#include "jpeg_encode_helpers.h"
#include "reference_jpeg.h"

namespace {

// djpeg's complaints about a stream; empty when it reads it cleanly.
std::string DjpegWarnings(const Bytes &jpeg)
{
    std::string input = TempPath("check.jpg"), messages = TempPath("check.txt");
    std::string text = "could not run djpeg";
    if (WriteWholeFile(input, jpeg)) {
        std::string line = std::string(ZT_DJPEG) + " -pnm " + input + " > /dev/null 2> " + messages;
        int status = system(line.c_str());
        Bytes said = ReadWholeFile(messages);
        text = std::string(said.begin(), said.end());
        if (status != 0 && text.empty())
            text = "djpeg failed";
    }
    remove(input.c_str());
    remove(messages.c_str());
    return text;
}

Picture AsPicture(const Pixels &pixels)
{
    Picture picture;
    picture.width = pixels.width;
    picture.height = pixels.height;
    picture.channels = pixels.channels;
    picture.pixels = pixels.bytes;
    return picture;
}

// The luminance of T.81's colour transform, rounded.
std::vector<uint8_t> LumaOf(const Pixels &pixels)
{
    std::vector<uint8_t> luma;
    for (size_t i = 0; i + 2 < pixels.bytes.size(); i += 3)
        luma.push_back((uint8_t)lround(0.299 * pixels.bytes[i] + 0.587 * pixels.bytes[i + 1] +
                                        0.114 * pixels.bytes[i + 2]));
    return luma;
}

const char *SampleArgument(int subsampling)
{
    return subsampling == 1 ? "2x2" : subsampling == 2 ? "2x1" : "1x1";
}

EncodeSettings Settings(int channels, int subsampling, int quality)
{
    EncodeSettings s;
    s.jpgChannels = channels;
    s.jpgColour = channels == 1 ? JPG_COLOUR_GRAY : JPG_COLOUR_YCBCR;
    s.subsampling = subsampling;
    s.quality = quality;
    return s;
}

TEST(JpegEncoderReference, TablesEqualCjpegBaselineAtEveryQuality)
{
    Pixels colour = MakePixels(64, 48, 3, 1), gray = MakePixels(64, 48, 1, 2);
    const struct {
        const char *name;
        int channels, subsampling;
    } shapes[] = {{"gray", 1, 0}, {"444", 3, 0}, {"422", 3, 2}, {"420", 3, 1}};
    for (const auto &shape : shapes)
        for (int quality : {1, 10, 25, 50, 75, 90, 100}) {
            SCOPED_TRACE(testing::Message() << shape.name << " quality " << quality);
            const Pixels &pixels = shape.channels == 1 ? gray : colour;
            Bytes ours;
            int dibColour = shape.channels == 1 ? JPG_COLOUR_GRAY : JPG_COLOUR_RGB;
            ASSERT_EQ(0, EncodeToMemory(LayOut(pixels, dibColour, shape.channels, 0, false),
                                        Settings(shape.channels, shape.subsampling, quality), &ours));
            Bytes theirs = EncodeWithCjpeg(AsPicture(pixels), std::string("-baseline -quality ") +
                                                                  std::to_string(quality) + " -sample " +
                                                                  SampleArgument(shape.subsampling));
            ASSERT_FALSE(theirs.empty());
            StreamTables a = TablesOf(ours), b = TablesOf(theirs);
            // A gray frame uses table 0 of each kind, a colour frame 0 and 1.
            for (int id = 0; id < (shape.channels == 1 ? 1 : 2); id++) {
                EXPECT_EQ(b.quant[id], a.quant[id]) << "DQT " << id;
                EXPECT_EQ(b.huffman[id], a.huffman[id]) << "DC " << id;
                EXPECT_EQ(b.huffman[0x10 | id], a.huffman[0x10 | id]) << "AC " << id;
            }
        }
}

TEST(JpegEncoderReference, DjpegReadsEveryLayoutCleanlyAtCjpegFidelity)
{
    Pixels colour = MakePixels(77, 51, 3, 3), gray = MakePixels(77, 51, 1, 4);
    const struct {
        const char *name;
        int dibColour, dibChannels, jpgChannels;
        bool grayPicture;
    } layouts[] = {
        {"RGB", JPG_COLOUR_RGB, 3, 3, false},   {"BGR", JPG_COLOUR_BGR, 3, 3, false},
        {"RGB/4", JPG_COLOUR_RGB, 4, 3, false}, {"BGR to gray", JPG_COLOUR_BGR, 3, 1, false},
        {"gray", JPG_COLOUR_GRAY, 1, 1, true},  {"gray to YCbCr", JPG_COLOUR_GRAY, 1, 3, true},
    };
    std::map<std::string, Picture> theirDecodings;
    for (const auto &layout : layouts)
        for (int subsampling : {0, 1, 2})
            for (int quality : {10, 50, 90, 100}) {
                if (layout.jpgChannels == 1 && subsampling != 0)
                    continue;
                // Every layout of a picture writes the same stream (the
                // writer's own tests); here half the cases come bottom-up.
                bool bottomUp = quality == 10 || quality == 90;
                SCOPED_TRACE(testing::Message() << layout.name << " sampling " << subsampling << " quality "
                                                << quality << (bottomUp ? " bottom-up" : ""));
                const Pixels &pixels = layout.grayPicture ? gray : colour;
                Bitmap bitmap = LayOut(pixels, layout.dibColour, layout.dibChannels, bottomUp ? 3 : 0, bottomUp);
                Bytes ours;
                ASSERT_EQ(0, EncodeToMemory(bitmap, Settings(layout.jpgChannels, subsampling, quality), &ours));
                EXPECT_EQ("", DjpegWarnings(ours));
                std::string arguments = "-quality " + std::to_string(quality) + " -sample " +
                                        SampleArgument(subsampling) +
                                        (layout.jpgChannels == 1 && !layout.grayPicture ? " -grayscale" : "");
                Picture &theirPicture = theirDecodings[arguments + (layout.grayPicture ? " gray" : "")];
                if (theirPicture.pixels.empty())
                    theirPicture = DecodeWithDjpeg(EncodeWithCjpeg(AsPicture(pixels), arguments), "");
                Picture ourPicture = DecodeWithDjpeg(ours, "");
                std::vector<uint8_t> source = pixels.bytes;
                if (layout.jpgChannels == 1 && !layout.grayPicture)
                    source = LumaOf(pixels);
                if (layout.jpgChannels == 3 && layout.grayPicture) {
                    // A gray bitmap written as YCbCr decodes to equal channels.
                    ASSERT_EQ(ourPicture.pixels.size(), source.size() * 3);
                    std::vector<uint8_t> first;
                    for (size_t i = 0; i < ourPicture.pixels.size(); i += 3) {
                        EXPECT_EQ(ourPicture.pixels[i], ourPicture.pixels[i + 2]);
                        first.push_back(ourPicture.pixels[i]);
                    }
                    ourPicture.pixels = first;
                }
                double ourPsnr = ComparePixels(source, ourPicture.pixels).psnr;
                double theirPsnr = ComparePixels(source, theirPicture.pixels).psnr;
                // The luminance weights of 8 bits err by up to half a level,
                // which alone holds gray from colour near 57 dB; at quality
                // 100 nothing else is lost and that bound shows.
                bool weightsShow = layout.jpgChannels == 1 && !layout.grayPicture && quality == 100;
                EXPECT_GT(ourPsnr, weightsShow ? 55.0 : theirPsnr - 0.5) << "cjpeg " << theirPsnr;
            }
}

void ExpectSameCoefficients(const Bytes &a, const Bytes &b)
{
    ReferenceImage x = ReadReferenceCoefficients(a), y = ReadReferenceCoefficients(b);
    ASSERT_TRUE(x.ok);
    ASSERT_TRUE(y.ok);
    ASSERT_EQ(x.components, y.components);
    for (int c = 0; c < x.components; c++)
        EXPECT_TRUE(x.component[c].coefficients == y.component[c].coefficients) << "component " << c;
    EXPECT_EQ(DecodeWithDjpeg(a, "").pixels, DecodeWithDjpeg(b, "").pixels);
}

TEST(JpegEncoderReference, ProgressiveAndRestartStreamsHoldTheBaselineCoefficients)
{
    Pixels colour = MakePixels(101, 67, 3, 5), gray = MakePixels(101, 67, 1, 6);
    const struct {
        const char *name;
        int channels, jpgColour, subsampling;
    } shapes[] = {{"gray", 1, JPG_COLOUR_GRAY, 0},
                  {"444", 3, JPG_COLOUR_YCBCR, 0},
                  {"422", 3, JPG_COLOUR_YCBCR, 2},
                  {"420", 3, JPG_COLOUR_YCBCR, 1},
                  {"RGB", 3, JPG_COLOUR_RGB, 0}};
    for (const auto &shape : shapes)
        for (int quality : {15, 75, 100}) {
            SCOPED_TRACE(testing::Message() << shape.name << " quality " << quality);
            const Pixels &pixels = shape.channels == 1 ? gray : colour;
            Bitmap bitmap = LayOut(pixels, shape.channels == 1 ? JPG_COLOUR_GRAY : JPG_COLOUR_RGB, shape.channels, 0,
                                   false);
            EncodeSettings settings = Settings(shape.channels, shape.subsampling, quality);
            settings.jpgColour = shape.jpgColour;
            Bytes baseline;
            ASSERT_EQ(0, EncodeToMemory(bitmap, settings, &baseline));
            settings.progressive = true;
            Bytes progressive;
            ASSERT_EQ(0, EncodeToMemory(bitmap, settings, &progressive));
            EXPECT_EQ("", DjpegWarnings(progressive));
            ExpectSameCoefficients(baseline, progressive);
            settings.progressive = false;
            for (int interval : {1, 2, 7}) {
                SCOPED_TRACE(interval);
                settings.restartInterval = interval;
                Bytes restarted;
                ASSERT_EQ(0, EncodeToMemory(bitmap, settings, &restarted));
                EXPECT_EQ("", DjpegWarnings(restarted));
                ExpectSameCoefficients(baseline, restarted);
            }
        }
}

} // namespace

// Writes the JPEG fuzz target's seed files into the folder named on the
// command line: small photograph-like pictures made here, coded by cjpeg
// and jpegtran in the ways the reader meets (baseline, extended, progressive
// with custom scan scripts, restarts, separate scans), a few damaged the
// ways real files are (cut short, a scan missing, a second image appended),
// and parts of real photographs, cut out losslessly so that their entropy
// data is a camera's and a real encoder's.
#include <dirent.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include "reference_jpeg.h"

namespace {

// Soft shading, a disc and a bar with hard edges, and a little noise.
Picture Photograph(int width, int height, int channels, unsigned seed)
{
    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.channels = channels;
    picture.pixels.resize((size_t)width * height * channels);
    unsigned state = seed;
    int cx = width / 3 + (int)(seed % 17), cy = height / 2, radius = height / 4 + 3;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            state = state * 1103515245u + 12345u;
            int noise = (int)((state >> 16) % 9) - 4;
            bool disc = (x - cx) * (x - cx) + (y - cy) * (y - cy) < radius * radius;
            bool bar = x > width * 2 / 3 && x < width * 2 / 3 + 9;
            for (int c = 0; c < channels; c++) {
                int v = 70 + (x * (c + 1) * 90) / width + (y * (3 - c) * 50) / height + noise;
                if (disc)
                    v = 220 - 40 * c + noise;
                if (bar)
                    v = 20;
                picture.pixels[((size_t)y * width + x) * channels + c] = (uint8_t)(v < 0 ? 0 : v > 255 ? 255 : v);
            }
        }
    return picture;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    std::string folder = argv[1];
    Picture colour = Photograph(160, 120, 3, 1), small = Photograph(45, 37, 3, 2), gray = Photograph(96, 72, 1, 3);
    Bytes baseline = EncodeWithCjpeg(colour, "-quality 80");
    Bytes progressive = EncodeWithCjpeg(colour, "-progressive");
    Bytes extended = EncodeWithCjpeg(small, "-quality 3");
    Bytes unended(extended.begin(), extended.end() - 2);
    const struct {
        const char *name;
        Bytes bytes;
    } seeds[] = {
        {"baseline_420", baseline},
        {"baseline_422_q95", EncodeWithCjpeg(colour, "-sample 2x1 -quality 95")},
        {"baseline_444_optimised", EncodeWithCjpeg(small, "-sample 1x1 -optimize")},
        {"baseline_restart", EncodeWithCjpeg(colour, "-restart 1")},
        {"baseline_separate_scans", TransformWithScript(EncodeWithCjpeg(small, "-sample 2x2"), "0; 1; 2;")},
        {"gray", EncodeWithCjpeg(gray, "")},
        {"gray_progressive", EncodeWithCjpeg(gray, "-progressive")},
        {"rgb", EncodeWithCjpeg(small, "-rgb -sample 1x1")},
        {"extended_sof1", extended},
        {"progressive_420", progressive},
        {"progressive_restart", TransformWithJpegtran(baseline, "-progressive -restart 2B")},
        {"progressive_dc_per_component",
         TransformWithScript(baseline, "0: 0-0, 0, 0; 1: 0-0, 0, 0; 2: 0-0, 0, 0; 0: 1-63, 0, 0; 1: 1-63, 0, 0; 2: 1-63, 0, 0;")},
        {"progressive_successive",
         TransformWithScript(baseline, "0,1,2: 0-0, 0, 1; 0: 1-9, 0, 2; 0: 10-63, 0, 1; 1: 1-63, 0, 1; 2: 1-63, 0, 1;"
                              "0: 1-9, 2, 1; 0: 1-9, 1, 0; 0: 10-63, 1, 0; 1: 1-63, 1, 0; 2: 1-63, 1, 0;"
                              "0,1,2: 0-0, 1, 0;")},
        {"progressive_luma_only", TransformWithScript(baseline, "0,1,2: 0-0, 0, 0; 0: 1-63, 0, 0;")},
        {"progressive_last_scan_missing", BeforeScan(progressive, 9)},
        {"progressive_cut", Bytes(progressive.begin(), progressive.begin() + progressive.size() / 2)},
        {"extended_then_second_image", Concat({unended, EncodeWithCjpeg(colour, "-quality 50")})},
    };
    int written = 0;
    // Small enough for the fuzz target to decode every way; the progressive
    // photographs stay progressive.
    if (DIR *dir = opendir(ZT_PHOTO_FOLDER)) {
        while (dirent *entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name.size() < 5 || name.compare(name.size() - 4, 4, ".jpg") != 0)
                continue;
            Bytes photo = ReadWholeFile(std::string(ZT_PHOTO_FOLDER) + "/" + name);
            Bytes part = TransformWithJpegtran(photo, "-copy none -crop 64x48+400+300");
            Bytes progressive = TransformWithJpegtran(part, "-progressive");
            std::string stem = "photo_" + name.substr(0, name.size() - 4);
            if (part.empty() || progressive.empty() || !WriteWholeFile(folder + "/" + stem + ".jpg", part) ||
                !WriteWholeFile(folder + "/" + stem + "_progressive.jpg", progressive)) {
                fprintf(stderr, "could not cut %s\n", name.c_str());
                closedir(dir);
                return 1;
            }
            written += 2;
        }
        closedir(dir);
    }
    for (const auto &seed : seeds) {
        if (seed.bytes.empty()) {
            fprintf(stderr, "could not make %s\n", seed.name);
            return 1;
        }
        if (!WriteWholeFile(folder + "/" + seed.name + ".jpg", seed.bytes)) {
            fprintf(stderr, "could not write %s\n", seed.name);
            return 1;
        }
        written++;
    }
    printf("%d seed files in %s\n", written, folder.c_str());
    return 0;
}

// Native only: JPEG files made by Debian's cjpeg/jpegtran from synthetic
// pictures, and the coefficients libjpeg-turbo reads from them.
#pragma once
#include <string>
#include <vector>

#include "jpeg_test_files.h"

struct Picture {
    int width = 0, height = 0, channels = 3;
    std::vector<uint8_t> pixels;
};

// Gradients, edges and noise: enough detail to use every Huffman length.
Picture SynthesisePicture(int width, int height, int channels, unsigned seed);
Bytes EncodeWithCjpeg(const Picture &picture, const std::string &arguments);
Bytes TransformWithJpegtran(const Bytes &jpeg, const std::string &arguments);
// jpegtran's copy of the file coded by a scan script ("0,1,2: 0-0, 0, 1; ...").
Bytes TransformWithScript(const Bytes &jpeg, const std::string &script);
// The file cut just before its n-th scan (counting from 0) and closed with an
// end marker: a legal file whose later scans never came.
Bytes BeforeScan(const Bytes &jpeg, int n);
// djpeg's PNM output of the file: RGB, or gray for one-component files.
Picture DecodeWithDjpeg(const Bytes &jpeg, const std::string &arguments);

// libjpeg-turbo's own decoding of what the file's coefficients give, with the
// accurate transform and without smoothing of any kind: for files whose
// scans never complete, where djpeg smooths the missing bands.
Picture DecodeWithLibjpeg(const Bytes &jpeg);

// How close two decodings are: the peak signal-to-noise ratio in dB (99 for
// equal pixels, 0 when the sizes differ) and the largest difference of a byte.
struct Comparison {
    double psnr = 0;
    int maxDiff = 0;
};
Comparison ComparePixels(const std::vector<uint8_t> &a, const std::vector<uint8_t> &b);

struct ReferenceComponent {
    int blocksAcross = 0, blocksDown = 0, h = 0, v = 0;
    std::vector<int16_t> coefficients; // block after block, 64 in natural order each
};
struct ReferenceImage {
    int width = 0, height = 0, components = 0;
    bool ok = false;
    std::vector<ReferenceComponent> component;
};
ReferenceImage ReadReferenceCoefficients(const Bytes &jpeg);

// Streams whose first picture is followed by a second one, as pictures
// joined by hand or appended to a cut download turn out: the first one
// complete but without its end marker, or cut inside its scan data, then
// a whole second picture of another size or kind. Made with the codec's
// own encoder, so they exist on every platform.
#pragma once
#include <string>
#include <vector>

#include "jpeg_test_files.h"

struct SecondPictureFile {
    std::string name;
    Bytes first; // the first picture as far as the stream holds it
    Bytes jpeg; // first, then the second picture
    int width = 0, height = 0; // of the first picture
};

// Three first pictures (baseline 4:2:0, progressive 4:2:0, gray with
// restarts), each whole and cut, followed by each of five second pictures
// (baseline, progressive, gray, extended and a small 4:4:4 one): 30 streams.
std::vector<SecondPictureFile> SecondPictureFamily();

// Where a stream's scan with the most entropy-coded data starts and ends.
void LargestScanData(const Bytes &jpeg, size_t *start, size_t *end);

// A few of our glyphs as the player sees them: '.' is pixel value 0, '1' to
// '3' the pixel values. Written out here so the tests do not take them from
// the table they check.
#pragma once
#include <string>
#include <vector>

typedef std::vector<std::string> GlyphArt;

inline const GlyphArt LetterF = {
    ".33333..", ".3......", ".3......", ".3333...",
    ".3......", ".3......", ".3......", "........",
};

inline const GlyphArt LetterV = {
    ".3...3..", ".3...3..", ".3...3..", ".3...3..",
    ".3...3..", "..3.3...", "...3....", "........",
};

inline const GlyphArt DigitSeven = {
    ".33333..", ".....3..", "....3...", "...3....",
    "..3.....", "..3.....", "..3.....", "........",
};

inline const GlyphArt VuvovirShip = {
    "...3....", "...3....", "..232...", "..222...",
    ".12221..", "1122211.", "1.222.1.", "..3.3...",
};

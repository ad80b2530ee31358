// The row weights of the packed integer transforms, laid out for the
// 32-bit multiply-add: the row's scale x sqrt(2) x c(k) x cos((2j + 1) k pi / 16),
// rounded, with c(0) = 1/sqrt(2). IntegerRowWeights[t][k][j] weighs sample j
// for frequency k in the table of row pair t.
#pragma once
#include <stdint.h>

inline constexpr int16_t IntegerRowWeights[4][8][8] = {
    {
        {16384, 16384, 16384, 16384, 16384, 16384, 16384, 16384},
        {22725, 19266, 12873, 4520, -4520, -12873, -19266, -22725},
        {21407, 8867, -8867, -21407, -21407, -8867, 8867, 21407},
        {19266, -4520, -22725, -12873, 12873, 22725, 4520, -19266},
        {16384, -16384, -16384, 16384, 16384, -16384, -16384, 16384},
        {12873, -22725, 4520, 19266, -19266, -4520, 22725, -12873},
        {8867, -21407, 21407, -8867, -8867, 21407, -21407, 8867},
        {4520, -12873, 19266, -22725, 22725, -19266, 12873, -4520},
    },
    {
        {22725, 22725, 22725, 22725, 22725, 22725, 22725, 22725},
        {31520, 26722, 17855, 6270, -6270, -17855, -26722, -31520},
        {29692, 12299, -12299, -29692, -29692, -12299, 12299, 29692},
        {26722, -6270, -31520, -17855, 17855, 31520, 6270, -26722},
        {22725, -22725, -22725, 22725, 22725, -22725, -22725, 22725},
        {17855, -31520, 6270, 26722, -26722, -6270, 31520, -17855},
        {12299, -29692, 29692, -12299, -12299, 29692, -29692, 12299},
        {6270, -17855, 26722, -31520, 31520, -26722, 17855, -6270},
    },
    {
        {21407, 21407, 21407, 21407, 21407, 21407, 21407, 21407},
        {29692, 25172, 16819, 5906, -5906, -16819, -25172, -29692},
        {27970, 11585, -11585, -27970, -27970, -11585, 11585, 27970},
        {25172, -5906, -29692, -16819, 16819, 29692, 5906, -25172},
        {21407, -21407, -21407, 21407, 21407, -21407, -21407, 21407},
        {16819, -29692, 5906, 25172, -25172, -5906, 29692, -16819},
        {11585, -27970, 27970, -11585, -11585, 27970, -27970, 11585},
        {5906, -16819, 25172, -29692, 29692, -25172, 16819, -5906},
    },
    {
        {19266, 19266, 19266, 19266, 19266, 19266, 19266, 19266},
        {26723, 22654, 15137, 5315, -5315, -15137, -22654, -26723},
        {25172, 10427, -10427, -25172, -25172, -10427, 10427, 25172},
        {22654, -5315, -26723, -15137, 15137, 26723, 5315, -22654},
        {19266, -19266, -19266, 19266, 19266, -19266, -19266, 19266},
        {15137, -26723, 5315, 22654, -22654, -5315, 26723, -15137},
        {10427, -25172, 25172, -10427, -10427, 25172, -25172, 10427},
        {5315, -15137, 22654, -26723, 26723, -22654, 15137, -5315},
    },
};

// Rows 0 and 4 take table 0, 1 and 7 table 1, 2 and 6 table 2, 3 and 5 table 3.
inline constexpr uint8_t RowWeightTableOf[8] = {0, 1, 2, 3, 0, 3, 2, 1};

// Word pairs for one multiply-add: lanes 2i and 2i+1 weigh the two inputs of
// output i. The 64-bit forms take the first and the second half apart.
struct alignas(16) RowPairWeights {
    int16_t w[8];
};

struct alignas(16) PackedRowWeights {
    // Inverse: outputs 0..3 from coefficient pairs (0, 2), (4, 6), (1, 3), (5, 7).
    RowPairWeights inverse[4][4];
    // Forward: even outputs 0, 2, 4, 6 from sums (0, 1), (2, 3); odd outputs
    // 1, 3, 5, 7 from differences (0, 1), (2, 3).
    RowPairWeights forward[4][4];
};

constexpr PackedRowWeights PackRowWeights()
{
    PackedRowWeights p{};
    const int inversePairs[4][2] = {{0, 2}, {4, 6}, {1, 3}, {5, 7}};
    for (int t = 0; t < 4; t++)
        for (int n = 0; n < 4; n++)
            for (int k = 0; k < 4; k++) {
                p.inverse[t][n].w[2 * k] = IntegerRowWeights[t][inversePairs[n][0]][k];
                p.inverse[t][n].w[2 * k + 1] = IntegerRowWeights[t][inversePairs[n][1]][k];
                int frequency = 2 * k + (n >= 2 ? 1 : 0), sample = (n & 1) * 2;
                p.forward[t][n].w[2 * k] = IntegerRowWeights[t][frequency][sample];
                p.forward[t][n].w[2 * k + 1] = IntegerRowWeights[t][frequency][sample + 1];
            }
    return p;
}

inline constexpr PackedRowWeights RowWeights = PackRowWeights();

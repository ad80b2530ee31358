// Quantisation tables prepared for either inverse transform, and the
// dequantisation of one block.
#include <math.h>
#include <string.h>

#include "jpeg_decoder.h"

int JpgPrepareQuantTableInteger(int16_t *table)
{
    int16_t natural[64];
    for (int k = 0; k < 64; k++)
        natural[JpgNaturalOrder[k]] = table[k];
    memcpy(table, natural, sizeof natural);
    memset(table + 64, 0, 16 * sizeof(int16_t));
    return 0;
}

// s(u) x s(v) / 8 per zigzag position, kept to six decimals so every build
// arrives at the same prepared table.
struct AanScaleTable {
    double scale[64];
    AanScaleTable()
    {
        static const double s[8] = {1.0,         1.387039845, 1.306562965, 1.175875602,
                                    1.0,         0.785694958, 0.541196100, 0.275899379};
        for (int k = 0; k < 64; k++) {
            int natural = JpgNaturalOrder[k];
            double value = s[natural >> 3] * s[natural & 7] / 8.0;
            scale[k] = floor(value * 1e6 + 0.5) / 1e6;
        }
    }
};

static const double *AanDequantScale(void)
{
    static const AanScaleTable table;
    return table.scale;
}

static double AanEntry(int16_t q, int k)
{
    return q * AanDequantScale()[k] * 0.0625 * 32768.0 + 0.5;
}

bool JpgAanTableFits(const int16_t *zigzag)
{
    for (int k = 0; k < 64; k++) {
        double v = AanEntry(zigzag[k], k);
        if (v > 32767.0 || v < -32768.0)
            return false;
    }
    return true;
}

void JpgPrepareQuantSlot(JpgQuantTable *table, int method)
{
    memcpy(table->values, table->zigzag, sizeof table->zigzag);
    if (method == JPG_DCT_INTEGER)
        JpgPrepareQuantTableInteger(table->values);
    else
        JpgPrepareQuantTableAan(table->values);
    table->preparedFor = method;
}

int JpgPrepareQuantTableAan(int16_t *table)
{
    int16_t natural[64];
    for (int k = 0; k < 64; k++) {
        double v = AanEntry(table[k], k);
        long long whole = (long long)v;
        natural[JpgNaturalOrder[k]] = (int16_t)(uint16_t)(unsigned long long)whole;
    }
    memcpy(table, natural, sizeof natural);
    memset(table + 64, 0, 16 * sizeof(int16_t));
    return 0;
}

void JpgDequantizeInteger(int16_t *block, const int16_t *table)
{
    for (int i = 0; i < 64; i++)
        block[i] = JpgSaturate16(block[i] * table[i]);
}

void JpgDequantizeAan(int16_t *block, const int16_t *table)
{
    for (int i = 0; i < 64; i++)
        block[i] = JpgSaturate16((block[i] * table[i] + 64) >> 7);
}

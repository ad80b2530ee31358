// Huffman decode and encode tables from BITS/HUFFVAL, the encoder's default
// tables and the quality scaling of quantisation tables.
#include <string.h>

#include "jpeg_decoder.h"

const uint8_t JpgStdLuminanceQuant[64] = {
    16, 11, 10, 16, 24, 40, 51, 61, 12, 12, 14, 19, 26, 58, 60, 55,
    14, 13, 16, 24, 40, 57, 69, 56, 14, 17, 22, 29, 51, 87, 80, 62,
    18, 22, 37, 56, 68, 109, 103, 77, 24, 35, 55, 64, 81, 104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};

const uint8_t JpgStdChrominanceQuant[64] = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
    24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

static const uint8_t DcLuminanceBits[16] = {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
static const uint8_t DcChrominanceBits[16] = {0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0};
static const uint8_t DcValues[12] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};

static const uint8_t AcLuminanceBits[16] = {0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7d};
static const uint8_t AcLuminanceValues[162] = {
    0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61,
    0x07, 0x22, 0x71, 0x14, 0x32, 0x81, 0x91, 0xa1, 0x08, 0x23, 0x42, 0xb1, 0xc1, 0x15, 0x52,
    0xd1, 0xf0, 0x24, 0x33, 0x62, 0x72, 0x82, 0x09, 0x0a, 0x16, 0x17, 0x18, 0x19, 0x1a, 0x25,
    0x26, 0x27, 0x28, 0x29, 0x2a, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3a, 0x43, 0x44, 0x45,
    0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5a, 0x63, 0x64,
    0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a, 0x83,
    0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99,
    0x9a, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6,
    0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3,
    0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe1, 0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8,
    0xe9, 0xea, 0xf1, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa};

static const uint8_t AcChrominanceBits[16] = {0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77};
static const uint8_t AcChrominanceValues[162] = {
    0x00, 0x01, 0x02, 0x03, 0x11, 0x04, 0x05, 0x21, 0x31, 0x06, 0x12, 0x41, 0x51, 0x07, 0x61,
    0x71, 0x13, 0x22, 0x32, 0x81, 0x08, 0x14, 0x42, 0x91, 0xa1, 0xb1, 0xc1, 0x09, 0x23, 0x33,
    0x52, 0xf0, 0x15, 0x62, 0x72, 0xd1, 0x0a, 0x16, 0x24, 0x34, 0xe1, 0x25, 0xf1, 0x17, 0x18,
    0x19, 0x1a, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3a, 0x43, 0x44,
    0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5a, 0x63,
    0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a,
    0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97,
    0x98, 0x99, 0x9a, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4,
    0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca,
    0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7,
    0xe8, 0xe9, 0xea, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa};

// Canonical codes in code order. A table with more than 256 codes, or whose
// codes of some length no longer fit that length, cannot come from a sound
// encoder and would index past the tables built from it.
static int MakeCodes(const uint8_t bits[16], uint8_t sizes[257], uint16_t codes[256], int *count)
{
    int n = 0;
    for (int length = 1; length <= 16; length++) {
        if (n + bits[length - 1] > 256)
            return JPG_ERR_BAD_HUFFMAN;
        for (int i = 0; i < bits[length - 1]; i++)
            sizes[n++] = (uint8_t)length;
    }
    sizes[n] = 0;
    *count = n;
    unsigned code = 0;
    int p = 0;
    for (int length = 1; length <= 16; length++) {
        while (p < n && sizes[p] == length)
            codes[p++] = (uint16_t)code++;
        // The all-ones code of a length is reserved, so the next free code
        // must stay below 2^length.
        if (code >= (1u << length))
            return JPG_ERR_BAD_HUFFMAN;
        code <<= 1;
    }
    return 0;
}

int JpgBuildDecodeTable(const uint8_t bits[16], const uint8_t *huffval, int tableClass,
                        int identifier, JpgHuffTable *table)
{
    table->tableClass = tableClass;
    table->identifier = identifier;
    uint8_t sizes[257];
    uint16_t codes[256];
    int count = 0;
    int result = MakeCodes(bits, sizes, codes, &count);
    if (result < 0)
        return result;

    memset(table->minCode, 0, sizeof table->minCode);
    memset(table->valPtr, 0, sizeof table->valPtr);
    memset(table->symbols, 0, sizeof table->symbols);
    int p = 0;
    for (int length = 1; length <= 16; length++) {
        int n = bits[length - 1];
        if (n > 0) {
            table->valPtr[length] = p;
            table->minCode[length] = codes[p];
            for (int i = 0; i < n; i++, p++)
                table->symbols[p] = huffval[p];
            table->maxCode[length] = codes[p - 1];
        } else {
            table->maxCode[length] = -1;
        }
    }
    table->maxCode[17] = -1;

    memset(table->lookahead, 0, sizeof table->lookahead);
    for (p = 0; p < count && sizes[p] <= 8; p++) {
        int spread = 1 << (8 - sizes[p]);
        int first = codes[p] << (8 - sizes[p]);
        for (int i = 0; i < spread; i++)
            table->lookahead[first + i] = ((uint32_t)sizes[p] << 16) | huffval[p];
    }

    // Most AC codes and their extra bits together fit the look-ahead, so
    // the block decoder takes a coefficient in one step. End of block and a
    // run of 16 zeros come the same way: they store a zero where the next
    // coefficient would go (still zero in a cleared block) and move on by
    // 64 and 16 places, so the decoder needs no test of its own for them.
    const int fast = JPG_FAST_AC_BITS;
    memset(table->fastAc, 0, sizeof table->fastAc);
    for (p = 0; p < count && sizes[p] <= fast; p++) {
        int run = huffval[p] >> 4, magnitude = huffval[p] & 15;
        int used = sizes[p] + magnitude;
        if (used > fast)
            continue;
        int spread = 1 << (fast - sizes[p]);
        int first = codes[p] << (fast - sizes[p]);
        if (magnitude == 0) {
            int advance = run == 15 ? 16 : 64;
            for (int i = 0; i < spread; i++)
                table->fastAc[first + i] = JpgFastAcEntry(0, 0, advance, used);
            continue;
        }
        for (int i = 0; i < spread; i++) {
            int extra = (i >> (fast - used)) & ((1 << magnitude) - 1);
            int value = extra < (1 << (magnitude - 1)) ? extra - (1 << magnitude) + 1 : extra;
            table->fastAc[first + i] = JpgFastAcEntry(value, run, run + 1, used);
        }
    }
    return 0;
}

int JpgBuildEncodeTable(const uint8_t bits[16], const uint8_t *huffval, JpgHuffTable *table)
{
    memset(table->codeLength, 0, sizeof table->codeLength);
    memset(table->code, 0, sizeof table->code);
    uint8_t sizes[257];
    uint16_t codes[256];
    int count = 0;
    int result = MakeCodes(bits, sizes, codes, &count);
    if (result < 0)
        return result;
    for (int s = 0; s < 256; s++)
        table->codeAndLength[s] = JPG_NO_CODE_LENGTH;
    for (int k = 0; k < count; k++) {
        table->codeLength[huffval[k]] = sizes[k];
        table->code[huffval[k]] = codes[k];
        table->codeAndLength[huffval[k]] = (uint32_t)codes[k] << 8 | sizes[k];
    }
    // By category, each code and length once: the encoder builds tables
    // for every scan of a progressive picture. A symbol without a code
    // keeps its extra bits and a length of at least JPG_NO_CODE_LENGTH here
    // too, as the coders that find the category themselves see it.
    for (int run = 0; run < 16; run++) {
        uint32_t *bits = table->runValueBits[run] + JPG_SMALL_AC_VALUES;
        uint8_t *lengths = table->runValueLength[run] + JPG_SMALL_AC_VALUES;
        bits[0] = 0; // never coded
        lengths[0] = JPG_NO_CODE_LENGTH;
        for (int s = 1; 1 << (s - 1) <= JPG_SMALL_AC_VALUES; s++) {
            uint32_t entry = table->codeAndLength[run << 4 | s];
            uint32_t code = (entry >> 8) << s, low = (1u << s) - 1;
            uint8_t length = (uint8_t)((entry & 0xFF) + s);
            int largest = (int)low < JPG_SMALL_AC_VALUES ? (int)low : JPG_SMALL_AC_VALUES;
            for (int magnitude = 1 << (s - 1); magnitude <= largest; magnitude++) {
                // A negative value sends the ones' complement of its magnitude.
                bits[-magnitude] = code | (~(uint32_t)magnitude & low);
                lengths[-magnitude] = length;
                if (magnitude < JPG_SMALL_AC_VALUES) {
                    bits[magnitude] = code | (uint32_t)magnitude;
                    lengths[magnitude] = length;
                }
            }
        }
    }
    return 0;
}

void JpgScaleQuantTable(int quality, const uint8_t base[64], uint8_t out[64])
{
    int scale;
    if (quality <= 0)
        scale = 5000;
    else if (quality > 100)
        scale = 0;
    else if (quality < 50)
        scale = 5000 / quality;
    else
        scale = 200 - 2 * quality;
    for (int i = 0; i < 64; i++) {
        int value = (scale * base[i] + 50) / 100;
        out[i] = (uint8_t)(value < 1 ? 1 : value > 255 ? 255 : value);
    }
}

static bool CallerHasQuantTables(const JPEG_PROPERTIES *props)
{
    if (!props->useCallerQuantTables)
        return false;
    for (const JpgRawQuantSlot &slot : props->rawQuant)
        if (slot.buffer)
            return true;
    return false;
}

static bool CallerHasHuffTables(const JPEG_PROPERTIES *props)
{
    if (!props->useCallerHuffTables)
        return false;
    for (const JpgRawHuffSlot &slot : props->rawHuff)
        if (slot.bits && slot.values)
            return true;
    return false;
}

static void PutDefaultHuffTable(JPEG_PROPERTIES *props, int store, int tableClass, int identifier,
                                const uint8_t *bits, const uint8_t *values, int count)
{
    memcpy(props->defaultHuffBits[store], bits, 16);
    memcpy(props->defaultHuffValues[store], values, count);
    JpgRawHuffSlot &slot = props->rawHuff[identifier * 2 + tableClass];
    slot.bits = props->defaultHuffBits[store];
    slot.values = props->defaultHuffValues[store];
    slot.tableClass = (uint8_t)tableClass;
    slot.identifier = (uint8_t)identifier;
}

void JpgSetDefaultTables(JPEG_PROPERTIES *props)
{
    if (!CallerHasQuantTables(props)) {
        const uint8_t *bases[2] = {JpgStdLuminanceQuant, JpgStdChrominanceQuant};
        for (int t = 0; t < 2; t++) {
            for (int k = 0; k < 64; k++)
                props->defaultQuant[t][k] = bases[t][JpgNaturalOrder[k]];
            props->rawQuant[t].buffer = props->defaultQuant[t];
            props->rawQuant[t].identifier = (uint8_t)t;
            props->rawQuant[t].precision = 0;
        }
        memset(&props->rawQuant[2], 0, 2 * sizeof props->rawQuant[0]);
        props->quantTablesLoaded = 2;
        props->quantHighestId = 2;
    }
    if (!CallerHasHuffTables(props)) {
        memset(props->rawHuff, 0, sizeof props->rawHuff);
        PutDefaultHuffTable(props, 0, JPG_CLASS_DC, 0, DcLuminanceBits, DcValues, 12);
        PutDefaultHuffTable(props, 1, JPG_CLASS_AC, 0, AcLuminanceBits, AcLuminanceValues, 162);
        PutDefaultHuffTable(props, 2, JPG_CLASS_DC, 1, DcChrominanceBits, DcValues, 12);
        PutDefaultHuffTable(props, 3, JPG_CLASS_AC, 1, AcChrominanceBits, AcChrominanceValues, 162);
        props->dcTablesLoaded = 2;
        props->acTablesLoaded = 2;
        props->huffHighestId = 2;
        for (int c = 0; c < JPG_MAX_COMPONENTS; c++) {
            props->dcTableOf[c] = c == 0 ? 0 : 1;
            props->acTableOf[c] = c == 0 ? 0 : 1;
        }
    }
}

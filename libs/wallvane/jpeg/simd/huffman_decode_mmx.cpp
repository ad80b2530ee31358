// The block decoder of the MMX processors from family 6 on: the family 5
// copy's results, with the signs of the coefficients extended without a
// branch, which the data would mispredict half the time.
#include "huffman_decode_64.h"

int JpgDecodeBlockMmx(JpgBitInput *input, const JpgHuffTable *dc, const JpgHuffTable *ac, int16_t *predictor,
                      int16_t *block)
{
    return DecodeBlockPacked<true, false>(input, dc, ac, predictor, block, nullptr);
}

int JpgDecodeBlockDequantizedMmx(JpgBitInput *input, const JpgHuffTable *dc, const JpgHuffTable *ac,
                                 int16_t *predictor, int16_t *block, const int16_t *quant)
{
    return DecodeBlockPacked<true, true>(input, dc, ac, predictor, block, quant);
}

int JpgDecodeBlockDequantizedSmallMmx(JpgBitInput *input, const JpgHuffTable *dc, const JpgHuffTable *ac,
                                      int16_t *predictor, int16_t *block, const int16_t *quant)
{
    return DecodeBlockPacked<true, true, false>(input, dc, ac, predictor, block, quant);
}

int JpgDecodeMcuMmx(JpgBitInput *input, const JpgMcuBlocks *mcu)
{
    return DecodeMcuPacked<true>(input, mcu);
}

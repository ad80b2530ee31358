// The block decoder of the MMX processors from family 6 on: the family 5
// copy's results, with the signs of the coefficients extended without a
// branch, which the data would mispredict half the time.
#include "huffman_decode_64.h"

int JpgDecodeBlockMmx(JpgBitInput *input, const JpgHuffTable *dc, const JpgHuffTable *ac, int16_t *predictor,
                      int16_t *block)
{
    return DecodeBlockPacked<true>(input, dc, ac, predictor, block);
}

// The block decoders of MMX processors of family 5, which have no
// conditional moves: this file is built without them, and the processor
// types that follow share its DC-only decoder and file refill.
#include "huffman_decode_64.h"

int JpgRefillInputMmx(JpgBitInput *input)
{
    int done = 0;
    int ok = JpgFileRead(input->file, input->fileBuffer, JPG_FILE_BUFFER_SIZE, &done);
    if (!ok)
        done = 0;
    input->start = input->position = input->fileBuffer;
    input->available = done;
    input->end = input->fileBuffer + done;
    if (!ok)
        return JPG_ERR_FILE;
    return done == 0 ? JPG_ERR_EOF : 0;
}

int JpgDecodeBlockMmxFamily5(JpgBitInput *input, const JpgHuffTable *dc, const JpgHuffTable *ac,
                             int16_t *predictor, int16_t *block)
{
    return DecodeBlockPacked<false>(input, dc, ac, predictor, block);
}

int JpgDecodeBlockDcOnlyMmx(JpgBitInput *input, const JpgHuffTable *dc, const JpgHuffTable *ac,
                            int16_t *predictor, int16_t *dcOut)
{
    return DecodeDcOnlyPacked(input, dc, ac, predictor, dcOut);
}

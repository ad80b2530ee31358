#include "jpeg_forced_cpu.h"

#include <stdlib.h>

#include "jpeg_codec.h"
#include "jpeg_decoder.h"
#include "jpeg_dispatch.h"

void ApplyForcedCpuTypeFromEnvironment(void)
{
    const char *type = getenv("ZT_JPEG_USECPU");
    JpgForceCpuTypeForTests(type && *type ? atoi(type) : -1);
}

bool PackedDecodersInForce(void)
{
    JPEG_IMAGE_PROPS record;
    if (JpgLibInit(&record) != 0)
        return false;
    bool packed = record.props.input.dispatch->huff_decode_block != JpgDecodeBlock;
    JpgLibFree(&record);
    return packed;
}

namespace {

const bool Applied = (ApplyForcedCpuTypeFromEnvironment(), true);

} // namespace

#include "jpeg_forced_cpu.h"

#include <stdlib.h>

#include "jpeg_dispatch.h"

void ApplyForcedCpuTypeFromEnvironment(void)
{
    const char *type = getenv("ZT_JPEG_USECPU");
    JpgForceCpuTypeForTests(type && *type ? atoi(type) : -1);
}

namespace {

const bool Applied = (ApplyForcedCpuTypeFromEnvironment(), true);

} // namespace

// The whole codec suite runs again with each processor type forced, as the
// machine-wide override would force it: ZT_JPEG_USECPU=<type> in the
// environment of the test program.
#pragma once

// Forces the type the environment names, or stops forcing when it names none.
void ApplyForcedCpuTypeFromEnvironment(void);

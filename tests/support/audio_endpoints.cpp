// Run once before the tests that play sound: the first programs that use
// audio in a new Wine prefix each give its device an endpoint id of their own,
// and when several start side by side the last to write it wins. A program
// that lost keeps an endpoint the driver no longer knows, and every wave-out
// it opens fails (MCI then reports a track that stopped at once). Asking for
// the devices here, alone, registers the endpoints that all later programs read.
#include <windows.h>
#include <mmsystem.h>

#include <cstdio>

int main()
{
    UINT out = waveOutGetNumDevs();
    UINT in = waveInGetNumDevs();
    std::printf("wave-out devices %u, wave-in devices %u\n", out, in);
    return out > 0 && in > 0 ? 0 : 1;
}

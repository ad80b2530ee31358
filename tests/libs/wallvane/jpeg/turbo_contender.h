// libjpeg-turbo's side of the speed comparison: one decode or encode timed
// in this process, where its SIMD is on, and the same in a child process
// started with JSIMD_FORCENONE=1, where it runs its plain C. The library
// reads that variable once per process, so both forms in one run need two.
#pragma once
#include <sys/types.h>

#include <vector>

enum TurboOperation { TURBO_DECODE = 1, TURBO_ENCODE = 2 };

struct TurboJob {
    int operation;
    int width, height;
    int subsampling; // TJSAMP_ code, encode only
    int quality;
    int flags; // TJFLAG_ bits
};

// One run over the input (JPEG bytes to decode into BGR, or RGB pixels to
// encode), its processor time in seconds, or a negative value on failure.
double TurboRunOnce(const TurboJob &job, const std::vector<unsigned char> &input);

// The child process of plain C runs.
struct PlainTurbo {
    pid_t pid;
    int toChild, fromChild;
};

// Starts this program again as the worker (its main hands the argument
// PlainTurboWorkerArgument to PlainTurboWorkerMain).
bool StartPlainTurbo(PlainTurbo *worker);
// The input of the runs that follow.
bool SendPlainTurboInput(PlainTurbo *worker, const std::vector<unsigned char> &input);
double RunPlainTurbo(PlainTurbo *worker, const TurboJob &job);
void StopPlainTurbo(PlainTurbo *worker);

extern const char PlainTurboWorkerArgument[];
// The worker's loop over requests on its standard input, answers on its
// standard output; returns when the parent closes the pipe.
int PlainTurboWorkerMain(void);

#include "turbo_contender.h"

#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <turbojpeg.h>

#include "benchmark_picture.h"

const char PlainTurboWorkerArgument[] = "--plain-turbo-worker";

namespace {

// What both processes keep between runs: the handles and output buffers,
// so that a run times the work and not the allocation.
struct TurboState {
    tjhandle compressor = nullptr, decompressor = nullptr;
    std::vector<unsigned char> pixels, jpeg;
};

TurboState &State(void)
{
    static TurboState state;
    if (!state.compressor) {
        state.compressor = tjInitCompress();
        state.decompressor = tjInitDecompress();
    }
    return state;
}

bool WriteAll(int fd, const void *data, size_t size)
{
    const char *p = static_cast<const char *>(data);
    while (size > 0) {
        ssize_t n = write(fd, p, size);
        if (n <= 0)
            return false;
        p += n;
        size -= (size_t)n;
    }
    return true;
}

bool ReadAll(int fd, void *data, size_t size)
{
    char *p = static_cast<char *>(data);
    while (size > 0) {
        ssize_t n = read(fd, p, size);
        if (n <= 0)
            return false;
        p += n;
        size -= (size_t)n;
    }
    return true;
}

// A request: kind, then the job, or the size and bytes of a new input.
enum { REQUEST_INPUT = 1, REQUEST_RUN = 2 };

} // namespace

double TurboRunOnce(const TurboJob &job, const std::vector<unsigned char> &input)
{
    TurboState &s = State();
    double start = ThreadSeconds();
    int result;
    if (job.operation == TURBO_DECODE) {
        size_t need = (size_t)job.width * job.height * 3;
        if (s.pixels.size() < need)
            s.pixels.resize(need);
        start = ThreadSeconds();
        result = tjDecompress2(s.decompressor, input.data(), input.size(), s.pixels.data(), job.width, 0,
                               job.height, TJPF_BGR, job.flags);
    } else {
        unsigned long size = tjBufSize(job.width, job.height, job.subsampling);
        if (s.jpeg.size() < size)
            s.jpeg.resize(size);
        unsigned char *out = s.jpeg.data();
        start = ThreadSeconds();
        result = tjCompress2(s.compressor, input.data(), job.width, 0, job.height, TJPF_RGB, &out, &size,
                             job.subsampling, job.quality, job.flags | TJFLAG_NOREALLOC);
    }
    double seconds = ThreadSeconds() - start;
    if (result != 0) {
        fprintf(stderr, "libjpeg-turbo failed: %s\n", tjGetErrorStr());
        return -1;
    }
    return seconds;
}

bool StartPlainTurbo(PlainTurbo *worker)
{
    int down[2], up[2];
    if (pipe(down) != 0 || pipe(up) != 0)
        return false;
    pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        dup2(down[0], 0);
        dup2(up[1], 1);
        close(down[0]);
        close(down[1]);
        close(up[0]);
        close(up[1]);
        setenv("JSIMD_FORCENONE", "1", 1);
        char self[] = "/proc/self/exe";
        char argument[sizeof PlainTurboWorkerArgument];
        memcpy(argument, PlainTurboWorkerArgument, sizeof argument);
        char *arguments[] = {self, argument, nullptr};
        execv(self, arguments);
        _exit(127);
    }
    close(down[0]);
    close(up[1]);
    // A worker that dies must fail the write, not end this program.
    signal(SIGPIPE, SIG_IGN);
    worker->pid = pid;
    worker->toChild = down[1];
    worker->fromChild = up[0];
    return true;
}

bool SendPlainTurboInput(PlainTurbo *worker, const std::vector<unsigned char> &input)
{
    int kind = REQUEST_INPUT;
    uint64_t size = input.size();
    char answer = 0;
    return WriteAll(worker->toChild, &kind, sizeof kind) && WriteAll(worker->toChild, &size, sizeof size) &&
           WriteAll(worker->toChild, input.data(), input.size()) && ReadAll(worker->fromChild, &answer, 1) &&
           answer == 1;
}

double RunPlainTurbo(PlainTurbo *worker, const TurboJob &job)
{
    int kind = REQUEST_RUN;
    double seconds = -1;
    if (!WriteAll(worker->toChild, &kind, sizeof kind) || !WriteAll(worker->toChild, &job, sizeof job) ||
        !ReadAll(worker->fromChild, &seconds, sizeof seconds))
        return -1;
    return seconds;
}

void StopPlainTurbo(PlainTurbo *worker)
{
    close(worker->toChild);
    close(worker->fromChild);
    int status;
    waitpid(worker->pid, &status, 0);
}

int PlainTurboWorkerMain(void)
{
    std::vector<unsigned char> input;
    int kind;
    while (ReadAll(0, &kind, sizeof kind)) {
        if (kind == REQUEST_INPUT) {
            uint64_t size;
            if (!ReadAll(0, &size, sizeof size))
                return 1;
            input.resize(size);
            char done = ReadAll(0, input.data(), size) ? 1 : 0;
            if (!WriteAll(1, &done, 1) || !done)
                return 1;
        } else if (kind == REQUEST_RUN) {
            TurboJob job;
            if (!ReadAll(0, &job, sizeof job))
                return 1;
            double seconds = TurboRunOnce(job, input);
            if (!WriteAll(1, &seconds, sizeof seconds))
                return 1;
        } else {
            return 1;
        }
    }
    return 0;
}

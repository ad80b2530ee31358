/* Preloaded into the i386 Wine that runs under qemu's user-mode emulation.
 *
 * qemu writes -1 as the trap number of every processor fault it delivers.
 * Wine tells an access violation from an illegal instruction or a divide
 * error by that number, so without it every access violation becomes an
 * illegal instruction and structured exception handling, vectored handlers
 * and IsBadReadPtr stop working. This wraps sigaction for the fault signals
 * and fills in the number from si_code before Wine's handler runs.
 *
 * Built by the host compiler with -m32 -nostdlib: no 32-bit C library headers
 * are needed, so the few layouts used are spelled out here (Linux i386). */

typedef void (*FaultHandler)(int signal, void *info, void *context);

struct KernelSigaction { /* glibc's struct sigaction on i386 */
    FaultHandler handler;
    unsigned long mask[32];
    int flags;
    void (*restorer)(void);
};

enum { SA_SIGINFO_FLAG = 4, SIG_TRAP = 5, SIG_FPE = 8, SIG_SEGV = 11, SIGNAL_LIMIT = 65 };
/* ucontext_t: uc_flags, uc_link, uc_stack (3 words), then gregs[]. */
enum { GREGS_OFFSET = 20, REG_TRAPNO = 12 };
/* si_code values of the fault signals */
enum { SEGV_MAPERR = 1, SEGV_ACCERR = 2, TRAP_TRACE = 2, FPE_INTDIV = 1, FPE_INTOVF = 2 };
/* x86 trap numbers */
enum { TRAP_DIVIDE = 0, TRAP_SINGLE_STEP = 1, TRAP_BREAKPOINT = 3, TRAP_OVERFLOW = 4,
       TRAP_PROTECTION = 13, TRAP_PAGE_FAULT = 14, TRAP_FPU = 16 };

extern void *dlsym(void *handle, const char *name);
#define RTLD_NEXT ((void *)-1L)

static FaultHandler WineHandlers[SIGNAL_LIMIT];
static int (*RealSigaction)(int, const struct KernelSigaction *, struct KernelSigaction *);

static int IsFaultSignal(int signal)
{
    return signal == SIG_SEGV || signal == SIG_TRAP || signal == SIG_FPE;
}

static int TrapNumber(int signal, int code)
{
    switch (signal) {
    case SIG_SEGV:
        return code == SEGV_MAPERR || code == SEGV_ACCERR ? TRAP_PAGE_FAULT : TRAP_PROTECTION;
    case SIG_TRAP:
        return code == TRAP_TRACE ? TRAP_SINGLE_STEP : TRAP_BREAKPOINT;
    default:
        return code == FPE_INTDIV ? TRAP_DIVIDE : code == FPE_INTOVF ? TRAP_OVERFLOW : TRAP_FPU;
    }
}

static void ForwardFault(int signal, void *info, void *context)
{
    int *registers = (int *)((char *)context + GREGS_OFFSET);
    if (registers[REG_TRAPNO] == -1)
        registers[REG_TRAPNO] = TrapNumber(signal, ((int *)info)[2]);
    WineHandlers[signal](signal, info, context);
}

int sigaction(int signal, const struct KernelSigaction *action, struct KernelSigaction *old)
{
    if (!RealSigaction)
        RealSigaction = (int (*)(int, const struct KernelSigaction *, struct KernelSigaction *))dlsym(RTLD_NEXT, "sigaction");
    if (!RealSigaction)
        return -1;
    if (!IsFaultSignal(signal))
        return RealSigaction(signal, action, old);

    FaultHandler previous = WineHandlers[signal];
    struct KernelSigaction wrapped;
    const struct KernelSigaction *installed = action;
    if (action && (action->flags & SA_SIGINFO_FLAG) && action->handler != ForwardFault) {
        wrapped = *action;
        wrapped.handler = ForwardFault;
        WineHandlers[signal] = action->handler;
        installed = &wrapped;
    }
    int result = RealSigaction(signal, installed, old);
    if (result != 0 && installed == &wrapped)
        WineHandlers[signal] = previous;
    if (result == 0 && old && old->handler == ForwardFault)
        old->handler = previous;
    return result;
}

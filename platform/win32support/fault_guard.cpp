#include "fault_guard.h"

namespace {

struct GuardFrame {
    void *jump[5];
    GuardFrame *outer;
};

thread_local GuardFrame *CurrentGuard = nullptr;

__attribute__((noinline, noreturn)) void GuardLanding(void)
{
    __builtin_longjmp(CurrentGuard->jump, 1);
}

bool IsProcessorFault(DWORD code)
{
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_DATATYPE_MISALIGNMENT:
    case EXCEPTION_FLT_DIVIDE_BY_ZERO:
    case EXCEPTION_FLT_INVALID_OPERATION:
    case EXCEPTION_FLT_OVERFLOW:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_PRIV_INSTRUCTION:
        return true;
    default:
        return false;
    }
}

LONG CALLBACK FaultHandler(EXCEPTION_POINTERS *info)
{
    if (!CurrentGuard || !IsProcessorFault(info->ExceptionRecord->ExceptionCode))
        return EXCEPTION_CONTINUE_SEARCH;
    CONTEXT *context = info->ContextRecord;
    // Resume as if the faulting code had called the landing function, with
    // room below the faulting frame and the stack aligned for a call.
#ifdef _WIN64
    context->Rsp = ((context->Rsp - 512) & ~(DWORD64)15) - 8;
    context->Rip = (DWORD64)(void *)GuardLanding;
#else
    context->Esp = ((context->Esp - 512) & ~(DWORD)15) - 4;
    context->Eip = (DWORD)(void *)GuardLanding;
#endif
    return EXCEPTION_CONTINUE_EXECUTION;
}

void InstallFaultHandler(void)
{
    static PVOID handler = AddVectoredExceptionHandler(1, FaultHandler);
    (void)handler;
}

} // namespace

bool RunGuarded(int (*operation)(void *context), void *context, int *result)
{
    InstallFaultHandler();
    GuardFrame frame;
    frame.outer = CurrentGuard;
    if (__builtin_setjmp(frame.jump)) {
        CurrentGuard = CurrentGuard->outer;
        return false;
    }
    CurrentGuard = &frame;
    *result = operation(context);
    CurrentGuard = frame.outer;
    return true;
}

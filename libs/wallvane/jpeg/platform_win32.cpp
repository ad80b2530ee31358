// The codec's Windows side: the system functions it loads by name, the
// machine-wide processor override, and the trap that turns a processor
// fault inside an operation into a result code.
#include <windows.h>

#include "jpeg_constants.h"
#include "jpeg_dispatch.h"
#include "jpeg_platform.h"

typedef LONG(WINAPI *RegOpenKeyExProc)(HKEY, LPCSTR, DWORD, REGSAM, PHKEY);
typedef LONG(WINAPI *RegQueryValueExProc)(HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD);
typedef LONG(WINAPI *RegCloseKeyProc)(HKEY);

// Loaded for the codec's callers; the codec itself never calls them.
static FARPROC UserFunctions[4];
static const char *const UserFunctionNames[4] = {"MessageBoxA", "PeekMessageA", "PostQuitMessage",
                                                 "wsprintfA"};

void JpgLoadUserFunctions(JpgDispatch *dispatch)
{
    if (!dispatch->user32)
        dispatch->user32 = (void *)LoadLibraryA("user32");
    if (!dispatch->user32)
        return;
    for (int i = 0; i < 4; i++) {
        UserFunctions[i] = GetProcAddress((HMODULE)dispatch->user32, UserFunctionNames[i]);
        if (!UserFunctions[i])
            return;
    }
}

void JpgLoadRegistryFunctions(JpgDispatch *dispatch)
{
    if (!dispatch->advapi32)
        dispatch->advapi32 = (void *)LoadLibraryA("advapi32");
    if (!dispatch->advapi32)
        return;
    HMODULE module = (HMODULE)dispatch->advapi32;
    if (!(dispatch->regOpenKeyEx = (void *)GetProcAddress(module, "RegOpenKeyExA")))
        return;
    if (!(dispatch->regQueryValueEx = (void *)GetProcAddress(module, "RegQueryValueExA")))
        return;
    dispatch->regCloseKey = (void *)GetProcAddress(module, "RegCloseKey");
}

void JpgReleaseSystemFunctions(JpgDispatch *dispatch)
{
    if (dispatch->user32)
        FreeLibrary((HMODULE)dispatch->user32);
    if (dispatch->advapi32)
        FreeLibrary((HMODULE)dispatch->advapi32);
    dispatch->user32 = dispatch->advapi32 = nullptr;
    dispatch->regOpenKeyEx = dispatch->regQueryValueEx = dispatch->regCloseKey = nullptr;
}

int JpgPlatformReadCpuOverride(JpgDispatch *dispatch)
{
    if (!dispatch->regOpenKeyEx || !dispatch->regQueryValueEx || !dispatch->regCloseKey)
        return -1;
    HKEY key = nullptr;
    LONG opened = ((RegOpenKeyExProc)dispatch->regOpenKeyEx)(
        HKEY_LOCAL_MACHINE, "Software\\Kestrova\\JpgLib", 0, KEY_QUERY_VALUE, &key);
    if (opened != ERROR_SUCCESS)
        return -1;
    LONG value = -1;
    DWORD size = sizeof value;
    LONG queried = ((RegQueryValueExProc)dispatch->regQueryValueEx)(key, "USECPU", nullptr, nullptr,
                                                                    (LPBYTE)&value, &size);
    ((RegCloseKeyProc)dispatch->regCloseKey)(key);
    return queried == ERROR_SUCCESS ? (int)value : -1;
}

// GCC has no __try: a vectored handler sends a faulting thread that is
// inside a guard to a landing function, which jumps back to the guard.
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

int JpgRunGuarded(int (*operation)(void *context), void *context)
{
    InstallFaultHandler();
    GuardFrame frame;
    frame.outer = CurrentGuard;
    if (__builtin_setjmp(frame.jump)) {
        CurrentGuard = CurrentGuard->outer;
        return JPG_ERR_EXCEPTION;
    }
    CurrentGuard = &frame;
    int result = operation(context);
    CurrentGuard = frame.outer;
    return result;
}

void JpgTrace(const char *text)
{
    OutputDebugStringA(text);
}

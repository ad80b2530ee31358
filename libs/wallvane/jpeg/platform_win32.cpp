// The codec's Windows side: the system functions it loads by name, the
// machine-wide processor override, and the trap that turns a processor
// fault inside an operation into a result code.
#include <windows.h>

#include "fault_guard.h"
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

int JpgRunGuarded(int (*operation)(void *context), void *context)
{
    int result = JPG_ERR_EXCEPTION;
    return RunGuarded(operation, context, &result) ? result : JPG_ERR_EXCEPTION;
}

void JpgTrace(const char *text)
{
    OutputDebugStringA(text);
}

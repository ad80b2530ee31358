#include "dde_start.h"

#include "ui_seams.h"

DWORD StartDde(PFNCALLBACK callback, DWORD flags, const char *captionFormat,
               const char *failureText)
{
    DWORD instance = 0;
    UINT result = DdeInitializeA(&instance, callback, flags, 0);
    if (result == DMLERR_NO_ERROR)
        return instance;
    if (failureText) {
        char caption[128];
        wsprintfA(caption, captionFormat ? captionFormat : "%d", (int)result);
        ZtMessageBox(nullptr, failureText, caption, MB_ICONHAND);
    }
    return 0;
}

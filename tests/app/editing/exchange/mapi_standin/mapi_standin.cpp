// A stand-in for the system's Simple MAPI library: it sends nothing and writes
// down what it was asked to send, so tests can read the message back.
//   ZT_MAPI_RECORD        file that receives the message (attachments beside it as .att0, .att1, ...)
//   ZT_MAPI_LOGON_RESULT  result of MAPILogon (default 0)
//   ZT_MAPI_SEND_RESULT   result of MAPISendMail (default 0)
#include <windows.h>

#include <mapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

static ULONG ResultFrom(const char *name)
{
    char value[32];
    DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? (ULONG)std::strtoul(value, nullptr, 10) : 0;
}

static std::string RecordPath()
{
    char path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("ZT_MAPI_RECORD", path, sizeof path);
    return length > 0 && length < sizeof path ? std::string(path) : std::string();
}

static void CopyFileBytes(const char *from, const std::string &to)
{
    CopyFileA(from, to.c_str(), FALSE);
}

extern "C" ULONG WINAPI MAPILogon(ULONG_PTR, LPSTR, LPSTR, FLAGS, ULONG, LPLHANDLE session)
{
    ULONG result = ResultFrom("ZT_MAPI_LOGON_RESULT");
    if (result == 0 && session)
        *session = 0x5E55;
    return result;
}

extern "C" ULONG WINAPI MAPILogoff(LHANDLE, ULONG_PTR, FLAGS, ULONG)
{
    return 0;
}

extern "C" ULONG WINAPI MAPISendDocuments(ULONG_PTR, LPSTR, LPSTR, LPSTR, ULONG)
{
    return 26;
}

extern "C" ULONG WINAPI MAPISendMail(LHANDLE session, ULONG_PTR, lpMapiMessage message,
                                     FLAGS flags, ULONG)
{
    std::string path = RecordPath();
    if (!path.empty() && message) {
        FILE *out = std::fopen(path.c_str(), "wb");
        if (out) {
            std::fprintf(out, "session=%lx\nsubject=%s\nflags=%lu\nsendflags=%lu\nrecipients=%lu\nfiles=%lu\n",
                         (unsigned long)session, message->lpszSubject ? message->lpszSubject : "",
                         (unsigned long)message->flFlags, (unsigned long)flags,
                         (unsigned long)message->nRecipCount, (unsigned long)message->nFileCount);
            for (ULONG i = 0; i < message->nFileCount; ++i) {
                const MapiFileDesc &f = message->lpFiles[i];
                std::fprintf(out, "path=%s\nname=%s\nposition=%ld\n", f.lpszPathName ? f.lpszPathName : "",
                             f.lpszFileName ? f.lpszFileName : "", (long)f.nPosition);
                if (f.lpszPathName)
                    CopyFileBytes(f.lpszPathName, path + ".att" + std::to_string(i));
            }
            std::fprintf(out, "text=%s", message->lpszNoteText ? message->lpszNoteText : "");
            std::fclose(out);
        }
    }
    return ResultFrom("ZT_MAPI_SEND_RESULT");
}

#include "command_line.h"

#include <cstring>

#include "core/core_ids.h"

bool AsksForMultipleInstances(const char *commandLine)
{
    return commandLine && std::strstr(commandLine, MULTI_INSTANCE_SWITCH) != nullptr;
}

bool CommandLineNamesSomething(const char *commandLine)
{
    if (!commandLine)
        return false;
    for (const char *p = commandLine; *p; ++p)
        if (*p != ' ' && *p != '\t')
            return true;
    return false;
}

bool FolderOfPath(const char *path, char *out, size_t outSize)
{
    const char *cut = nullptr;
    for (const char *p = path; *p; ++p)
        if (*p == '\\' || *p == '/')
            cut = p;
    if (!cut)
        return false;
    size_t length = (size_t)(cut - path) + 1;
    if (length + 1 > outSize)
        return false;
    std::memcpy(out, path, length);
    out[length] = 0;
    return true;
}

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

#include "syntax_config.h"

int LoadSyntaxConfig(const char *path)
{
    (void)path;
    return 0;
}

void FreeSyntaxConfig(void) {}

#include "mail.h"

int MailInit(void)
{
    return -1;
}

void MailShutdown(void) {}

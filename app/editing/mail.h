// E-mail of a note through MAPI32, loaded by name.
#pragma once

// Returns 0 when e-mail can be used, -1 otherwise.
int MailInit(void);
void MailShutdown(void);

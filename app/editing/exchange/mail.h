// E-mail of a note through Simple MAPI, loaded by name.
#pragma once
#include <windows.h>

// 0 ready, 2 the MAPI library could not be loaded, 4 an entry point is missing.
int MailInit(void);
void MailShutdown(void);
// Whether MailInit found MAPI: the note menu greys "Mail To ..." otherwise.
BOOL MailReady(void);

// kind: MAIL_PLAIN_TEXT, MAIL_WITH_EXP, MAIL_WITH_RTF, MAIL_WITH_INSTALLER.
// 0 sent; -2 logon refused or the user cancelled; -1 no memory; else MAPI's error.
int MailZettly(int slot, int kind);
// The installer program with this note appended, in the temporary folder.
// 0 written (path in pathBuffer), -1 failure, -2 the path does not fit.
int WriteInstallerWithZettly(int slot, char *pathBuffer, int size);
// The "Mail To ..." commands of a note: sends and reports what the user must see.
int MailZettlyCommand(HWND owner, int slot, int commandId);

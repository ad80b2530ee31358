#include "syntax_config.h"

static SyntaxTable ProcessSyntaxTable = {{0x000000, 0, SYNTAX_KEEP_CASE}, nullptr};

int LoadSyntaxConfig(const char *path)
{
    FreeSyntaxTable(&ProcessSyntaxTable);
    InitSyntaxTable(&ProcessSyntaxTable);
    return LoadSyntaxTable(&ProcessSyntaxTable, path);
}

void FreeSyntaxConfig(void)
{
    FreeSyntaxTable(&ProcessSyntaxTable);
}

const SyntaxTable *CurrentSyntaxTable(void)
{
    return &ProcessSyntaxTable;
}

int SyntaxLanguageCount(void)
{
    return CountSyntaxLanguages(&ProcessSyntaxTable);
}

const char *SyntaxLanguageName(int language)
{
    const SyntaxLanguage *l = FindSyntaxLanguage(&ProcessSyntaxTable, language);
    return l ? l->name : nullptr;
}

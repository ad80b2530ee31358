#include "syntax_table.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

#define SYNTAX_MAX_FIELDS 5

struct ConfigReader {
    SyntaxTable *table;
    SyntaxLanguage *current;
    SyntaxLanguage *last;
    bool outOfMemory;
};

struct Field {
    const char *text;
    size_t length;
};

struct TagRule {
    const char *tag;
    int kind;           // SyntaxGroupKind, or -1 for CS
    int requiredFields;
};

const TagRule TagRules[] = {
    {"CS", -1, 1},
    {"SC", SYNTAX_SINGLE_COMMENT, 4},
    {"MC", SYNTAX_MULTI_COMMENT, 5},
    {"ST", SYNTAX_STRING, 5},
    {"OP", SYNTAX_OPERATOR, 4},
    {"KW", SYNTAX_KEYWORD, 4},
};

unsigned char FoldCase(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? (unsigned char)(c - 'A' + 'a') : c;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// A number as "%d" reads it, but without overflow: clamped to the int range.
bool ReadNumber(const char **cursor, const char *end, long long *value)
{
    const char *p = *cursor;
    while (p < end && (IsBlank(*p) || *p == '\r' || *p == '\n'))
        p++;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        p++;
    }
    if (p >= end || !isdigit((unsigned char)*p))
        return false;
    long long v = 0;
    for (; p < end && isdigit((unsigned char)*p); p++) {
        if (v < INT_MAX)
            v = v * 10 + (*p - '0');
        if (v > INT_MAX)
            v = INT_MAX;
    }
    *value = negative ? -v : v;
    *cursor = p;
    return true;
}

int ReadId(const Field &f)
{
    const char *p = f.text;
    long long v = 0;
    return ReadNumber(&p, f.text + f.length, &v) ? (int)v : 0;
}

// "r,g,b", each component taken modulo 256. Returns false when the field
// does not hold three numbers, which leaves the default colour.
bool ReadColour(const Field &f, uint32_t *colour)
{
    const char *p = f.text;
    const char *end = f.text + f.length;
    uint32_t parts[3];
    for (int i = 0; i < 3; i++) {
        long long v;
        if (i > 0) {
            if (p >= end || *p != ',')
                return false;
            p++;
        }
        if (!ReadNumber(&p, end, &v))
            return false;
        parts[i] = (uint32_t)(((v % 256) + 256) % 256);
    }
    *colour = parts[0] | (parts[1] << 8) | (parts[2] << 16);
    return true;
}

void ReadStyle(const Field &f, SyntaxFormat *format)
{
    for (size_t i = 0; i < f.length; i++) {
        switch (f.text[i]) {
        case 'B': case 'b': format->effects |= SYNTAX_BOLD; break;
        case 'I': case 'i': format->effects |= SYNTAX_ITALIC; break;
        case 'U': case 'u': format->effects |= SYNTAX_UNDERLINE; break;
        case 'L': case 'l': format->caseMarker = SYNTAX_LOWER_CASE; break;
        case 'Z': case 'z': format->caseMarker = SYNTAX_UPPER_CASE; break;
        default: break;
        }
    }
}

SyntaxKeywordGroup *FindOrAddGroup(SyntaxLanguage *language, int kind, int id)
{
    SyntaxKeywordGroup **link = &language->groups[kind];
    for (; *link; link = &(*link)->next)
        if ((*link)->id == id)
            return *link;
    SyntaxKeywordGroup *group = (SyntaxKeywordGroup *)calloc(1, sizeof *group);
    if (!group)
        return nullptr;
    group->id = id;
    *link = group;
    return group;
}

// Appends one token; the tail pointer keeps long lists linear to build.
void AppendToken(SyntaxKeywordGroup *group, const char *text, size_t length)
{
    if (length > SYNTAX_NAME_MAX)
        length = SYNTAX_NAME_MAX;
    SyntaxKeyword *token = (SyntaxKeyword *)calloc(1, sizeof *token);
    if (!token)
        return;
    memcpy(token->text, text, length);
    token->text[length] = '\0';
    token->length = (int32_t)length;
    if (group->lastToken)
        group->lastToken->next = token;
    else
        group->tokens = token;
    group->lastToken = token;
}

// The next token of a comma list: leading blanks skipped, ending at a comma,
// TAB or LF. Returns false at the end of the field.
bool NextListToken(const char **cursor, const char *end, const char **start, size_t *length)
{
    const char *p = *cursor;
    for (;;) {
        while (p < end && IsBlank(*p))
            p++;
        if (p >= end)
            return false;
        const char *s = p;
        while (p < end && *p != ',' && *p != '\t' && *p != '\n')
            p++;
        size_t n = (size_t)(p - s);
        if (p < end)
            p++;
        if (n > 0) {
            *cursor = p;
            *start = s;
            *length = n;
            return true;
        }
    }
}

void AppendTokenList(SyntaxKeywordGroup *group, const Field &f)
{
    const char *p = f.text;
    const char *end = f.text + f.length;
    const char *token;
    size_t length;
    while (NextListToken(&p, end, &token, &length))
        AppendToken(group, token, length);
}

// For start/end and delimiter/escape pairs only the first token of each field
// counts, so the pairs never shift.
bool FirstListToken(const Field &f, const char **token, size_t *length)
{
    const char *p = f.text;
    return NextListToken(&p, f.text + f.length, token, length);
}

void StoreFieldLine(ConfigReader *reader, const TagRule &rule, const Field *fields)
{
    SyntaxLanguage *language = reader->current;
    if (rule.kind < 0) {
        long long v = 0;
        const char *p = fields[0].text;
        if (ReadNumber(&p, fields[0].text + fields[0].length, &v))
            language->caseSensitive = v != 0 ? 1 : 0;
        return;
    }

    const Field *style, *colour;
    const char *first = nullptr, *second = nullptr;
    size_t firstLength = 0, secondLength = 0;
    switch (rule.kind) {
    case SYNTAX_SINGLE_COMMENT:
        style = &fields[2];
        colour = &fields[3];
        break;
    case SYNTAX_MULTI_COMMENT:
    case SYNTAX_STRING:
        // A start, end or delimiter that is empty would match everywhere; a
        // string may well have no escape.
        if (!FirstListToken(fields[1], &first, &firstLength))
            return;
        if (!FirstListToken(fields[2], &second, &secondLength) && rule.kind == SYNTAX_MULTI_COMMENT)
            return;
        style = &fields[3];
        colour = &fields[4];
        break;
    default:
        style = &fields[1];
        colour = &fields[2];
        break;
    }

    SyntaxKeywordGroup *group = FindOrAddGroup(language, rule.kind, ReadId(fields[0]));
    if (!group)
        return;
    SyntaxFormat format = reader->table->defaultFormat;
    ReadStyle(*style, &format);
    ReadColour(*colour, &format.colour);
    group->format = format;

    switch (rule.kind) {
    case SYNTAX_SINGLE_COMMENT:
        AppendTokenList(group, fields[1]);
        break;
    case SYNTAX_MULTI_COMMENT:
    case SYNTAX_STRING:
        AppendToken(group, first, firstLength);
        AppendToken(group, second ? second : "", secondLength);
        break;
    default:
        AppendTokenList(group, fields[3]);
        break;
    }
}

void ReadSectionHeader(ConfigReader *reader, const char *line, size_t length)
{
    const char *close = (const char *)memchr(line, '}', length);
    if (!close)
        return;
    size_t n = (size_t)(close - line - 1);
    if (n > SYNTAX_NAME_MAX)
        n = SYNTAX_NAME_MAX;
    SyntaxLanguage *language = (SyntaxLanguage *)calloc(1, sizeof *language);
    if (!language) {
        reader->outOfMemory = true;
        return;
    }
    memcpy(language->name, line + 1, n);
    language->name[n] = '\0';
    language->caseSensitive = 1;
    if (reader->last)
        reader->last->next = language;
    else
        reader->table->languages = language;
    reader->last = language;
    reader->current = language;
}

void ReadFieldLine(ConfigReader *reader, const char *line, size_t length)
{
    const char *bar = (const char *)memchr(line, '|', length);
    if (!bar || !reader->current)
        return;
    size_t tagLength = (size_t)(bar - line);
    const TagRule *rule = nullptr;
    for (const TagRule &r : TagRules)
        if (tagLength == 2 && CompareSyntaxText(line, r.tag, 2, false) == 0)
            rule = &r;
    if (!rule)
        return;

    Field fields[SYNTAX_MAX_FIELDS] = {};
    int count = 0;
    const char *end = line + length;
    const char *p = bar;
    while (count < SYNTAX_MAX_FIELDS && p < end && *p == '|') {
        const char *s = p + 1;
        const char *next = (const char *)memchr(s, '|', (size_t)(end - s));
        const char *stop = next ? next : end;
        fields[count].text = s;
        fields[count].length = (size_t)(stop - s);
        count++;
        p = stop;
    }
    if (count < rule->requiredFields)
        return;
    StoreFieldLine(reader, *rule, fields);
}

void ReadLine(ConfigReader *reader, const char *line, size_t length)
{
    // Files written on Windows and read in binary keep their CR.
    if (length > 0 && line[length - 1] == '\r')
        length--;
    if (length == 0 || line[0] == '#')
        return;
    if (line[0] == '{')
        ReadSectionHeader(reader, line, length);
    else
        ReadFieldLine(reader, line, length);
}

int CompareForOrder(const SyntaxKeyword *a, const SyntaxKeyword *b, bool caseSensitive)
{
    size_t n = (size_t)(a->length < b->length ? a->length : b->length);
    int c = CompareSyntaxText(a->text, b->text, n, caseSensitive);
    if (c != 0)
        return c;
    return (a->length > b->length) - (a->length < b->length);
}

// Descending order, compared the way keywords are matched, so that of two
// keywords where one begins the other the longer is tried first.
SyntaxKeyword *SortDescending(SyntaxKeyword *list, bool caseSensitive)
{
    if (!list || !list->next)
        return list;
    SyntaxKeyword *slow = list, *fast = list->next;
    while (fast && fast->next) {
        slow = slow->next;
        fast = fast->next->next;
    }
    SyntaxKeyword *right = slow->next;
    slow->next = nullptr;
    SyntaxKeyword *left = SortDescending(list, caseSensitive);
    right = SortDescending(right, caseSensitive);
    SyntaxKeyword head = {};
    SyntaxKeyword *tail = &head;
    while (left && right) {
        if (CompareForOrder(left, right, caseSensitive) >= 0) {
            tail->next = left;
            left = left->next;
        } else {
            tail->next = right;
            right = right->next;
        }
        tail = tail->next;
    }
    tail->next = left ? left : right;
    return head.next;
}

void SortKeywords(SyntaxTable *table)
{
    for (SyntaxLanguage *l = table->languages; l; l = l->next)
        for (SyntaxKeywordGroup *g = l->groups[SYNTAX_KEYWORD]; g; g = g->next)
        {
            g->tokens = SortDescending(g->tokens, l->caseSensitive != 0);
            g->lastToken = g->tokens;
            while (g->lastToken && g->lastToken->next)
                g->lastToken = g->lastToken->next;
        }
}

void StartReader(ConfigReader *reader, SyntaxTable *table)
{
    reader->table = table;
    reader->current = nullptr;
    reader->last = nullptr;
    for (SyntaxLanguage *l = table->languages; l; l = l->next)
        reader->last = l;
    reader->outOfMemory = false;
}

int FinishReader(ConfigReader *reader)
{
    SortKeywords(reader->table);
    return reader->outOfMemory ? -1 : 0;
}

void FreeTokens(SyntaxKeyword *token)
{
    while (token) {
        SyntaxKeyword *next = token->next;
        free(token);
        token = next;
    }
}

} // namespace

int CompareSyntaxText(const char *a, const char *b, size_t count, bool caseSensitive)
{
    for (size_t i = 0; i < count; i++) {
        unsigned char x = (unsigned char)a[i], y = (unsigned char)b[i];
        if (!caseSensitive) {
            x = FoldCase(x);
            y = FoldCase(y);
        }
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

void InitSyntaxTable(SyntaxTable *table)
{
    table->defaultFormat.colour = 0x000000;
    table->defaultFormat.effects = 0;
    table->defaultFormat.caseMarker = SYNTAX_KEEP_CASE;
    table->languages = nullptr;
}

int ReadSyntaxText(SyntaxTable *table, const char *text, size_t length)
{
    ConfigReader reader;
    StartReader(&reader, table);
    size_t start = 0;
    while (start < length && !reader.outOfMemory) {
        const char *lf = (const char *)memchr(text + start, '\n', length - start);
        size_t end = lf ? (size_t)(lf - text) : length;
        ReadLine(&reader, text + start, end - start);
        start = end + 1;
    }
    return FinishReader(&reader);
}

int ReadSyntaxStream(SyntaxTable *table, FILE *file)
{
    ConfigReader reader;
    StartReader(&reader, table);
    std::string line;
    int c;
    bool pending = false;
    while (!reader.outOfMemory && (c = getc(file)) != EOF) {
        if (c == '\n') {
            ReadLine(&reader, line.data(), line.size());
            line.clear();
            pending = false;
        } else {
            line.push_back((char)c);
            pending = true;
        }
    }
    if (pending && !reader.outOfMemory)
        ReadLine(&reader, line.data(), line.size());
    return FinishReader(&reader);
}

int LoadSyntaxTable(SyntaxTable *table, const char *path)
{
    FILE *file = fopen(path, "rb");
    if (!file)
        return -1;
    int result = ReadSyntaxStream(table, file);
    fclose(file);
    return result;
}

void FreeSyntaxTable(SyntaxTable *table)
{
    SyntaxLanguage *language = table->languages;
    while (language) {
        for (int kind = 0; kind < SYNTAX_GROUP_KINDS; kind++) {
            SyntaxKeywordGroup *group = language->groups[kind];
            while (group) {
                SyntaxKeywordGroup *next = group->next;
                FreeTokens(group->tokens);
                free(group);
                group = next;
            }
        }
        SyntaxLanguage *next = language->next;
        free(language);
        language = next;
    }
    table->languages = nullptr;
}

int CountSyntaxLanguages(const SyntaxTable *table)
{
    int count = 0;
    for (const SyntaxLanguage *l = table->languages; l; l = l->next)
        count++;
    return count;
}

const SyntaxLanguage *FindSyntaxLanguage(const SyntaxTable *table, int index)
{
    if (index < 0)
        return nullptr;
    const SyntaxLanguage *l = table->languages;
    while (l && index-- > 0)
        l = l->next;
    return l;
}

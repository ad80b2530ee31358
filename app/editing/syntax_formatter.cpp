#include "syntax_formatter.h"

#include <cstring>

namespace {

enum PassState { AT_START, AFTER_BLANK, AFTER_WORD, AFTER_COMMENT, AFTER_STRING, AFTER_KEYWORD,
                 AFTER_OPERATOR };

// Control reads are slow (a selection and a text fetch each), and the pass
// looks at every position several times: reads go through one window.
#define LINE_SCAN_CHUNK 1024

struct FormatPass {
    SyntaxText *text;
    const SyntaxLanguage *language;
    bool caseSensitive;
    long end;
    int longest[SYNTAX_GROUP_KINDS];
    int longestClosing; // multi-line comment end tokens
    char cache[SYNTAX_TEXT_CACHE];
    long cacheFirst; // -1 while empty
    long cacheLength;
};

bool IsBlankCharacter(char c)
{
    return c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

// Up to count characters at position, never past the range end.
long Peek(FormatPass *pass, long position, long count, const char **out)
{
    if (count > pass->end - position)
        count = pass->end - position;
    if (count > SYNTAX_TEXT_CACHE)
        count = SYNTAX_TEXT_CACHE;
    if (count <= 0)
        return 0;
    bool inside = pass->cacheFirst >= 0 && position >= pass->cacheFirst &&
                  position + count <= pass->cacheFirst + pass->cacheLength;
    if (!inside) {
        long got = pass->text->ReadText(position, SYNTAX_TEXT_CACHE, pass->cache);
        if (got < 0)
            got = 0;
        if (got > SYNTAX_TEXT_CACHE)
            got = SYNTAX_TEXT_CACHE;
        pass->cacheFirst = position;
        pass->cacheLength = got;
    }
    long available = pass->cacheFirst + pass->cacheLength - position;
    *out = pass->cache + (position - pass->cacheFirst);
    return count < available ? count : available;
}

bool StartsWith(const FormatPass *pass, const char *text, long available, const SyntaxKeyword *token)
{
    return token->length > 0 && token->length <= available &&
           CompareSyntaxText(text, token->text, (size_t)token->length, pass->caseSensitive) == 0;
}

bool MatchesAt(FormatPass *pass, long position, const SyntaxKeyword *token)
{
    const char *text;
    long n = Peek(pass, position, token->length, &text);
    return StartsWith(pass, text, n, token);
}

void MeasureTokens(FormatPass *pass)
{
    pass->longestClosing = 0;
    for (int kind = 0; kind < SYNTAX_GROUP_KINDS; kind++) {
        pass->longest[kind] = 0;
        for (const SyntaxKeywordGroup *g = pass->language->groups[kind]; g; g = g->next) {
            int index = 0;
            for (const SyntaxKeyword *t = g->tokens; t; t = t->next, index++) {
                if (t->length > pass->longest[kind])
                    pass->longest[kind] = t->length;
                if (kind == SYNTAX_MULTI_COMMENT && index % 2 == 1 && t->length > pass->longestClosing)
                    pass->longestClosing = t->length;
            }
        }
    }
    if (pass->longestClosing == 0)
        pass->longest[SYNTAX_MULTI_COMMENT] = 0;
}

// A line comment ends before the paragraph end, whichever of CR or LF the text uses.
long FindLineEnd(FormatPass *pass, long position)
{
    while (position < pass->end) {
        const char *text;
        long n = Peek(pass, position, LINE_SCAN_CHUNK, &text);
        if (n <= 0)
            return pass->end;
        for (long i = 0; i < n; i++)
            if (text[i] == '\r' || text[i] == '\n')
                return position + i;
        position += n;
    }
    return pass->end;
}

void ConvertCase(FormatPass *pass, long position, const SyntaxKeyword *token, char marker)
{
    if (marker != SYNTAX_LOWER_CASE && marker != SYNTAX_UPPER_CASE)
        return;
    const char *text;
    long n = Peek(pass, position, token->length, &text);
    char converted[SYNTAX_NAME_MAX + 1];
    bool changed = false;
    for (long i = 0; i < n; i++) {
        char c = text[i];
        if (marker == SYNTAX_LOWER_CASE && c >= 'A' && c <= 'Z')
            c = (char)(c - 'A' + 'a');
        else if (marker == SYNTAX_UPPER_CASE && c >= 'a' && c <= 'z')
            c = (char)(c - 'a' + 'A');
        changed |= c != text[i];
        converted[i] = c;
    }
    converted[n] = '\0';
    if (!changed)
        return;
    pass->text->ReplaceText(position, position + n, converted);
    if (pass->cacheFirst >= 0 && position >= pass->cacheFirst &&
        position + n <= pass->cacheFirst + pass->cacheLength)
        memcpy(pass->cache + (position - pass->cacheFirst), converted, (size_t)n);
}

// The first token of the kind (groups in order, tokens in list order) that
// starts the text, or null.
const SyntaxKeyword *FirstTokenAt(FormatPass *pass, int kind, const char *text, long available,
                                  const SyntaxKeywordGroup **group)
{
    for (const SyntaxKeywordGroup *g = pass->language->groups[kind]; g; g = g->next)
        for (const SyntaxKeyword *t = g->tokens; t; t = t->next)
            if (StartsWith(pass, text, available, t)) {
                *group = g;
                return t;
            }
    return nullptr;
}

bool TrySingleComment(FormatPass *pass, long *position)
{
    if (pass->longest[SYNTAX_SINGLE_COMMENT] == 0)
        return false;
    const char *text;
    long n = Peek(pass, *position, pass->longest[SYNTAX_SINGLE_COMMENT], &text);
    const SyntaxKeywordGroup *g;
    const SyntaxKeyword *t = FirstTokenAt(pass, SYNTAX_SINGLE_COMMENT, text, n, &g);
    if (!t)
        return false;
    long end = FindLineEnd(pass, *position + t->length);
    pass->text->ApplyFormat(*position, end, g->format);
    *position = end;
    return true;
}

// A delimited span: a multi-line comment (no escapes) or a string. The search
// starts after the opening token, so "/*/" does not close itself. Returns
// false when no opening token stands at the position.
bool TryDelimited(FormatPass *pass, int kind, long *position)
{
    if (pass->longest[kind] == 0)
        return false;
    const char *text;
    long n = Peek(pass, *position, pass->longest[kind], &text);
    for (const SyntaxKeywordGroup *g = pass->language->groups[kind]; g; g = g->next)
        for (const SyntaxKeyword *open = g->tokens; open && open->next; open = open->next->next) {
            if (!StartsWith(pass, text, n, open))
                continue;
            const SyntaxKeyword *partner = open->next;
            const SyntaxKeyword *close = kind == SYNTAX_STRING ? open : partner;
            const SyntaxKeyword *escape = kind == SYNTAX_STRING ? partner : nullptr;
            long p = *position + open->length;
            while (p < pass->end) {
                if (escape && escape->length > 0 && MatchesAt(pass, p, escape)) {
                    p += escape->length;
                } else if (MatchesAt(pass, p, close)) {
                    p += close->length;
                    pass->text->ApplyFormat(*position, p, g->format);
                    *position = p;
                    return true;
                } else {
                    p++;
                }
            }
            pass->text->ApplyFormat(*position, *position + open->length, g->format);
            *position = pass->end;
            return true;
        }
    return false;
}

bool StartsWithOperator(FormatPass *pass, const char *text, long available)
{
    const SyntaxKeywordGroup *g;
    return FirstTokenAt(pass, SYNTAX_OPERATOR, text, available, &g) != nullptr;
}

// A keyword stands alone: the range ends right after it, or a blank or an
// operator follows.
bool EndsWord(FormatPass *pass, long after)
{
    if (after >= pass->end)
        return true;
    const char *text;
    long want = pass->longest[SYNTAX_OPERATOR] > 1 ? pass->longest[SYNTAX_OPERATOR] : 1;
    long n = Peek(pass, after, want, &text);
    if (n <= 0)
        return true;
    return IsBlankCharacter(text[0]) || StartsWithOperator(pass, text, n);
}

bool TryKeyword(FormatPass *pass, PassState state, long *position)
{
    if (pass->longest[SYNTAX_KEYWORD] == 0 || state == AFTER_WORD || state == AFTER_KEYWORD)
        return false;
    const char *text;
    long n = Peek(pass, *position, pass->longest[SYNTAX_KEYWORD], &text);
    for (const SyntaxKeywordGroup *g = pass->language->groups[SYNTAX_KEYWORD]; g; g = g->next)
        for (const SyntaxKeyword *t = g->tokens; t; t = t->next) {
            // The peeked text may be refilled by the follow test: match first.
            if (!StartsWith(pass, text, n, t))
                continue;
            bool alone = EndsWord(pass, *position + t->length);
            n = Peek(pass, *position, pass->longest[SYNTAX_KEYWORD], &text);
            if (!alone)
                continue;
            ConvertCase(pass, *position, t, g->format.caseMarker);
            pass->text->ApplyFormat(*position, *position + t->length, g->format);
            *position += t->length;
            return true;
        }
    return false;
}

bool TryOperator(FormatPass *pass, long *position)
{
    if (pass->longest[SYNTAX_OPERATOR] == 0)
        return false;
    const char *text;
    long n = Peek(pass, *position, pass->longest[SYNTAX_OPERATOR], &text);
    const SyntaxKeywordGroup *g;
    const SyntaxKeyword *t = FirstTokenAt(pass, SYNTAX_OPERATOR, text, n, &g);
    if (!t)
        return false;
    ConvertCase(pass, *position, t, g->format.caseMarker);
    pass->text->ApplyFormat(*position, *position + t->length, g->format);
    *position += t->length;
    return true;
}

} // namespace

int FormatSyntaxRange(const SyntaxTable *table, SyntaxText *text, int language, long start,
                      long end, uint32_t baseColour)
{
    const SyntaxLanguage *l = FindSyntaxLanguage(table, language);
    if (!l)
        return -1;
    FormatPass *pass = new FormatPass;
    pass->text = text;
    pass->language = l;
    pass->caseSensitive = l->caseSensitive != 0;
    long textEnd = text->TextEnd();
    if (end < 0 || end > textEnd)
        end = textEnd;
    if (start < 0)
        start = 0;
    if (start > end)
        start = end;
    pass->end = end;
    pass->cacheFirst = -1;
    pass->cacheLength = 0;

    text->ApplyBaseFormat(start, end, baseColour);
    MeasureTokens(pass);
    text->ShowSelection(false);

    PassState state = AT_START;
    long position = start;
    while (position < end) {
        if (TrySingleComment(pass, &position) || TryDelimited(pass, SYNTAX_MULTI_COMMENT, &position)) {
            state = AFTER_COMMENT;
            continue;
        }
        if (TryDelimited(pass, SYNTAX_STRING, &position)) {
            state = AFTER_STRING;
            continue;
        }
        if (TryKeyword(pass, state, &position)) {
            state = AFTER_KEYWORD;
            continue;
        }
        if (TryOperator(pass, &position)) {
            state = AFTER_OPERATOR;
            continue;
        }
        const char *c;
        if (Peek(pass, position, 1, &c) <= 0)
            break; // the text is shorter than it said
        state = IsBlankCharacter(*c) ? AFTER_BLANK : AFTER_WORD;
        position++;
    }

    text->ShowSelection(true);
    delete pass;
    return 0;
}

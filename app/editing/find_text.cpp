#include "find_text.h"

#include <cstring>

static long Length(const char *text)
{
    return text ? (long)std::strlen(text) : 0;
}

static long SearchFrom(SearchableText *text, const FindRequest &request, long from, long bound)
{
    if (!request.what || !request.what[0])
        return -1;
    TextSpan found = text->Find(from, bound, request.what, request.flags);
    // Only a match ahead of the search point counts: Replace All then always
    // moves on, whatever a control answers.
    if (found.start < from || found.end <= found.start)
        return -1;
    text->Select(found);
    return found.start;
}

long FindNextIn(SearchableText *text, const FindRequest &request, long bound,
                int fromSelectionStart)
{
    TextSpan selection = text->Selection();
    long from = fromSelectionStart || selection.start == selection.end ? selection.start
                                                                       : selection.end;
    return SearchFrom(text, request, from, bound);
}

long ReplaceNextIn(SearchableText *text, const FindRequest &request, long *bound)
{
    TextSpan selection = text->Selection();
    if (selection.start != selection.end) {
        long inserted = Length(request.with);
        text->ReplaceSelection(request.with ? request.with : "");
        if (*bound >= selection.end)
            *bound += inserted - (selection.end - selection.start);
        text->Select(TextSpan{selection.start, selection.start + inserted});
        text->ScrollToCaret();
    }
    return SearchFrom(text, request, text->Selection().end, *bound);
}

int ReplaceAllIn(SearchableText *text, const FindRequest &request)
{
    text->Select(TextSpan{0, 0});
    long bound = -1;
    int replaced = -1; // the first call only finds
    long at;
    do {
        at = ReplaceNextIn(text, request, &bound);
        ++replaced;
    } while (at >= 0);
    return replaced;
}

void BeginFindPass(FindPass *pass, long searchStart)
{
    pass->bound = -1;
    pass->searchStart = searchStart;
    pass->wrapped = 0;
}

long RunFindRequest(FindPass *pass, SearchableText *text, const FindRequest &request,
                    bool replace)
{
    for (;;) {
        long at = replace ? ReplaceNextIn(text, request, &pass->bound)
                          : FindNextIn(text, request, pass->bound, 0);
        if (at >= 0 || pass->wrapped)
            return at;
        if (pass->searchStart != 0) {
            pass->bound = pass->searchStart;
            text->Select(TextSpan{0, 0});
            text->ScrollToCaret();
        }
        pass->wrapped = 1;
    }
}

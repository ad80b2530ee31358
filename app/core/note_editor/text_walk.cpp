#include "text_walk.h"

bool IsLineEndChar(char c)
{
    return c == '\r' || c == '\n';
}

int LineEndWidth(const char *text, int length, int pos)
{
    if (pos < 0 || pos >= length || !IsLineEndChar(text[pos]))
        return 0;
    if (text[pos] == '\r' && pos + 1 < length && text[pos + 1] == '\n')
        return 2;
    return 1;
}

int LineStartAt(const char *text, int length, int pos)
{
    if (pos > length)
        pos = length;
    if (pos < 0)
        return 0;
    // Inside a CR LF the position still belongs to the line the CR ends.
    if (pos > 0 && pos < length && text[pos] == '\n' && text[pos - 1] == '\r')
        --pos;
    while (pos > 0 && !IsLineEndChar(text[pos - 1]))
        --pos;
    return pos;
}

int LineEndAt(const char *text, int length, int pos)
{
    if (pos < 0)
        pos = 0;
    if (pos > 0 && pos < length && text[pos] == '\n' && text[pos - 1] == '\r')
        return pos - 1;
    while (pos < length && !IsLineEndChar(text[pos]))
        ++pos;
    return pos;
}

static void Clamp(int length, int *start, int *end)
{
    if (*start < 0)
        *start = 0;
    if (*end > length || *end < 0)
        *end = length;
    if (*start > *end)
        *start = *end;
}

// The lines a selection touches: from the start of the line holding start
// up to end. A line that only begins at end (the selection closes right
// after a line end) is not part of it.
static void SelectedLines(const char *text, int length, int *start, int *end)
{
    Clamp(length, start, end);
    if (*start == *end)
        return;
    *start = LineStartAt(text, length, *start);
}

static bool BeginsSelectedLine(const char *text, int length, int lineEnd, int end)
{
    return lineEnd + LineEndWidth(text, length, lineEnd) < end;
}

EditPlan PlanIndent(const char *text, int length, int start, int end)
{
    EditPlan plan = {{}, -1, -1};
    SelectedLines(text, length, &start, &end);
    if (start == end)
        return plan;
    int inserted = 0;
    plan.edits.push_back({start, 0, " "});
    ++inserted;
    for (int i = start; i < end;) {
        int width = LineEndWidth(text, length, i);
        if (width == 0) {
            ++i;
            continue;
        }
        if (BeginsSelectedLine(text, length, i, end)) {
            plan.edits.push_back({i + width + inserted, 0, " "});
            ++inserted;
        }
        i += width;
    }
    plan.selectStart = start;
    plan.selectEnd = end + inserted;
    return plan;
}

static bool IsIndentChar(char c)
{
    return c == ' ' || c == '\t';
}

EditPlan PlanUnindent(const char *text, int length, int start, int end)
{
    EditPlan plan = {{}, -1, -1};
    SelectedLines(text, length, &start, &end);
    if (start == end)
        return plan;
    int removed = 0;
    if (IsIndentChar(text[start])) {
        plan.edits.push_back({start, 1, ""});
        ++removed;
    }
    for (int i = start; i < end;) {
        int width = LineEndWidth(text, length, i);
        if (width == 0) {
            ++i;
            continue;
        }
        int next = i + width;
        if (BeginsSelectedLine(text, length, i, end) && IsIndentChar(text[next])) {
            plan.edits.push_back({next - removed, 1, ""});
            ++removed;
        }
        i = next;
    }
    plan.selectStart = start;
    plan.selectEnd = end - removed;
    return plan;
}

EditPlan PlanDeleteLine(const char *text, int length, int start)
{
    EditPlan plan = {{}, -1, -1};
    if (start < 0)
        start = 0;
    if (start > length)
        start = length;
    int from = LineStartAt(text, length, start);
    int to = LineEndAt(text, length, start);
    to += LineEndWidth(text, length, to);
    if (to > from)
        plan.edits.push_back({from, to - from, ""});
    plan.selectStart = plan.selectEnd = from;
    return plan;
}

void ApplyPlanToString(std::string *text, const EditPlan &plan)
{
    for (const TextEdit &e : plan.edits) {
        size_t at = (size_t)e.position;
        if (at > text->size())
            at = text->size();
        text->erase(at, (size_t)e.removeCount);
        text->insert(at, e.insert);
    }
}

void StripConsolePrompt(std::string *line)
{
    int colons = 0, backslashes = 0;
    size_t i = 0;
    for (; i < line->size() && (*line)[i] != '>'; ++i) {
        if ((*line)[i] == ':')
            ++colons;
        else if ((*line)[i] == '\\')
            ++backslashes;
    }
    if (i < line->size() && colons == 1 && backslashes >= 1)
        line->erase(0, i + 1);
}

void CutAfterFirstCrLf(std::string *line)
{
    size_t at = line->find("\r\n");
    if (at != std::string::npos)
        line->resize(at + 2);
}

static bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The position where a line end begins, seen from any of its characters:
// true at a CR, and at an LF that no CR stands before.
static bool StartsLineEnd(const char *text, int length, int pos)
{
    if (pos < 0 || pos >= length)
        return false;
    if (text[pos] == '\r')
        return true;
    return text[pos] == '\n' && (pos == 0 || text[pos - 1] != '\r');
}

EditPlan PlanTrimRight(const char *text, int length, int start, int end)
{
    EditPlan plan = {{}, -1, -1};
    Clamp(length, &start, &end);
    int removed = 0;
    for (int i = start; i <= end; ++i) {
        if (i < end && !StartsLineEnd(text, length, i))
            continue;
        int from = i;
        while (from > start && IsBlank(text[from - 1]))
            --from;
        if (from < i) {
            plan.edits.push_back({from - removed, i - from, ""});
            removed += i - from;
        }
        i += LineEndWidth(text, length, i) > 1 ? 1 : 0;
    }
    plan.selectStart = start;
    plan.selectEnd = end - removed;
    return plan;
}

EditPlan PlanTabsToSpaces(const char *text, int length, int start, int end)
{
    EditPlan plan = {{}, -1, -1};
    Clamp(length, &start, &end);
    int grown = 0;
    for (int i = start; i < end; ++i) {
        if (text[i] != '\t')
            continue;
        plan.edits.push_back({i + grown, 1, "    "});
        grown += 3;
    }
    plan.selectStart = start;
    plan.selectEnd = end + grown;
    return plan;
}

EditPlan PlanChangeCase(const char *text, int length, int start, int end, bool upper)
{
    EditPlan plan = {{}, -1, -1};
    Clamp(length, &start, &end);
    for (int i = start; i < end; ++i) {
        char c = text[i];
        char changed = c;
        if (upper && c >= 'a' && c <= 'z')
            changed = (char)(c - 'a' + 'A');
        else if (!upper && c >= 'A' && c <= 'Z')
            changed = (char)(c - 'A' + 'a');
        if (changed != c)
            plan.edits.push_back({i, 1, std::string(1, changed)});
    }
    plan.selectStart = start;
    plan.selectEnd = end;
    return plan;
}

EditPlan PlanBlockPad(const char *text, int length, int start, int end)
{
    EditPlan plan = {{}, -1, -1};
    Clamp(length, &start, &end);
    if (start == end)
        return plan;
    int longest = 0;
    for (int lineStart = start, i = start; i <= end; ++i) {
        if (i < end && !StartsLineEnd(text, length, i))
            continue;
        if (i - lineStart > longest)
            longest = i - lineStart;
        i += LineEndWidth(text, length, i) - (i < end ? 1 : 0);
        lineStart = i + 1;
    }
    int grown = 0;
    for (int lineStart = start, i = start; i <= end; ++i) {
        if (i < end && !StartsLineEnd(text, length, i))
            continue;
        int missing = longest - (i - lineStart);
        if (missing > 0) {
            plan.edits.push_back({i + grown, 0, std::string((size_t)missing, ' ')});
            grown += missing;
        }
        i += LineEndWidth(text, length, i) - (i < end ? 1 : 0);
        lineStart = i + 1;
    }
    plan.selectStart = start;
    plan.selectEnd = end + grown;
    return plan;
}

#include "editor_rules.h"

#include <cstdio>

bool TrackCaretEnd(CaretTrack *t, int32_t start, int32_t end)
{
    bool startMoved = start != t->lastStart;
    bool endMoved = end != t->lastEnd;
    int32_t caret = t->caretEnd;
    if (endMoved)
        caret = end;
    else if (startMoved)
        caret = start;
    else if (start == end)
        caret = end;
    bool changed = caret != t->caretEnd;
    t->lastStart = start;
    t->lastEnd = end;
    t->caretEnd = caret;
    return changed;
}

int FormatLineColumn(char *out, int outSize, int line, int32_t caretEnd, int32_t lineStart)
{
    int n = std::snprintf(out, (size_t)outSize, "Line %d Col %d", line + 1,
                          (int)(caretEnd - lineStart + 1));
    return n < 0 ? 0 : n >= outSize ? outSize - 1 : n;
}

int PointsForSizeCommand(int id)
{
    static const int points[] = {6, 8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
    static_assert(sizeof points / sizeof points[0] ==
                      FONT_SIZE_LAST_COMMAND - FONT_SIZE_FIRST_COMMAND + 1,
                  "one size per command");
    if (id < FONT_SIZE_FIRST_COMMAND || id > FONT_SIZE_LAST_COMMAND)
        return 0;
    return points[id - FONT_SIZE_FIRST_COMMAND];
}

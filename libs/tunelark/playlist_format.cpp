#include "playlist_format.h"

#include <cstring>
#include <vector>

int ReadPlaylistLine(FILE *file, char *line)
{
    int length = 0;
    for (;;) {
        int c = fgetc(file);
        if (c == EOF) {
            // A hand-edited last line often lacks its line end: keep it.
            line[length] = 0;
            return length > 0 ? 0 : -1;
        }
        if (c == '\r')
            continue;
        if (c == '\n' || c == 0x04)
            break;
        line[length++] = (char)c;
        if (length == PLAYLIST_LINE_CHARS - 1)
            break;
    }
    line[length] = 0;
    return 0;
}

static int CopyBounded(char *out, int size, const char *from, size_t count)
{
    if (count >= (size_t)size)
        return -1;
    memcpy(out, from, count);
    out[count] = 0;
    return 0;
}

int SplitPlaylistLine(const char *line, char *text, int textSize, char *path, int pathSize)
{
    const char *star = strchr(line, PLAYLIST_SEPARATOR);
    size_t textLength = star ? (size_t)(star - line) : strlen(line);
    const char *pathStart = star ? star + 1 : "";
    if (CopyBounded(text, textSize, line, textLength) != 0 ||
        CopyBounded(path, pathSize, pathStart, strlen(pathStart)) != 0)
        return -1;
    return 0;
}

int FormatPlaylistLine(char *out, int size, const char *text, const char *path)
{
    int n = snprintf(out, size, "%s%c%s", text, PLAYLIST_SEPARATOR, path);
    return n >= 0 && n < size ? 0 : -1;
}

int AddPlaylistExtension(char *name, int size)
{
    if (strchr(name, '.'))
        return 0;
    size_t length = strlen(name);
    if (length + sizeof PLAYLIST_EXTENSION > (size_t)size)
        return -1;
    memcpy(name + length, PLAYLIST_EXTENSION, sizeof PLAYLIST_EXTENSION);
    return 0;
}

static bool TakeIfFree(PlaylistEntry *entry)
{
    if (!entry || entry->shufflePicked)
        return false;
    entry->shufflePicked = 1;
    return true;
}

// Searches from a random row down the list, then up from it; -1 when every
// row has been picked.
static int PickFreeRow(PlaylistEntry *const *entries, int count, int (*random)(void))
{
    int start = random() % count;
    if (start < 0)
        start += count;
    for (int i = start; i < count; ++i)
        if (TakeIfFree(entries[i]))
            return i;
    for (int i = start - 1; i >= 0; --i)
        if (TakeIfFree(entries[i]))
            return i;
    return -1;
}

static void StartNewRound(PlaylistEntry *const *entries, int count)
{
    for (int i = count - 1; i >= 0; --i)
        if (entries[i])
            entries[i]->shufflePicked = 0;
}

// As PickRandomTrack, but avoid (the row that played last) is taken only
// when no other row of the round is left: also when a new round starts here.
static int PickRandomTrackAvoiding(PlaylistEntry *const *entries, int count, int (*random)(void),
                                    int avoid)
{
    if (count <= 0)
        return -1;
    int row = -1;
    for (int pass = 0; pass < 2 && row < 0; ++pass) {
        if (pass == 1)
            StartNewRound(entries, count);
        PlaylistEntry *held = avoid >= 0 && avoid < count && count > 1 && entries[avoid] &&
                                      !entries[avoid]->shufflePicked
                                  ? entries[avoid]
                                  : nullptr;
        if (held)
            held->shufflePicked = 1;
        row = PickFreeRow(entries, count, random);
        // Held back, it keeps its turn in the round; with no other row left
        // it takes that turn now.
        if (held && row >= 0)
            held->shufflePicked = 0;
        else if (held)
            row = avoid;
    }
    return row;
}

int PickRandomTrack(PlaylistEntry *const *entries, int count, int (*random)(void))
{
    return PickRandomTrackAvoiding(entries, count, random, -1);
}

int StartShuffledRow(PlaylistEntry *const *entries, int count, int (*random)(void), int lastRow,
                     int (*start)(int row, void *context), void *context)
{
    // A round may end on rows that will not play, and its next round may meet
    // them again: one call can fail on more rows than the list holds. lastRow
    // is held back until every other row has failed in this call (then it is
    // the only one that plays); counting tries instead let a list with many
    // rows that will not play open a round with the row that closed the last.
    // A round and a half reach every other row, and one more round lastRow.
    std::vector<char> failed((size_t)(count > 0 ? count : 0), 0);
    int others = count - (lastRow >= 0 && lastRow < count ? 1 : 0);
    int othersFailed = 0;
    for (int tries = 0; tries < 3 * count; ++tries) {
        int row = PickRandomTrackAvoiding(entries, count, random, othersFailed < others ? lastRow : -1);
        if (row < 0)
            return -1;
        if (start(row, context) == 0)
            return row;
        if (!failed[(size_t)row]) {
            failed[(size_t)row] = 1;
            othersFailed += row != lastRow;
        }
    }
    return -1;
}

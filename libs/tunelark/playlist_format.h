// Playlist rows and the .SPL playlist file: the line reader, the split of a
// "text*path" line, the shuffle pick.
#pragma once
#include <cstdio>

#define PLAYLIST_HEADER "[Zettlies MP3 Playlist Header V1.0]"
#define PLAYLIST_EXTENSION ".SPL"

enum {
    PLAYLIST_PATH_CHARS = 260,
    PLAYLIST_LINE_CHARS = 780,  // a line buffer; 779 characters at most
    PLAYLIST_SEPARATOR = '*',
};

// The record each playlist row carries.
struct PlaylistEntry {
    char path[PLAYLIST_PATH_CHARS];
    int shufflePicked;  // chosen by the shuffle in the current round
    int played;         // has started playing since the last Stop
};

// Reads one line into line[PLAYLIST_LINE_CHARS]: CR is dropped wherever it
// stands, LF or 0x04 ends the line; a longer line goes on as the next one.
// 0 when a line was read, -1 at the end of the file.
int ReadPlaylistLine(FILE *file, char *line);

// Splits at the first '*' (no '*': an empty path). -1 when either part does
// not fit its buffer: the caller skips that row.
int SplitPlaylistLine(const char *line, char *text, int textSize, char *path, int pathSize);

// "text*path", the form of a .SPL line (without its LF) and of a registry
// row. -1 when it does not fit.
int FormatPlaylistLine(char *out, int size, const char *text, const char *path);

// A name without any '.' gets ".SPL". -1 when that does not fit.
int AddPlaylistExtension(char *name, int size);

// Shuffle without repeats: a row not picked in this round, searched from a
// random row down the list and then up; when every row has been picked the
// round starts again. The chosen row is marked. -1 for no rows.
int PickRandomTrack(PlaylistEntry *const *entries, int count, int (*random)(void));

// The next track of a shuffled round: rows not yet picked in this round are
// picked and handed to start (0 when the row plays) until one plays. A row
// that does not play stays picked, so it is passed over for the rest of the
// round without taking another row's turn. A new round does not open with
// lastRow, the row that ended the round before, while another row will play.
// Returns the row that plays, or -1 when none will.
int StartShuffledRow(PlaylistEntry *const *entries, int count, int (*random)(void), int lastRow,
                     int (*start)(int row, void *context), void *context);

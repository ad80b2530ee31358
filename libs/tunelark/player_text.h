// Texts and numbers the player shows: the status panel, the track tip, the
// transparency menu.
#pragma once

struct TrackInfo;

enum {
    TRANSPARENCY_OFF_ITEM = 300,    // items 300, 310, ... 390: 0 % to 90 %
    TRANSPARENCY_LAST_ITEM = 390,
    OPAQUE_ALPHA = -1,
    TIP_TEXT_BYTES = 1024,
};

// The alpha of a transparency item; below 1 it is opaque (-1).
int AlphaOfTransparencyItem(int id);
// The percentage whose item is checked for an alpha (-1 counts as 255).
int TransparencyPercentOfAlpha(int alpha);

// "[index+1] m:ss" for the status panel.
void FormatStatusText(char *out, int size, int index, long milliseconds);
// The tip of a playing file: the lines its tags give, without a final line feed.
void FormatTrackTip(char *out, int size, const TrackInfo *info);
void FormatModuleTip(char *out, int size, const char *songName, int songLength);

// An MCI command naming a file: the path in quotes, so that blanks in it do
// not end it. -1 when it does not fit or the path holds a quote.
int FormatMciFileCommand(char *out, int size, const char *verb, const char *path,
                         const char *alias);

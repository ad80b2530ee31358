// The hostile notes of the poke campaign, family by family: what has downed,
// stalled or bloated the program or corrupted its notes, and variations of it.
#pragma once
#include <random>
#include <string>

enum PokeFamily {
    FAMILY_TABLE_NAMES, // long font, style, colour and hidden names
    FAMILY_UNICODE,     // \u values, the NUL-making ones among them
    FAMILY_BINARY,      // \bin data in the text and in pictures
    FAMILY_LONG_TEXT,   // long runs and paragraphs, plain and rich, wrapped or not
    FAMILY_RECORDS,     // far-off places, huge fonts, control bytes, mutated records
    FAMILY_STRUCTURE,   // deep and unbalanced groups, long words, bad tables
    FAMILY_TEXT_FORM,   // the text form with hostile title lines
    FAMILY_LARGE_POKES, // a megabyte and more, up to what Wine cannot deliver
    FAMILY_EXECUTES,    // paths of devices, large files and hostile files
    FAMILY_PICTURES,    // metafiles and bitmaps, sound and with records that do not fit
    FAMILY_TABS,        // tab stops and indents, negative and huge, before paragraph ends
    FAMILY_BREAKS,      // page and section breaks en masse
    FAMILY_DIGITS,      // long runs of digits, alone and among letters
    FAMILY_PICTURE_WORDS, // control words among a picture's hex digits
    FAMILY_AGAIN,       // the block last taken, poked again
    POKE_FAMILIES,
};

const char *PokeFamilyName(int family);

struct CampaignPoke {
    int family;
    bool execute;     // a DDE execute naming a file rather than a poke
    std::string data; // the poked block, or the path with its NUL
};

// The files that executes name, made once in folder.
void MakeCampaignFiles(const std::string &folder);

// The n-th poke: the families take turns; shapes are drawn from random.
// previous is the block last taken (for FAMILY_AGAIN).
CampaignPoke MakeCampaignPoke(int n, std::mt19937 &random, const std::string &folder,
                              const std::string &previous);

// Fuzz target of the rich-text door: whatever comes in, the writer's text
// passes the check and reads back to itself. Built with libFuzzer where the
// compiler has it; otherwise the driver below mutates real notes (streamed
// out of the control, given as files on the command line) under the
// sanitizers.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/notes_table/rich_text_check.h"
#include "editing/exchange/rich_text_door.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // An exact-size copy, so any read past the end is caught.
    std::vector<char> copy(data, data + size);
    std::string out, again;
    int verdict = RewriteRichText(copy.data(), copy.size(), &out);
    if (verdict != RICH_TEXT_OK)
        return 0;
    int check = CheckRichText(out.data(), out.size());
    if (check != RICH_TEXT_OK) {
        std::fprintf(stderr, "the check refuses the writer's text (%d):\n%s\n", check, out.c_str());
        if (FILE *file = std::fopen("door-crash.rtf", "wb")) {
            std::fwrite(data, 1, size, file);
            std::fclose(file);
        }
        std::abort();
    }
    if (RewriteRichText(out.data(), out.size(), &again) != RICH_TEXT_OK || again != out) {
        std::fprintf(stderr, "read again, the writer's text changes:\n%s\n%s\n", out.c_str(),
                     again.c_str());
        std::abort();
    }
    return 0;
}

#ifndef ZT_LIBFUZZER
namespace {

// Pieces the door has rules for, and shapes that went wrong in the control.
const char *const Pieces[] = {
    "{", "}", "\\", "\\*", "\\'", "\\'e9", "\\'zz", "\\par ", "\\page ", "\\sect ", "\\tab ",
    "\\tx-1 ", "\\tx99999999999 ", "\\li-40000 ", "\\fi-7 ", "\\fs65535 ", "\\fs0 ", "\\f1 ",
    "\\f99 ", "\\cf3 ", "\\u0?", "\\u-3913?", "\\u8364?", "\\uc0 ", "\\uc5 ", "\\bin3 ",
    "\\bin999 ", "{\\pict\\wmetafile8 ", "{\\pict\\emfblip ", "{\\pict\\dibitmap0 ",
    "{\\*\\shppict", "{\\nonshppict", "{\\fonttbl", "{\\colortbl;", "\\red300 ", ";",
    "{\\*\\pn\\pnlvlblt", "{\\pntext ", "{\\pntxta ", "\\trowd ", "\\cellx-5 ", "\\cell ",
    "\\row ", "{\\field{\\*\\fldinst x}{\\fldrslt y}}", "{\\info ", "{\\*\\unknown ",
    "\\objdata ", "0a1B", "\r\n", " ", "\t", std::string("\0", 1).c_str(), "\x80\xff",
    "{\\urtf1 ", "\xc3\xa9", "\xf0\x9f\x98", "\\ansicpg1251 ",
};

unsigned Next(unsigned *state)
{
    *state = *state * 1103515245u + 12345u;
    return *state >> 8;
}

std::string Mutate(const std::vector<std::string> &seeds, unsigned *state)
{
    std::string text = seeds[Next(state) % seeds.size()];
    int steps = 1 + (int)(Next(state) % 8);
    for (int i = 0; i < steps; ++i) {
        size_t at = text.empty() ? 0 : Next(state) % text.size();
        switch (Next(state) % 6) {
        case 0: {
            const char *piece = Pieces[Next(state) % (sizeof Pieces / sizeof *Pieces)];
            text.insert(at, piece, std::strlen(piece) ? std::strlen(piece) : 1);
            break;
        }
        case 1:
            text.erase(at, Next(state) % 64);
            break;
        case 2:
            if (!text.empty())
                text[at] = (char)Next(state);
            break;
        case 3: {
            // A run of digits where a number stands.
            text.insert(at, std::string(1 + Next(state) % 24, (char)('0' + Next(state) % 10)));
            break;
        }
        case 4: {
            size_t length = Next(state) % 256;
            if (at + length <= text.size())
                text.insert(at, text.substr(at, length));
            break;
        }
        default: {
            // The start of another note behind part of this one.
            const std::string &other = seeds[Next(state) % seeds.size()];
            text = text.substr(0, at) + other.substr(Next(state) % (other.size() + 1));
            break;
        }
        }
        if (text.size() > 64 * 1024)
            text.resize(64 * 1024);
    }
    return text;
}

bool ReadFile(const char *path, std::string *text)
{
    FILE *file = std::fopen(path, "rb");
    if (!file)
        return false;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text->append(buffer, got);
    std::fclose(file);
    return true;
}

} // namespace

// zt_fuzz_rich_text_door seed rounds note.rtf...
int main(int argc, char **argv)
{
    unsigned state = argc > 1 ? (unsigned)std::strtoul(argv[1], nullptr, 10) : 12345u;
    long rounds = argc > 2 ? std::atol(argv[2]) : 20000;
    std::vector<std::string> seeds;
    for (int i = 3; i < argc; ++i) {
        std::string text;
        if (!ReadFile(argv[i], &text)) {
            std::fprintf(stderr, "cannot read %s\n", argv[i]);
            return 1;
        }
        seeds.push_back(text);
    }
    seeds.push_back("{\\rtf1 x}");
    for (const std::string &seed : seeds)
        LLVMFuzzerTestOneInput((const uint8_t *)seed.data(), seed.size());
    for (long round = 0; round < rounds; ++round) {
        std::string text = Mutate(seeds, &state);
        LLVMFuzzerTestOneInput((const uint8_t *)text.data(), text.size());
    }
    std::printf("%ld inputs from %zu notes, all written within the check and read back alike\n",
                rounds, seeds.size());
    return 0;
}
#endif

// Fuzz target over every reader of outside exchange data. Built with libFuzzer
// where the compiler has it; otherwise the driver below feeds it mutations of
// valid inputs under the sanitizers.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/notes_table/rich_text_check.h"
#include "editing/exchange/dde_poke.h"
#include "editing/exchange/export_record.h"
#include "editing/exchange/installer_hunk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Exact-size copies so any read past the end is caught.
    std::vector<uint8_t> copy(data, data + size);
    ZettlyPoke poke;
    ParseZettlyPoke(copy.data(), copy.size(), &poke);
    if (poke.textBytes)
        (void)poke.text[poke.textBytes - 1];
    // Every note text from outside meets this check before the control does.
    (void)CheckRichText((const char *)poke.text, poke.textBytes);
    (void)CheckRichText((const char *)copy.data(), copy.size());
    if (poke.form == POKE_BINARY) {
        if (poke.record.title[ZETTLY_TITLE_BYTES - 1] != 0)
            std::abort();
        if (poke.record.window || poke.record.isMember || poke.record.alphaValue < 20)
            std::abort();
    }
    long key = FindInstallerKey(copy.data(), copy.size());
    std::vector<uint8_t> block = NoteBlockBehindKey(copy.data(), copy.size(), key);
    (void)NoteBlockAsText(block.data(), block.size());
    (void)NoteBlockAsText(copy.data(), copy.size());
    return 0;
}

#ifndef ZT_LIBFUZZER
int main(int argc, char **argv)
{
    unsigned seed = argc > 1 ? (unsigned)std::strtoul(argv[1], nullptr, 10) : 12345u;
    int rounds = argc > 2 ? std::atoi(argv[2]) : 20000;
    std::srand(seed);
    const char *headers[] = {"ZettlyExport V1.5", "ZettlyExport V1.6", "ZettlyExport V1.7",
                             "ZettlyExport V1.8"};
    const size_t sizes[] = {304, 364, 608, 744};
    for (int round = 0; round < rounds; ++round) {
        std::vector<uint8_t> data;
        int kind = std::rand() % 5;
        if (kind == 4) {
            // A current record carrying rich text built from the pieces the
            // check counts: groups, words, numbers, escapes and binary runs.
            static const char *const pieces[] = {"{", "}", "\\b ", "\\fs24", "\\bin3 ",
                                                 "\\'7b", "\\{", "x", "\\fonttbl",
                                                 "\\*\\dest ", "\\u-3913?", "\\"};
            data.assign(headers[3], headers[3] + 17);
            data.push_back(0x1A);
            for (size_t i = 0; i < sizes[3]; ++i)
                data.push_back((uint8_t)(std::rand() % 3 ? 0 : std::rand()));
            const char *start = "{\\rtf1 ";
            data.insert(data.end(), start, start + 7);
            int count = std::rand() % 200;
            for (int i = 0; i < count; ++i) {
                const char *piece = pieces[std::rand() % (sizeof pieces / sizeof *pieces)];
                data.insert(data.end(), piece, piece + std::strlen(piece));
                if (std::rand() % 8 == 0)
                    data.insert(data.end(), (size_t)(std::rand() % 40), (uint8_t)('0' + std::rand() % 10));
            }
        } else if (kind < 2) {
            int v = std::rand() % 4;
            data.assign(headers[v], headers[v] + 17);
            data.push_back(0x1A);
            size_t n = sizes[v] + (size_t)(std::rand() % 64);
            for (size_t i = 0; i < n; ++i)
                data.push_back((uint8_t)std::rand());
        } else if (kind == 2) {
            const char *marker = "DDEZettlyExport\r\n";
            data.assign(marker, marker + 17);
            size_t n = (size_t)(std::rand() % 400);
            for (size_t i = 0; i < n; ++i)
                data.push_back((uint8_t)(std::rand() % 3 == 0 ? '\n' : std::rand()));
        } else {
            uint8_t key[ZETTLY_EXPORT_HEADER_BYTES];
            MakeInstallerKey(key);
            size_t n = (size_t)(std::rand() % 64);
            for (size_t i = 0; i < n; ++i)
                data.push_back((uint8_t)std::rand());
            data.insert(data.end(), key, key + sizeof key);
            n = (size_t)(std::rand() % 900);
            for (size_t i = 0; i < n; ++i)
                data.push_back((uint8_t)std::rand());
        }
        // Flip, cut or keep: most interesting faults sit at the edges.
        int flips = std::rand() % 4;
        for (int i = 0; i < flips && !data.empty(); ++i)
            data[(size_t)std::rand() % data.size()] ^= (uint8_t)(1u << (std::rand() % 8));
        if (std::rand() % 3 == 0 && !data.empty())
            data.resize((size_t)std::rand() % data.size());
        LLVMFuzzerTestOneInput(data.data(), data.size());
    }
    return 0;
}
#endif

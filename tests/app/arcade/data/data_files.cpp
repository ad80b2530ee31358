#include "data_files.h"

#include <stdio.h>

#ifndef ZT_ARCADE_GENERATED_DIR
#error "the tests need the folder of the generated arcade data"
#endif

std::vector<uint8_t> ReadWholeFile(const std::string &path) {
    std::vector<uint8_t> content;
    FILE *file = fopen(path.c_str(), "rb");
    if (!file)
        return content;
    uint8_t buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0)
        content.insert(content.end(), buffer, buffer + got);
    fclose(file);
    return content;
}

std::vector<uint8_t> ReadDataFile(const std::string &name) {
    return ReadWholeFile(std::string(ZT_ARCADE_GENERATED_DIR) + "/" + name);
}

// Reading the arcade data files the build generated.
#pragma once
#include <stdint.h>

#include <string>
#include <vector>

// The whole content of a file; empty when it cannot be read.
std::vector<uint8_t> ReadWholeFile(const std::string &path);
// A file of the generated arcade data folder.
std::vector<uint8_t> ReadDataFile(const std::string &name);

// Small four-channel tracker modules made by the tests: every position of
// the order list is its own pattern, which plays one row (a note with a
// looped square-wave sample and a pattern break) at the given speed.
#pragma once
#include <string>
#include <vector>

std::vector<unsigned char> MakeTestModule(const std::string &name, int positions, int ticksPerRow);
bool WriteTestModule(const std::string &path, const std::string &name, int positions, int ticksPerRow);

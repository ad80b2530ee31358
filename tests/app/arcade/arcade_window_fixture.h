// A screen window for the machine to draw into, and readers of what it drew.
#pragma once
#include <windows.h>
#include <stdint.h>

#include <vector>

#include <gtest/gtest.h>

#include "arcade_pixels.h"

// The program's own copy of a resource image.
std::vector<uint8_t> ResourceImage(int id);
::testing::AssertionResult SamePicture(const std::vector<uint32_t> &got, const std::vector<uint32_t> &want,
                                       int width);

class ArcadeWindow : public ::testing::Test {
protected:
    HWND window = nullptr;
    HDC dc = nullptr;
    void SetUp() override;
    void TearDown() override;
    void ResizeClient(int width, int height);
};

// A fresh window per test (its surface starts black) and the frame read back as 0xRRGGBB words.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kivo/kivo.h"

namespace labels_test {

struct Frame {
    int w = 0;
    int h = 0;
    std::vector<std::uint32_t> px;  // alpha cleared
    std::uint32_t at(int x, int y) const { return px[std::size_t(y) * w + x]; }
};

// The frame drawn last.
Frame frame();

// The pixels of (x, y, w, h) from `from`, centred in a white image `margin` pixels larger on
// every side, written as PNG; returns what zbarimg decodes from it ("" for nothing).
std::string scan(const Frame& from, int x, int y, int w, int h, int margin);

LabelRecord label(std::uint8_t kind, int x, int y, int w, int h, const char* text);

class LabelTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { kivo_init_sdl(); }
    static void TearDownTestSuite() { kivo_quit_sdl(); }
    void TearDown() override { kivo_destroy_window(); }
    static void open(int w, int h, const ConfigRecord& c) { kivo_create_window(w, h, &c); }
    static ConfigRecord config();
    // Slot 0 holds the labels; with a non-zero offset slot 1 is empty and the pair is presented.
    static void show(const std::vector<LabelRecord>& labels, int offset = 0);
};

}  // namespace labels_test

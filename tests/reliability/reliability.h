// Shared pieces of the reliability tests: a configuration, tiny generated images as "data://"
// references, and the process's resident memory and open descriptors.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kivo/kivo.h"

namespace reliability {

ConfigRecord config(std::uint8_t flavour = 0);

// A w x h BMP of one colour, or a two-frame animated WebP, as a "data://" reference.
std::string still_reference(int w, int h, std::uint32_t argb);
std::string animated_reference(int w, int h, std::uint32_t argb);

// Resident set size in bytes (/proc/self/statm) and the number of open descriptors.
long resident_bytes();
int open_descriptors();

// SDL started once for the whole test program, with the emulator's manual clock.
void start();

// Each test starts from a reset emulator on the manual clock and an empty event queue, and ends
// without a window.
class Fixture : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { start(); }
    void SetUp() override;
    void TearDown() override;
};

// Pushes a press at (x, y), in the current coordinate space, and returns the record polled for it.
EventRecord press(int x, int y);

// The last drawn frame, one word per pixel.
std::vector<std::uint32_t> frame();

} // namespace reliability

// A fresh window per test (its surface starts black).
#pragma once

#include <algorithm>

#include "support.h"

namespace labels_test {

using namespace kivo_test;

class LabelTest : public Display {
  protected:
    // Slot 0 holds the labels, slot 1 is empty, and the pair is presented at the offset.
    static void show(const std::vector<LabelRecord>& labels, int offset = 0)
    {
        kivo_set_screen(0, nullptr, nullptr, labels.data(), std::uint32_t(labels.size()), 0, 0, 0);
        kivo_set_screen(1, nullptr, nullptr, nullptr, 0, 0, 0, 0);
        kivo_present(offset);
    }
    static bool black(const Image& f)
    {
        return std::all_of(
            f.px.begin(), f.px.end(), [](std::uint32_t p) { return (p & 0xffffff) == 0; });
    }
};

} // namespace labels_test

// The warning road's memory: each warning is written once for its cause while the cause stays.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace kivo {

// A cause is what a warning is about (a QR label's text, the font of a text), kept as a 64-bit
// hash of its kind and text. It is remembered while some frame meets it: a cause that a whole
// frame does not meet is forgotten at the end of it, and said again when it comes back. At most
// `bound` causes met in one frame are remembered (16 bytes each); a new cause met when `bound`
// already were that frame is not said.
class Warnings {
  public:
    static constexpr std::size_t bound = 256;

    // Reserved at once: first() never allocates, so errno is still the failure's for warn().
    Warnings()
    {
        said_.reserve(bound);
        met_.reserve(bound);
    }
    // Whether the warning for this cause is to be written now.
    bool first(std::string_view kind, std::string_view cause);
    // The end of a frame: what it did not meet is forgotten.
    void end_frame();

  private:
    std::vector<std::uint64_t> said_; // met in the frame before
    std::vector<std::uint64_t> met_;  // met in this frame
};

} // namespace kivo

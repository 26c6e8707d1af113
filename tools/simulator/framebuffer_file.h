// The emulated display as another process sees it: the framebuffer file and its mode file.
#ifndef KIVO_SIM_FRAMEBUFFER_FILE_H
#define KIVO_SIM_FRAMEBUFFER_FILE_H

#include <cstdint>
#include <string>
#include <vector>

namespace kivo_sim {

// One visible frame: width x height pixels, rows packed, 0xAARRGGBB words (alpha not used).
struct Frame {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

class FramebufferFile {
  public:
    explicit FramebufferFile(std::string path);
    ~FramebufferFile();
    FramebufferFile(const FramebufferFile&) = delete;
    FramebufferFile& operator=(const FramebufferFile&) = delete;

    // Reads the current mode ("<path>.mode": "W H LINE_LENGTH", then the panel's layout, "BITS
    // R G B" with each field as OFFSET:LENGTH) and the visible pixels, as the panel shows them,
    // into frame. False while there is no display yet (no mode file, or no framebuffer file); a
    // file shorter than the mode says reads as black for the missing rows.
    bool read(Frame& frame);

  private:
    std::string path_;
    int fd_ = -1;
    std::vector<std::uint8_t> row_bytes_;
};

// Saves frame as an RGB PNG; false (with a warning) on failure.
bool save_png(const Frame& frame, const std::string& path);

} // namespace kivo_sim

#endif

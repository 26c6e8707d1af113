// kivo::FbFormat: the framebuffer's pixel layout, and the conversion of drawing-surface rows to it.
#pragma once

#include <cstddef>
#include <cstdint>

struct fb_var_screeninfo;

namespace kivo {

// Built from the mode the driver reports. Takes 32 bits in any byte order of 8-bit fields, 24 bits
// (red first or blue first) and 16 bits with 5- or 6-bit fields (RGB565, BGR565, 5-5-5); anything
// else (a palette, grayscale, FOURCC, other fields) ends the process: "framebuffer format ...".
// Fields under 8 bits take an ordered 4 x 4 dither fixed to screen positions before they are
// truncated, which hides the banding of gradients: a pixel's bytes depend only on its colour and
// its place, so an unchanged pixel never changes. Transparency bits are set (opaque).
class FbFormat {
  public:
    FbFormat(const fb_var_screeninfo& mode, std::uint32_t visual);

    // The framebuffer's bytes per pixel.
    std::size_t bytes() const { return bytes_; }
    // 32-bit pixels laid out like the drawing surface's: a plain copy.
    bool same_as_surface() const { return same_; }
    // Writes the n surface pixels of src, which lie at (x, y) on the screen, to dst: with vector
    // instructions where the processor and the layout allow, the same bytes as convert_plain.
    void convert(const std::uint32_t* src, unsigned char* dst, std::size_t n, std::size_t x,
        std::size_t y) const;
    // The same by portable arithmetic alone.
    void convert_plain(const std::uint32_t* src, unsigned char* dst, std::size_t n, std::size_t x,
        std::size_t y) const;

  private:
    std::size_t bytes_;
    bool same_;
    std::uint32_t alpha_ = 0;      // the transparency bits, all set
    std::uint32_t offset_[3] = {}; // red, green, blue: where each field starts in the pixel
    std::uint32_t drop_[3] = {};   // and how many low bits of the 8-bit value it leaves out
    enum class Road { plain, rgb565, bgr565, bytes } road_ = Road::plain; // vector instructions
    unsigned char order_[16] = {}; // Road::bytes: the surface byte of each byte of 4 pixels

    template <std::size_t Width>
    void convert_as(const std::uint32_t* src, unsigned char* dst, std::size_t n, std::size_t x,
        std::size_t y) const;
};

} // namespace kivo

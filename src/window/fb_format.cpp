#include "window/fb_format.h"

#include <err.h>
#include <linux/fb.h>

#include <algorithm>
#include <cstring>

namespace kivo {

namespace {

// The 4 x 4 ordered-dither thresholds, 0 to 15.
constexpr std::uint8_t bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

// A field of 5 or 6 bits (narrow) or 8 bits, within the pixel; transparency may also be absent.
bool fits(const fb_bitfield& f, std::uint32_t bits, bool narrow, bool alpha = false)
{
    const bool length = alpha    ? f.length <= 8
                        : narrow ? f.length == 5 || f.length == 6
                                 : f.length == 8;
    return length && f.msb_right == 0 && f.offset <= bits - f.length;
}

std::uint32_t mask(const fb_bitfield& f)
{
    return f.length ? ((1u << f.length) - 1) << f.offset : 0;
}

} // namespace

FbFormat::FbFormat(const fb_var_screeninfo& m, std::uint32_t visual)
    : bytes_(m.bits_per_pixel / 8), same_(m.bits_per_pixel == 32 && m.red.offset == 16 &&
                                          m.green.offset == 8 && m.blue.offset == 0),
      dithered_(m.bits_per_pixel == 16)
{
    const fb_bitfield* fields[3] = {&m.blue, &m.green, &m.red};
    const std::uint32_t bits = m.bits_per_pixel;
    bool ok = visual == FB_VISUAL_TRUECOLOR && m.grayscale == 0 && m.nonstd == 0 &&
              (bits == 16 || bits == 24 || bits == 32) && fits(m.transp, bits, false, true);
    std::uint32_t taken = ok ? mask(m.transp) : 0;
    for (const fb_bitfield* f : fields) {
        ok = ok && fits(*f, bits, dithered_) && (taken & mask(*f)) == 0;
        taken |= ok ? mask(*f) : 0;
    }
    if (!ok)
        errx(1,
            "framebuffer format not supported: %u bits per pixel, red %u:%u, green %u:%u, blue "
            "%u:%u, grayscale %u, nonstd %u, visual %u",
            bits, m.red.offset, m.red.length, m.green.offset, m.green.length, m.blue.offset,
            m.blue.length, m.grayscale, m.nonstd, visual);

    const std::size_t positions = dithered_ ? 16 : 1;
    table_.resize(positions * 3 * 256);
    for (std::size_t p = 0; p < positions; ++p)
        for (std::size_t c = 0; c < 3; ++c)
            for (std::uint32_t v = 0; v < 256; ++v) {
                const std::uint32_t drop = 8 - fields[c]->length;
                const std::uint32_t d = (bayer[p / 4][p % 4] << drop) >> 4;
                table_[(p * 3 + c) * 256 + v] = (std::min(v + d, 255u) >> drop)
                                                    << fields[c]->offset |
                                                (c == 0 ? mask(m.transp) : 0);
            }
}

void FbFormat::convert(
    const std::uint32_t* src, unsigned char* dst, std::size_t n, std::size_t x, std::size_t y) const
{
    if (same_) {
        std::memcpy(dst, src, n * 4);
        return;
    }
    for (std::size_t i = 0; i < n; ++i, dst += bytes_) {
        const std::uint32_t* t =
            table_.data() + (dithered_ ? ((y & 3) * 4 + ((x + i) & 3)) * 768 : 0);
        const std::uint32_t s = src[i];
        const std::uint32_t v = t[s & 255] | t[256 + (s >> 8 & 255)] | t[512 + (s >> 16 & 255)];
        if (bytes_ == 2) {
            const auto h = static_cast<std::uint16_t>(v);
            std::memcpy(dst, &h, 2);
        } else {
            std::memcpy(dst, &v, bytes_); // little-endian: the low bytes first
        }
    }
}

} // namespace kivo

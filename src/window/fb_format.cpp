#include "window/fb_format.h"

#include <err.h>
#include <linux/fb.h>

#include <cstring>

namespace kivo {

namespace {

// The 4 x 4 ordered-dither thresholds, 0 to 15.
constexpr std::uint32_t bayer[4][4] = {
    {0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

// N pixels at a time, as 32-bit words or their bytes: plain integer arithmetic that the compiler
// turns into vector instructions where the processor has them, and into scalar steps where not.
template <std::size_t N> struct Lanes;
template <> struct Lanes<1> {
    using W = std::uint32_t __attribute__((vector_size(4)));
    using B = std::uint8_t __attribute__((vector_size(4)));
};
template <> struct Lanes<4> {
    using W = std::uint32_t __attribute__((vector_size(16)));
    using B = std::uint8_t __attribute__((vector_size(16)));
};
template <std::size_t N> using Words = typename Lanes<N>::W;
template <std::size_t N> using Bytes = typename Lanes<N>::B;
using FourHalves = std::uint16_t __attribute__((vector_size(8)));

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

// N pixels: each 8-bit channel plus its dither byte, saturated at 255, truncated to its field.
template <std::size_t N>
Words<N> pack(Words<N> s, Bytes<N> dither, const std::uint32_t (&offset)[3],
    const std::uint32_t (&drop)[3], std::uint32_t alpha)
{
    Bytes<N> b;
    std::memcpy(&b, &s, sizeof b);
    Bytes<N> sum = b + dither;
    sum |= reinterpret_cast<Bytes<N>>(sum < b); // a byte that wrapped becomes 255
    Words<N> w;
    std::memcpy(&w, &sum, sizeof w);
    Words<N> out = w - w + alpha;
#pragma GCC unroll 3
    for (int c = 0; c < 3; ++c)
        out |= ((w >> (16 - 8 * c + drop[c])) & (255u >> drop[c])) << offset[c];
    return out;
}

} // namespace

FbFormat::FbFormat(const fb_var_screeninfo& m, std::uint32_t visual)
    : bytes_(m.bits_per_pixel / 8), same_(m.bits_per_pixel == 32 && m.red.offset == 16 &&
                                          m.green.offset == 8 && m.blue.offset == 0)
{
    const fb_bitfield* fields[3] = {&m.red, &m.green, &m.blue};
    const std::uint32_t bits = m.bits_per_pixel;
    bool ok = visual == FB_VISUAL_TRUECOLOR && m.grayscale == 0 && m.nonstd == 0 &&
              (bits == 16 || bits == 24 || bits == 32) && fits(m.transp, bits, false, true);
    std::uint32_t taken = ok ? mask(m.transp) : 0;
    for (const fb_bitfield* f : fields) {
        ok = ok && fits(*f, bits, bits == 16) && (taken & mask(*f)) == 0;
        taken |= ok ? mask(*f) : 0;
    }
    if (!ok)
        errx(1,
            "framebuffer format not supported: %u bits per pixel, red %u:%u, green %u:%u, blue "
            "%u:%u, grayscale %u, nonstd %u, visual %u",
            bits, m.red.offset, m.red.length, m.green.offset, m.green.length, m.blue.offset,
            m.blue.length, m.grayscale, m.nonstd, visual);
    alpha_ = mask(m.transp);
    for (int c = 0; c < 3; ++c) {
        offset_[c] = fields[c]->offset;
        drop_[c] = 8 - fields[c]->length;
    }
}

template <std::size_t Width>
void FbFormat::convert_as(
    const std::uint32_t* src, unsigned char* dst, std::size_t n, std::size_t x, std::size_t y) const
{
    // Bytes 4k to 4k + 3 of dither are what blue, green and red gain at x + k (and x + k + 4,
    // ...): nothing for 8-bit fields, less than one step of the field for the others.
    Bytes<4> dither{};
    for (std::size_t k = 0; k < 4; ++k)
        for (int c = 0; c < 3; ++c)
            dither[4 * k + 2 - c] =
                static_cast<std::uint8_t>((bayer[y & 3][(x + k) & 3] << drop_[c]) >> 4);
    // Local copies: dst may alias anything, members would be read again for every pixel.
    const std::uint32_t offset[3] = {offset_[0], offset_[1], offset_[2]};
    const std::uint32_t drop[3] = {drop_[0], drop_[1], drop_[2]};
    const std::uint32_t alpha = alpha_;
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        Words<4> s;
        std::memcpy(&s, src + i, sizeof s);
        const Words<4> v = pack<4>(s, dither, offset, drop, alpha);
        if constexpr (Width == 2) {
            const FourHalves h = __builtin_convertvector(v, FourHalves);
            std::memcpy(dst + 2 * i, &h, sizeof h);
        } else if constexpr (Width == 4) {
            std::memcpy(dst + 4 * i, &v, sizeof v);
        } else {
            for (std::size_t k = 0; k < 4; ++k) {
                const std::uint32_t p = v[k];
                std::memcpy(dst + 3 * (i + k), &p, 3); // little-endian: the low bytes first
            }
        }
    }
    for (; i < n; ++i) {
        Words<1> s = {src[i]};
        Bytes<1> d;
        std::memcpy(&d, reinterpret_cast<const unsigned char*>(&dither) + 4 * (i & 3), 4);
        const std::uint32_t p = pack<1>(s, d, offset, drop, alpha)[0];
        std::memcpy(dst + Width * i, &p, Width);
    }
}

void FbFormat::convert(
    const std::uint32_t* src, unsigned char* dst, std::size_t n, std::size_t x, std::size_t y) const
{
    if (same_)
        std::memcpy(dst, src, n * 4);
    else if (bytes_ == 2)
        convert_as<2>(src, dst, n, x, y);
    else if (bytes_ == 3)
        convert_as<3>(src, dst, n, x, y);
    else
        convert_as<4>(src, dst, n, x, y);
}

} // namespace kivo

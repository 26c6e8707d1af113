#include "window/fb_format.h"

#include <err.h>
#include <linux/fb.h>

#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

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

// Bytes 4k to 4k + 3 are what blue, green and red gain at x + k (and x + k + 4, ...) on row y:
// nothing for 8-bit fields, less than one step of the field for the others.
Bytes<4> dither(const std::uint32_t (&drop)[3], std::size_t x, std::size_t y)
{
    Bytes<4> d{};
    for (std::size_t k = 0; k < 4; ++k)
        for (int c = 0; c < 3; ++c)
            d[4 * k + 2 - c] =
                static_cast<std::uint8_t>((bayer[y & 3][(x + k) & 3] << drop[c]) >> 4);
    return d;
}

#if defined(__x86_64__)
// The first n - n % 16 pixels to 5-6-5 with red high (or blue, Bgr) after adding dither, the
// dither of their row from the first. The processor must have AVX2. Returns how many it wrote.
template <bool Bgr>
__attribute__((target("avx2"))) std::size_t to_565_avx2(
    const std::uint32_t* src, unsigned char* dst, std::size_t n, __m128i dither)
{
    const __m256i d = _mm256_broadcastsi128_si256(dither);
    const __m256i bytes = _mm256_set1_epi32(Bgr ? 0x00010120 : 0x00014001);
    const __m256i words = _mm256_set1_epi32(Bgr ? 0x00010040 : 0x08000001);
    std::size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        __m256i half[2];
        for (int k = 0; k < 2; ++k) {
            const __m256i s = _mm256_adds_epu8(
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i + 8 * k)), d);
            const __m256i top = _mm256_and_si256(s, _mm256_set1_epi32(0x00f8fcf8));
            half[k] =
                _mm256_srli_epi32(_mm256_madd_epi16(_mm256_maddubs_epi16(top, bytes), words), 3);
        }
        const __m256i p = _mm256_packus_epi32(half[0], half[1]);
        _mm256_storeu_si256(
            reinterpret_cast<__m256i*>(dst + 2 * i), _mm256_permute4x64_epi64(p, 0xd8));
    }
    return i;
}

// Pixels of 3 or 4 bytes, eight at a time while 32 bytes fit in the n pixels' bytes: each byte of
// four pixels taken from the surface byte that order names (or zero, index 0x80), alpha (0 for 3
// bytes) or-ed into each 4 bytes, and 3-byte pixels joined up. The processor must have AVX2.
// Returns how many it wrote.
__attribute__((target("avx2"))) std::size_t shuffled_avx2(const std::uint32_t* src,
    unsigned char* dst, std::size_t n, std::size_t bytes, const unsigned char* order,
    std::uint32_t alpha)
{
    const __m256i o =
        _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(order)));
    const __m256i a = _mm256_set1_epi32(static_cast<int>(alpha));
    const __m256i join = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 7, 7);
    std::size_t i = 0;
    for (; bytes * i + 32 <= bytes * n; i += 8) {
        __m256i v = _mm256_or_si256(
            _mm256_shuffle_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i)), o),
            a);
        if (bytes == 3)
            v = _mm256_permutevar8x32_epi32(v, join);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + bytes * i), v);
    }
    return i;
}

#endif

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
    for (int c = 0; c < 3; ++c) {
        ok = ok && fits(*fields[c], bits, bits == 16) && (taken & mask(*fields[c])) == 0;
        taken |= ok ? mask(*fields[c]) : 0;
        offset_[c] = fields[c]->offset;
        drop_[c] = 8 - fields[c]->length;
    }
    if (!ok)
        errx(1,
            "framebuffer format not supported: %u bits per pixel, red %u:%u, green %u:%u, blue "
            "%u:%u, grayscale %u, nonstd %u, visual %u",
            bits, m.red.offset, m.red.length, m.green.offset, m.green.length, m.blue.offset,
            m.blue.length, m.grayscale, m.nonstd, visual);
    alpha_ = mask(m.transp);
#if defined(__x86_64__)
    // Without AVX2 (x86-64 processors before 2013) the plain conversion does it all.
    if (!__builtin_cpu_supports("avx2"))
        return;
    if (bits == 16 && m.green.offset == 5 && m.green.length == 6)
        road_ = m.red.offset == 11    ? Road::rgb565
                : m.blue.offset == 11 ? Road::bgr565
                                      : Road::plain;
    if (bits > 16 && !same_ && (offset_[0] | offset_[1] | offset_[2]) % 8 == 0) {
        road_ = Road::bytes;
        std::memset(order_, 0x80, sizeof order_);
        for (std::size_t k = 0; k < 4; ++k)
            for (int c = 0; c < 3; ++c)
                order_[bytes_ * k + offset_[c] / 8] = static_cast<unsigned char>(4 * k + 2 - c);
    }
#endif
}

template <std::size_t Width>
void FbFormat::convert_as(
    const std::uint32_t* src, unsigned char* dst, std::size_t n, std::size_t x, std::size_t y) const
{
    const Bytes<4> dither = kivo::dither(drop_, x, y);
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
    std::size_t done = 0;
#if defined(__x86_64__)
    if (road_ == Road::rgb565 || road_ == Road::bgr565) {
        __m128i d;
        const Bytes<4> row = dither(drop_, x, y);
        std::memcpy(&d, &row, sizeof d);
        done = (road_ == Road::bgr565 ? to_565_avx2<true> : to_565_avx2<false>)(src, dst, n, d);
    } else if (road_ == Road::bytes) {
        done = shuffled_avx2(src, dst, n, bytes_, order_, alpha_);
    }
#endif
    convert_plain(src + done, dst + bytes_ * done, n - done, x + done, y);
}

void FbFormat::convert_plain(
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

#include "image/alpha_blend.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define KIVO_X86_BLEND 1
#endif

#include "kivo/surface.h"

namespace kivo {

namespace {

#if KIVO_X86_BLEND
// Eight pixels of SDL's x86 blend, in 16-bit lanes: each colour channel s * a / 256 +
// d * (255 - a) / 256, the alpha channel a * 255 / 256 + d * (255 - a) / 256, each quotient
// rounded down; a transparent pixel leaves d, an opaque one replaces it.
__attribute__((target("avx2"))) inline __m256i blend8(__m256i s, __m256i d)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i ff = _mm256_set1_epi16(0xff);
    const __m256i amask = _mm256_set1_epi32(int(0xff000000u));
    // The alpha lane of each pixel takes s * 255, the colour lanes s * a.
    const __m256i alpha_lanes = _mm256_set1_epi64x(0x00ff000000000000);
    const __m256i s_lo = _mm256_unpacklo_epi8(s, zero), s_hi = _mm256_unpackhi_epi8(s, zero);
    const __m256i d_lo = _mm256_unpacklo_epi8(d, zero), d_hi = _mm256_unpackhi_epi8(d, zero);
    const __m256i a_lo = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(s_lo, 0xff), 0xff);
    const __m256i a_hi = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(s_hi, 0xff), 0xff);
    const __m256i r_lo = _mm256_add_epi16(
        _mm256_srli_epi16(_mm256_mullo_epi16(s_lo, _mm256_or_si256(a_lo, alpha_lanes)), 8),
        _mm256_srli_epi16(_mm256_mullo_epi16(d_lo, _mm256_xor_si256(a_lo, ff)), 8));
    const __m256i r_hi = _mm256_add_epi16(
        _mm256_srli_epi16(_mm256_mullo_epi16(s_hi, _mm256_or_si256(a_hi, alpha_lanes)), 8),
        _mm256_srli_epi16(_mm256_mullo_epi16(d_hi, _mm256_xor_si256(a_hi, ff)), 8));
    const __m256i a = _mm256_and_si256(s, amask);
    const __m256i clear = _mm256_cmpeq_epi32(a, zero);
    const __m256i opaque = _mm256_cmpeq_epi32(a, amask);
    const __m256i r = _mm256_blendv_epi8(_mm256_packus_epi16(r_lo, r_hi), d, clear);
    return _mm256_blendv_epi8(r, s, opaque);
}

// A row in steps of eight pixels, a last step of fewer masked: every pixel goes through blend8.
__attribute__((target("avx2"))) void blend_row(const Uint32* src, Uint32* dst, int w)
{
    const __m256i amask = _mm256_set1_epi32(int(0xff000000u));
    const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    for (int x = 0; x < w; x += 8) {
        const bool full = w - x >= 8;
        const __m256i in = _mm256_cmpgt_epi32(_mm256_set1_epi32(w - x), lanes);
        const auto* from = reinterpret_cast<const int*>(src + x);
        auto* to = reinterpret_cast<int*>(dst + x);
        // Lanes past the row load as 0, a transparent pixel.
        const __m256i s = full ? _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from))
                               : _mm256_maskload_epi32(from, in);
        const __m256i a = _mm256_and_si256(s, amask);
        if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(a, _mm256_setzero_si256())) == -1)
            continue;
        if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(a, amask)) == -1) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(to), s);
            continue;
        }
        if (full) {
            auto* at = reinterpret_cast<__m256i*>(to);
            _mm256_storeu_si256(at, blend8(s, _mm256_loadu_si256(at)));
        } else {
            _mm256_maskstore_epi32(to, in, blend8(s, _mm256_maskload_epi32(to, in)));
        }
    }
}

// Every alpha (one per row), against a spread of colours and destination alphas: SDL's blend and
// ours must give the same bytes.
bool probe()
{
    constexpr int w = 64, h = 256;
    Surface src(0, w, h, 32, working_format), by_sdl(0, w, h, 32, working_format),
        ours(0, w, h, 32, working_format);
    if (!src || !by_sdl || !ours || SDL_MUSTLOCK(src.get()) || SDL_MUSTLOCK(by_sdl.get()))
        return false;
    const auto row = [](const Surface& s, int y) {
        return reinterpret_cast<Uint32*>(static_cast<Uint8*>(s->pixels) + y * s->pitch);
    };
    for (int y = 0; y < h; ++y) {
        const Uint32 a = Uint32(y);
        for (Uint32 x = 0; x < w; ++x) {
            const Uint32 k = x * 4 + a; // 0 to 507: four values of each channel per row
            row(src, y)[x] = a << 24 | (k * 113 & 0xff) << 16 | (k * 29 & 0xff) << 8 | (k & 0xff);
            row(by_sdl, y)[x] = row(ours, y)[x] = (k * 37 & 0xff) << 24 | (k * 7 & 0xff) << 16 |
                                                  (255 - (k & 0xff)) << 8 | (k * 101 & 0xff);
        }
    }
    SDL_SetSurfaceBlendMode(src.get(), SDL_BLENDMODE_BLEND);
    if (SDL_BlitSurface(src.get(), nullptr, by_sdl.get(), nullptr) != 0)
        return false;
    AlphaBlend::blend_rows(static_cast<const Uint8*>(src->pixels), src->pitch,
        static_cast<Uint8*>(ours->pixels), ours->pitch, w, h);
    for (int y = 0; y < h; ++y)
        if (std::memcmp(row(ours, y), row(by_sdl, y), w * 4) != 0)
            return false;
    return true;
}
#endif

} // namespace

bool AlphaBlend::matches_sdl()
{
#if KIVO_X86_BLEND
    static const bool matches = __builtin_cpu_supports("avx2") && probe();
    return matches;
#else
    // SDL's own ARM blitters are vector code already.
    return false;
#endif
}

void AlphaBlend::blend_rows(
    const Uint8* src, int src_pitch, Uint8* dst, int dst_pitch, int w, int h)
{
#if KIVO_X86_BLEND
    for (int y = 0; y < h; ++y)
        blend_row(reinterpret_cast<const Uint32*>(src + std::ptrdiff_t(y) * src_pitch),
            reinterpret_cast<Uint32*>(dst + std::ptrdiff_t(y) * dst_pitch), w);
#else
    (void)src, (void)src_pitch, (void)dst, (void)dst_pitch, (void)w, (void)h;
#endif
}

} // namespace kivo

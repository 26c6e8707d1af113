#include "image/alpha_blend.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define KIVO_X86_BLEND 1
#elif defined(__arm__)
#include <arm_neon.h>
#include <asm/hwcap.h>
#include <sys/auxv.h>
#define KIVO_ARM_BLEND 1
#endif

#include "image/blit_plan.h"
#include "kivo/surface.h"

namespace kivo {

namespace {

#if KIVO_X86_BLEND
// Four pixels of SDL's x86 blend in 16-bit lanes: each colour channel s * a / 256 +
// d * (255 - a) / 256, the alpha channel a * 255 / 256 + d * (255 - a) / 256, each quotient
// rounded down.
__attribute__((target("avx2"))) inline __m256i blend4(__m256i s, __m256i d)
{
    const __m256i a = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(s, 0xff), 0xff);
    // The alpha lane of each pixel takes s * 255, the colour lanes s * a.
    const __m256i alpha_lanes = _mm256_set1_epi64x(0x00ff000000000000);
    return _mm256_add_epi16(
        _mm256_srli_epi16(_mm256_mullo_epi16(s, _mm256_or_si256(a, alpha_lanes)), 8),
        _mm256_srli_epi16(_mm256_mullo_epi16(d, _mm256_xor_si256(a, _mm256_set1_epi16(0xff))), 8));
}

// Eight pixels, as the halves of blend4; a transparent pixel leaves d, an opaque one replaces it.
__attribute__((target("avx2"))) inline __m256i blend8(__m256i s, __m256i d)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i amask = _mm256_set1_epi32(int(0xff000000u));
    const __m256i blended =
        _mm256_packus_epi16(blend4(_mm256_unpacklo_epi8(s, zero), _mm256_unpacklo_epi8(d, zero)),
            blend4(_mm256_unpackhi_epi8(s, zero), _mm256_unpackhi_epi8(d, zero)));
    const __m256i a = _mm256_and_si256(s, amask);
    const __m256i r = _mm256_blendv_epi8(blended, d, _mm256_cmpeq_epi32(a, zero));
    return _mm256_blendv_epi8(r, s, _mm256_cmpeq_epi32(a, amask));
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

#elif KIVO_ARM_BLEND
// Eight pixels of SDL's portable blend, which its 32-bit ARM builds use, one byte plane per
// channel: each colour channel d + (s - d) * a / 256 rounded down, which is
// (s * a + d * (256 - a)) / 256 and never leaves 16 bits; the alpha channel
// a + d * (255 - a) / 256. A transparent pixel leaves d, an opaque one replaces it.
__attribute__((target("fpu=neon"))) inline uint8x8x4_t blend8(uint8x8x4_t s, uint8x8x4_t d)
{
    const uint8x8_t a = s.val[3];
    const uint8x8_t rest = vsub_u8(vdup_n_u8(0), a); // 256 - a, wrong only where a is 0
    const uint8x8_t clear = vceq_u8(a, vdup_n_u8(0)), opaque = vceq_u8(a, vdup_n_u8(255));
    uint8x8x4_t out;
    for (int c = 0; c < 3; ++c)
        out.val[c] = vshrn_n_u16(vmlal_u8(vmull_u8(s.val[c], a), d.val[c], rest), 8);
    out.val[3] = vadd_u8(a, vshrn_n_u16(vmull_u8(d.val[3], vmvn_u8(a)), 8));
    for (int c = 0; c < 4; ++c)
        out.val[c] = vbsl_u8(opaque, s.val[c], vbsl_u8(clear, d.val[c], out.val[c]));
    return out;
}

__attribute__((target("fpu=neon"))) bool all(uint8x8_t mask)
{
    return vget_lane_u64(vreinterpret_u64_u8(mask), 0) == ~std::uint64_t{0};
}

// A row in steps of eight pixels, the last few through a block of eight whose lanes past the row
// are transparent: every pixel goes through blend8.
__attribute__((target("fpu=neon"))) void blend_row(const Uint32* src, Uint32* dst, int w)
{
    for (int x = 0; x < w; x += 8) {
        const int n = std::min(w - x, 8);
        Uint32 s_block[8] = {}, d_block[8] = {};
        const Uint32* s_at = src + x;
        Uint32* d_at = dst + x;
        if (n < 8) {
            std::memcpy(s_block, s_at, std::size_t(n) * 4);
            std::memcpy(d_block, d_at, std::size_t(n) * 4);
            s_at = s_block;
            d_at = d_block;
        }
        const uint8x8x4_t s = vld4_u8(reinterpret_cast<const uint8_t*>(s_at));
        if (all(vceq_u8(s.val[3], vdup_n_u8(0))))
            continue;
        if (all(vceq_u8(s.val[3], vdup_n_u8(255))))
            std::memcpy(d_at, s_at, 32);
        else
            vst4_u8(reinterpret_cast<uint8_t*>(d_at),
                blend8(s, vld4_u8(reinterpret_cast<const uint8_t*>(d_at))));
        if (n < 8)
            std::memcpy(dst + x, d_block, std::size_t(n) * 4);
    }
}
#endif

#if KIVO_X86_BLEND || KIVO_ARM_BLEND
// Every alpha (neighbours differing, transparent and opaque ones among blended ones), against a
// spread of colours and destination alphas: SDL's blend and ours must give the same bytes.
bool probe()
{
    constexpr int w = 64, h = 256;
    Surface src(0, w, h, 32, working_format), by_sdl(0, w, h, 32, working_format),
        ours(0, w, h, 32, working_format);
    if (!src || !by_sdl || !ours || SDL_MUSTLOCK(src.get()) || SDL_MUSTLOCK(by_sdl.get()))
        return false;
    const auto row = [](const Surface& s, int y) {
        return reinterpret_cast<Uint32*>(pixel_at(s.get(), 0, y));
    };
    for (int y = 0; y < h; ++y)
        for (Uint32 x = 0; x < w; ++x) {
            const Uint32 a = (Uint32(y) + x * 7) & 0xff;
            const Uint32 k = x * 4 + Uint32(y); // four values of each channel per row
            row(src, y)[x] = a << 24 | (k * 113 & 0xff) << 16 | (k * 29 & 0xff) << 8 | (k & 0xff);
            row(by_sdl, y)[x] = row(ours, y)[x] = (k * 37 & 0xff) << 24 | (k * 7 & 0xff) << 16 |
                                                  (255 - (k & 0xff)) << 8 | (k * 101 & 0xff);
        }
    SDL_SetSurfaceBlendMode(src.get(), SDL_BLENDMODE_BLEND);
    if (SDL_BlitSurface(src.get(), nullptr, by_sdl.get(), nullptr) != 0)
        return false;
    AlphaBlend::blend_rows(static_cast<const Uint8*>(src->pixels), src->pitch,
        static_cast<Uint8*>(ours->pixels), ours->pitch, w, h);
    return std::memcmp(ours->pixels, by_sdl->pixels, std::size_t(h * ours->pitch)) == 0;
}
#endif

} // namespace

bool AlphaBlend::matches_sdl()
{
#if KIVO_X86_BLEND
    static const bool matches = __builtin_cpu_supports("avx2") && probe();
#elif KIVO_ARM_BLEND
    static const bool matches = (getauxval(AT_HWCAP) & HWCAP_NEON) && probe();
#else
    const bool matches = false;
#endif
    return matches;
}

void AlphaBlend::blend_rows(
    const Uint8* src, int src_pitch, Uint8* dst, int dst_pitch, int w, int h)
{
#if KIVO_X86_BLEND || KIVO_ARM_BLEND
    for (int y = 0; y < h; ++y)
        blend_row(reinterpret_cast<const Uint32*>(src + std::ptrdiff_t(y) * src_pitch),
            reinterpret_cast<Uint32*>(dst + std::ptrdiff_t(y) * dst_pitch), w);
#else
    (void)src, (void)src_pitch, (void)dst, (void)dst_pitch, (void)w, (void)h;
#endif
}

} // namespace kivo

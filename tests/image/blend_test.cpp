// The library's own blend of translucent images against SDL's blitter: every alpha, every source
// and destination value of each channel, and rows of every width up to two vectors and a bit.
#include <gtest/gtest.h>

#include <cstring>

#if defined(__arm__)
#include <asm/hwcap.h>
#include <sys/auxv.h>
#endif

#include "image/alpha_blend.h"
#include "kivo/surface.h"

namespace {

using kivo::AlphaBlend;
using kivo::Surface;

Uint32* row(const Surface& s, int y)
{
    return reinterpret_cast<Uint32*>(static_cast<Uint8*>(s->pixels) + y * s->pitch);
}

// SDL's blit and blend_rows of the same part of src onto copies of dst.
void expect_same(const Surface& src, const SDL_Rect& part, const Surface& dst, int x, int y)
{
    Surface by_sdl(0, dst->w, dst->h, 32, kivo::working_format),
        ours(0, dst->w, dst->h, 32, kivo::working_format);
    for (int r = 0; r < dst->h; ++r) {
        std::memcpy(row(by_sdl, r), row(dst, r), std::size_t(dst->w) * 4);
        std::memcpy(row(ours, r), row(dst, r), std::size_t(dst->w) * 4);
    }
    SDL_Rect from = part, to{x, y, 0, 0};
    SDL_SetSurfaceBlendMode(src.get(), SDL_BLENDMODE_BLEND);
    ASSERT_EQ(SDL_BlitSurface(src.get(), &from, by_sdl.get(), &to), 0);
    AlphaBlend::blend_rows(reinterpret_cast<const Uint8*>(row(src, part.y) + part.x), src->pitch,
        reinterpret_cast<Uint8*>(row(ours, y) + x), ours->pitch, part.w, part.h);
    for (int r = 0; r < dst->h; ++r)
        for (int c = 0; c < dst->w; ++c)
            ASSERT_EQ(row(ours, r)[c], row(by_sdl, r)[c])
                << "pixel " << c << "," << r << " of a " << part.w << "-wide part";
}

// With AVX2 on x86, or NEON on 32-bit ARM, and Debian's SDL the library blends itself; an SDL that
// rounds otherwise turns that off (and fails here, to say the faster path is lost).
bool expected()
{
#if defined(__x86_64__) || defined(__i386__)
    return __builtin_cpu_supports("avx2");
#elif defined(__arm__)
    return getauxval(AT_HWCAP) & HWCAP_NEON;
#else
    return false;
#endif
}

TEST(AlphaBlend, GivesSdlsBytesForEveryAlphaAndValue)
{
    ASSERT_EQ(AlphaBlend::matches_sdl(), expected());
    if (!AlphaBlend::matches_sdl())
        GTEST_SKIP() << "SDL blends on this machine";
    // Row y of the destination and column x of the source hold every pair of channel values:
    // red s = x against d = y, green s = y against d = x, blue and the destination's alpha vary.
    // Each pixel meets every alpha over the 256 rounds, neighbours a different one in each.
    Surface src(0, 256, 256, 32, kivo::working_format), dst(0, 256, 256, 32, kivo::working_format);
    for (Uint32 a = 0; a < 256; ++a) {
        for (Uint32 y = 0; y < 256; ++y)
            for (Uint32 x = 0; x < 256; ++x) {
                row(src, int(y))[x] = ((a + x * 7) & 0xff) << 24 | x << 16 | y << 8 | (x ^ y);
                row(dst, int(y))[x] = y << 24 | y << 16 | x << 8 | (255 - x);
            }
        expect_same(src, {0, 0, 256, 256}, dst, 0, 0);
        if (HasFatalFailure())
            return;
    }
    // Parts of every width up to two vectors and a bit, at odd places: rows end where they should.
    for (int w = 1; w <= 19; ++w) {
        expect_same(src, {3, 7, w, 4}, dst, 5, 1);
        if (HasFatalFailure())
            return;
    }
}

} // namespace

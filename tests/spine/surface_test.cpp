#include "kivo/surface.h"
#include <gtest/gtest.h>

TEST(Surface, ConvertKeepsASurfaceAlreadyInShape)
{
    SDL_Surface* argb = SDL_CreateRGBSurfaceWithFormat(0, 10, 20, 32, kivo::working_format);
    EXPECT_EQ(kivo::Surface::convert(argb, 0, 0), argb);
    EXPECT_EQ(kivo::Surface::convert(argb, 10, 20), argb);
    EXPECT_EQ(kivo::Surface::convert(argb, 10, 0), argb);

    // Another format at the same size: converted, the pixel values kept.
    SDL_Surface* abgr = SDL_CreateRGBSurfaceWithFormat(0, 2, 1, 32, SDL_PIXELFORMAT_ABGR8888);
    static_cast<Uint32*>(abgr->pixels)[0] = 0xFF0000FF; // opaque red in ABGR
    SDL_Surface* converted = kivo::Surface::convert(abgr, 0, 0);
    ASSERT_NE(converted, nullptr);
    EXPECT_EQ(converted->format->format, kivo::working_format);
    EXPECT_EQ(static_cast<Uint32*>(converted->pixels)[0], 0xFFFF0000u); // opaque red in ARGB
    SDL_FreeSurface(converted);

    // Another size: scaled into a new surface (the source is released; ASan checks that).
    SDL_Surface* scaled = kivo::Surface::convert(argb, 5, 0);
    ASSERT_NE(scaled, nullptr);
    EXPECT_NE(scaled, argb);
    EXPECT_EQ(scaled->w, 5);
    EXPECT_EQ(scaled->h, 20);
    SDL_FreeSurface(scaled);
}

// SDL's stretch overflows its fixed-point steps at 32768 pixels: such images, and images without
// pixels, are not stretched at all (a GIF frame 41087 pixels wide read outside its image on ARM).
TEST(Surface, ConvertRefusesSizesTheStretchCannotTake)
{
    const struct {
        int src_w, src_h, want_w, want_h;
        bool converted;
    } cases[] = {{41087, 2, 64, 48, false}, {2, 32768, 8, 8, false}, {8, 8, 32768, 1, false},
        {320, 0, 64, 48, false}, {32767, 1, 16, 1, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.src_w << "x" << c.src_h << " -> " << c.want_w << "x" << c.want_h);
        SDL_Surface* source =
            SDL_CreateRGBSurfaceWithFormat(0, c.src_w, c.src_h, 32, SDL_PIXELFORMAT_ABGR8888);
        ASSERT_NE(source, nullptr);
        SDL_Surface* result = kivo::Surface::convert(source, c.want_w, c.want_h);
        EXPECT_EQ(result != nullptr, c.converted);
        SDL_FreeSurface(result);
    }
}

TEST(Surface, MovingExchangesOwnershipWithoutDoubleFree)
{
    kivo::Surface a(0, 4, 4, 32, kivo::working_format);
    kivo::Surface b(0, 8, 8, 32, kivo::working_format);
    SDL_Surface* pa = a.get();
    SDL_Surface* pb = b.get();
    a = std::move(b);
    EXPECT_EQ(a.get(), pb);
    EXPECT_EQ(b.get(), pa); // released when b goes
    kivo::Surface c(std::move(a));
    EXPECT_EQ(c.get(), pb);
    EXPECT_FALSE(a);
    kivo::Surface empty;
    empty = kivo::Surface(); // destroying empty surfaces does nothing

    // Wrapped pixels stay the caller's.
    std::vector<Uint32> pixels(16, 0xFF00FF00u);
    {
        kivo::Surface wrapped(4, 4, 32, 16, kivo::working_format, pixels.data());
        ASSERT_TRUE(wrapped);
        EXPECT_EQ(wrapped->pixels, pixels.data());
    }
    EXPECT_EQ(pixels[15], 0xFF00FF00u);
}

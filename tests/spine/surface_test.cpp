#include "kivo/surface.h"
#include <gtest/gtest.h>

// SDL's stretch overflows its fixed-point steps at 32768 pixels: such images, and images without
// pixels, are not stretched at all (a GIF frame 41087 pixels wide read outside its image on ARM).
TEST(Surface, ConvertRefusesSizesTheStretchCannotTake)
{
    const struct {
        int src_w, src_h, want_w, want_h;
        bool converted;
    } cases[] = {{41087, 2, 64, 48, false}, {32768, 1, 16, 1, false}, {2, 32768, 8, 8, false},
        {8, 8, 32768, 1, false}, {320, 0, 64, 48, false}, {32767, 1, 16, 1, true}};
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

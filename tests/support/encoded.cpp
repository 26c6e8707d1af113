// Images encoded here, for the tests that need bytes of a known picture (links libwebp).
#include <SDL2/SDL_image.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include "support.h"

namespace kivo_test {

std::string encoded(const char* format, int w, int h, std::uint32_t argb)
{
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_FillRect(s, nullptr, argb);
    std::vector<char> buffer(1 << 16);
    SDL_RWops* out = SDL_RWFromMem(buffer.data(), int(buffer.size()));
    const std::string f = format;
    EXPECT_EQ(f == "PNG"   ? IMG_SavePNG_RW(s, out, 0)
              : f == "JPG" ? IMG_SaveJPG_RW(s, out, 0, 100)
                           : SDL_SaveBMP_RW(s, out, 0),
        0)
        << SDL_GetError();
    const auto size = std::size_t(SDL_RWtell(out));
    SDL_RWclose(out);
    SDL_FreeSurface(s);
    return std::string(buffer.data(), size);
}

std::string animated_webp(int canvas_w, int canvas_h, const std::vector<WebpFrame>& frames)
{
    WebPMux* mux = WebPMuxNew();
    for (const WebpFrame& f : frames) {
        const std::vector<std::uint32_t> pixels(std::size_t(f.w * f.h), f.argb); // B, G, R, A
        uint8_t* bitstream = nullptr;
        const size_t size = WebPEncodeLosslessBGRA(
            reinterpret_cast<const uint8_t*>(pixels.data()), f.w, f.h, f.w * 4, &bitstream);
        WebPMuxFrameInfo info{};
        info.bitstream = {bitstream, size};
        info.x_offset = f.x;
        info.y_offset = f.y;
        info.duration = f.duration;
        info.id = WEBP_CHUNK_ANMF;
        info.dispose_method = WEBP_MUX_DISPOSE_NONE;
        info.blend_method = WEBP_MUX_NO_BLEND;
        EXPECT_EQ(WebPMuxPushFrame(mux, &info, 1), WEBP_MUX_OK);
        WebPFree(bitstream);
    }
    WebPMuxAnimParams params{0, 0};
    EXPECT_EQ(WebPMuxSetAnimationParams(mux, &params), WEBP_MUX_OK);
    EXPECT_EQ(WebPMuxSetCanvasSize(mux, canvas_w, canvas_h), WEBP_MUX_OK);
    WebPData out{};
    EXPECT_EQ(WebPMuxAssemble(mux, &out), WEBP_MUX_OK);
    std::string bytes(reinterpret_cast<const char*>(out.bytes), out.size);
    WebPDataClear(&out);
    WebPMuxDelete(mux);
    return bytes;
}

} // namespace kivo_test

#include "reliability.h"

#include <unistd.h>

#include <fstream>
#include <memory>

#include <SDL2/SDL.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include "kivo_emu.h"
#include "support.h"

namespace reliability {

std::string still_reference(int w, int h, std::uint32_t argb)
{
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_FillRect(s, nullptr, argb);
    std::uint8_t buffer[4096];
    SDL_RWops* out = SDL_RWFromMem(buffer, sizeof buffer);
    SDL_SaveBMP_RW(s, out, 0);
    const auto size = std::size_t(SDL_RWtell(out));
    SDL_RWclose(out);
    SDL_FreeSurface(s);
    return "data://" + kivo_test::base64(std::string(reinterpret_cast<const char*>(buffer), size));
}

std::string animated_reference(int w, int h, std::uint32_t argb)
{
    WebPAnimEncoderOptions options;
    WebPAnimEncoderOptionsInit(&options);
    WebPAnimEncoder* encoder = WebPAnimEncoderNew(w, h, &options);
    WebPConfig config;
    WebPConfigInit(&config);
    config.lossless = 1;
    WebPPicture picture;
    WebPPictureInit(&picture);
    picture.use_argb = 1;
    picture.width = w;
    picture.height = h;
    WebPPictureAlloc(&picture);
    for (int frame = 0; frame < 2; ++frame) {
        for (int i = 0; i < w * h; ++i)
            picture.argb[i] = frame ? ~argb | 0xff000000u : argb;
        WebPAnimEncoderAdd(encoder, &picture, frame * 100, &config);
    }
    WebPAnimEncoderAdd(encoder, nullptr, 200, nullptr);
    WebPData data;
    WebPDataInit(&data);
    WebPAnimEncoderAssemble(encoder, &data);
    const std::string ref = "data://" + kivo_test::base64(std::string(
                                            reinterpret_cast<const char*>(data.bytes), data.size));
    WebPDataClear(&data);
    WebPPictureFree(&picture);
    WebPAnimEncoderDelete(encoder);
    return ref;
}

long resident_bytes()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

EventRecord press(int x, int y)
{
    EventRecord e{};
    e.kind = KIVO_EVENT_PRESS;
    e.x = x;
    e.y = y;
    kivo_push_event(&e);
    EventRecord out{};
    EXPECT_EQ(kivo_poll_events(&out, 1), 1u);
    return out;
}

} // namespace reliability

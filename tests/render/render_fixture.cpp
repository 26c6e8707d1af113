#include "render_fixture.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include <SDL2/SDL_image.h>

#include "capi/state.h"
#include "kivo_emu.h"

namespace render_test {

namespace {

[[maybe_unused]] auto* const environment =
    ::testing::AddGlobalTestEnvironment(new render_test::Environment);

std::uint8_t channel(std::uint32_t p, int shift) { return (p >> shift) & 0xff; }

std::vector<std::string> saved;

}  // namespace

Image load(const std::string& path)
{
    SDL_Surface* loaded = IMG_Load(path.c_str());
    if (!loaded) {
        ADD_FAILURE() << "cannot load " << path << ": " << SDL_GetError();
        return {};
    }
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(loaded);
    Image img(argb->w, argb->h);
    for (int y = 0; y < argb->h; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(
            static_cast<const std::uint8_t*>(argb->pixels) + std::size_t(y) * argb->pitch);
        std::copy(row, row + argb->w, &img.at(0, y));
    }
    SDL_FreeSurface(argb);
    return img;
}

void blend(Image& dst, const Image& src, long long x, long long y)
{
    for (int sy = 0; sy < src.h; ++sy) {
        const long long dy = y + sy;
        if (dy < 0 || dy >= dst.h)
            continue;
        for (int sx = 0; sx < src.w; ++sx) {
            const long long dx = x + sx;
            if (dx < 0 || dx >= dst.w)
                continue;
            const std::uint32_t s = src.at(sx, sy);
            std::uint32_t& d = dst.at(int(dx), int(dy));
            const int a = channel(s, 24);
            if (a > 0 && a < 255) {
                if (dst.layers.empty())
                    dst.layers.assign(dst.px.size(), 0);
                auto& n = dst.layers[std::size_t(dy) * dst.w + std::size_t(dx)];
                n = std::uint8_t(std::min(n + 1, 255));
            }
            std::uint32_t out = 0xff000000;
            for (int shift : {16, 8, 0}) {
                const int v = (channel(s, shift) * a + channel(d, shift) * (255 - a) + 127) / 255;
                out |= std::uint32_t(v) << shift;
            }
            d = out;
        }
    }
}

Image pattern(int w, int h, int seed)
{
    Image img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.at(x, y) = 0xff000000u | std::uint32_t(x & 0xff) << 16 |
                           std::uint32_t((y + seed) & 0xff) << 8 | std::uint32_t(seed & 0xff);
    return img;
}

std::string save(const Image& image, const std::string& name)
{
    const std::string path =
        (std::filesystem::temp_directory_path() / ("render_test_" + std::to_string(getpid()) +
                                                   "_" + name + ".bmp"))
            .string();
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<std::uint32_t*>(image.px.data()), image.w, image.h, 32, image.w * 4,
        SDL_PIXELFORMAT_ARGB8888);
    EXPECT_EQ(SDL_SaveBMP(s, path.c_str()), 0) << SDL_GetError();
    saved.push_back(path);
    SDL_FreeSurface(s);
    return path;
}

Image frame()
{
    Image img(kivo_surface_width(), kivo_surface_height());
    kivo_get_framebuffer(img.px.data(), img.px.size() * 4);
    return img;
}

::testing::AssertionResult same_rgb(const Image& got, const Image& want, int tolerance)
{
    if (got.w != want.w || got.h != want.h)
        return ::testing::AssertionFailure() << "size " << got.w << "x" << got.h << " vs "
                                             << want.w << "x" << want.h;
    long bad = 0;
    std::string first;
    for (int y = 0; y < got.h; ++y)
        for (int x = 0; x < got.w; ++x) {
            const std::uint32_t g = got.at(x, y), w = want.at(x, y);
            const int layers =
                want.layers.empty() ? 1 : std::max(1, int(want.layers[std::size_t(y) * want.w + x]));
            for (int shift : {16, 8, 0})
                if (std::abs(int(channel(g, shift)) - int(channel(w, shift))) > tolerance * layers) {
                    if (bad++ == 0) {
                        char buf[96];
                        std::snprintf(buf, sizeof buf, "(%d,%d): got %06x, want %06x", x, y,
                                      g & 0xffffff, w & 0xffffff);
                        first = buf;
                    }
                    break;
                }
        }
    if (bad == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << bad << " pixels differ, first " << first;
}

Box ink(const Image& img, const Image& base)
{
    int x0 = img.w, y0 = img.h, x1 = -1, y1 = -1;
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x)
            if ((img.at(x, y) ^ base.at(x, y)) & 0xffffff) {
                x0 = std::min(x0, x);
                y0 = std::min(y0, y);
                x1 = std::max(x1, x);
                y1 = std::max(y1, y);
            }
    if (x1 < 0)
        return {};
    return {x0, y0, x1 - x0 + 1, y1 - y0 + 1};
}

LabelRecord label(std::uint8_t kind, int x, int y, int w, int h, const char* text,
                  std::uint32_t id)
{
    LabelRecord r{};
    r.x = x;
    r.y = y;
    r.width = w;
    r.height = h;
    r.r = r.g = r.b = r.a = 255;
    r.text = text;
    r.kind = kind;
    r.id = id;
    return r;
}

void Environment::SetUp()
{
    kivo_emu_clock_set_manual(1);
    kivo_init_sdl();
}

void Environment::TearDown()
{
    for (const std::string& path : saved)
        std::filesystem::remove(path);
}

ConfigRecord RenderTest::config(std::uint8_t flavour)
{
    ConfigRecord c{};
    c.flavour = flavour;
    c.font0 = "DejaVu Sans 20";
    c.font1 = "DejaVu Sans 40";
    c.font2 = "DejaVu Sans 10";
    c.font3 = "DejaVu Serif 20";
    c.icon_center_y = 120;
    c.carousel_y = 400;
    c.carousel_spacing = 24;
    return c;
}

void RenderTest::open(int w, int h, const ConfigRecord& c)
{
    kivo_create_window(w, h, &c);
    ASSERT_NE(kivo::state::renderer, nullptr);
}

kivo::Renderer& RenderTest::renderer()
{
    return *kivo::state::renderer;
}

void RenderTest::show(const char* background, const char* icon,
                      const std::vector<LabelRecord>& labels, std::uint16_t buttons,
                      std::uint32_t current, std::uint32_t count)
{
    kivo_set_screen(0, background, icon, labels.data(), std::uint32_t(labels.size()), current,
                    count, buttons);
    kivo_present(0);
}

void RenderTest::advance_ms(std::int64_t ms)
{
    kivo_emu_clock_advance_ns(ms * 1000000);
}

}  // namespace render_test

#include "support.h"

#include <unistd.h>

#include <SDL2/SDL_image.h>
#include <cairo.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace kivo_test {

namespace {

std::uint8_t channel(std::uint32_t p, int shift)
{
    return (p >> shift) & 0xff;
}

// Files written by save_png, removed when the program ends normally.
struct TempFiles {
    std::vector<std::string> paths;
    ~TempFiles()
    {
        for (const std::string& p : paths)
            std::filesystem::remove(p);
    }
} temp_files;

} // namespace

ConfigRecord config(std::uint8_t flavour)
{
    ConfigRecord c{};
    c.flavour = flavour;
    c.font0 = "DejaVu Sans 20";
    c.font1 = "DejaVu Sans 40";
    c.font2 = "DejaVu Sans 10";
    c.font3 = "DejaVu Serif 20";
    c.qr_border = 4;
    c.icon_center_y = 120;
    c.carousel_y = 400;
    c.carousel_spacing = 24;
    return c;
}

ConfigRecord gauges(
    float start, float sweep, std::uint32_t value, std::uint32_t band, std::uint32_t marker)
{
    ConfigRecord c = config();
    c.slider_start_angle = start;
    c.slider_sweep_angle = sweep;
    for (int i = 0; i < 4; ++i) {
        const int shift = i == 3 ? 24 : 16 - 8 * i; // r, g, b, a
        c.slider_value_color[i] = channel(value, shift);
        c.slider_band_color[i] = channel(band, shift);
        c.slider_marker_color[i] = channel(marker, shift);
    }
    return c;
}

LabelRecord label(std::uint8_t kind, int x, int y, int w, int h, const char* text, std::uint32_t id)
{
    LabelRecord r{};
    r.x = x, r.y = y, r.width = w, r.height = h;
    r.r = r.g = r.b = r.a = 255;
    r.text = text;
    r.kind = kind;
    r.id = id;
    return r;
}

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
    SDL_ConvertPixels(argb->w, argb->h, argb->format->format, argb->pixels, argb->pitch,
        argb->format->format, img.px.data(), argb->w * 4);
    SDL_FreeSurface(argb);
    return img;
}

void blend(Image& dst, const Image& src, long long x, long long y)
{
    for (int sy = 0; sy < src.h; ++sy) {
        const long long dy = y + sy;
        for (int sx = 0; sx < src.w && dy >= 0 && dy < dst.h; ++sx) {
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
            for (int shift : {16, 8, 0})
                out |= std::uint32_t(
                           (channel(s, shift) * a + channel(d, shift) * (255 - a) + 127) / 255)
                       << shift;
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

std::string save_png(const Image& image, const std::string& name)
{
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("kivo_test_" + std::to_string(getpid()) + "_" + name + ".png"))
                                 .string();
    cairo_surface_t* png = cairo_image_surface_create(CAIRO_FORMAT_RGB24, image.w, image.h);
    unsigned char* data = cairo_image_surface_get_data(png);
    for (int y = 0; y < image.h; ++y)
        std::copy_n(image.px.data() + std::size_t(y) * image.w, image.w,
            reinterpret_cast<std::uint32_t*>(
                data + std::size_t(y) * cairo_image_surface_get_stride(png)));
    cairo_surface_mark_dirty(png);
    EXPECT_EQ(cairo_surface_write_to_png(png, path.c_str()), CAIRO_STATUS_SUCCESS) << path;
    cairo_surface_destroy(png);
    temp_files.paths.push_back(path);
    return path;
}

::testing::AssertionResult same_rgb(const Image& got, const Image& want, int tolerance)
{
    if (got.w != want.w || got.h != want.h)
        return ::testing::AssertionFailure()
               << "size " << got.w << "x" << got.h << " vs " << want.w << "x" << want.h;
    long bad = 0;
    char first[96] = "";
    for (int y = 0; y < got.h; ++y)
        for (int x = 0; x < got.w; ++x) {
            const std::uint32_t g = got.at(x, y), w = want.at(x, y);
            const int layers = want.layers.empty()
                                   ? 1
                                   : std::max(1, int(want.layers[std::size_t(y) * want.w + x]));
            for (int shift : {16, 8, 0})
                if (std::abs(int(channel(g, shift)) - int(channel(w, shift))) >
                    tolerance * layers) {
                    if (bad++ == 0)
                        std::snprintf(first, sizeof first, "(%d,%d): got %06x, want %06x", x, y,
                            g & 0xffffff, w & 0xffffff);
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
                x0 = std::min(x0, x), y0 = std::min(y0, y);
                x1 = std::max(x1, x), y1 = std::max(y1, y);
            }
    if (x1 < 0)
        return {};
    return {x0, y0, x1 - x0 + 1, y1 - y0 + 1};
}

int occurrences(const std::string& text, const std::string& what)
{
    int n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string write_file(const std::string& name, const std::string& bytes)
{
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    return path;
}

std::string base64(const std::string& bytes)
{
    static const char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t group = 0;
        for (std::size_t k = 0; k < 3; ++k)
            group = group << 8 | (k < n ? std::uint8_t(bytes[i + k]) : 0);
        for (std::size_t k = 0; k < 4; ++k)
            out += k <= n ? alphabet[(group >> (18 - 6 * k)) & 63] : '=';
    }
    return out;
}

} // namespace kivo_test

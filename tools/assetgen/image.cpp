#include "image.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace assetgen {

void Image::fill(uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    fill_rect(0, 0, width, height, r, g, b, a);
}

void Image::fill_rect(int x, int y, int w, int h, uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    for (int row = y; row < y + h; ++row)
        for (int col = x; col < x + w; ++col) {
            uint8_t* p = &bgra[(size_t(row) * width + col) * 4];
            p[0] = b, p[1] = g, p[2] = r, p[3] = a;
        }
}

Canvas::Canvas(int width, int height, cairo_format_t format)
    : width_(width), height_(height), surface_(cairo_image_surface_create(format, width, height)),
      cr_(cairo_create(surface_))
{
    if (cairo_status(cr_) != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cairo_create failed");
}

Canvas::~Canvas()
{
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
}

Image Canvas::image() const
{
    cairo_surface_flush(surface_);
    Image out(width_, height_);
    const uint8_t* data = cairo_image_surface_get_data(surface_);
    const int stride = cairo_image_surface_get_stride(surface_);
    const bool opaque = cairo_image_surface_get_format(surface_) == CAIRO_FORMAT_RGB24;
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const uint8_t* s = data + size_t(y) * stride + x * 4;
            uint8_t* d = &out.bgra[(size_t(y) * width_ + x) * 4];
            const unsigned a = opaque ? 255 : s[3];
            for (int c = 0; c < 3; ++c)
                d[c] = a ? uint8_t((s[c] * 255 + a / 2) / a) : 0;
            d[3] = uint8_t(a);
        }
    }
    return out;
}

void write_file(const std::string& path, const Bytes& bytes)
{
    const std::filesystem::path p(path);
    if (p.has_parent_path())
        std::filesystem::create_directories(p.parent_path());
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!f)
        throw std::runtime_error("cannot write " + path);
}

void write_png(const std::string& path, const Canvas& canvas)
{
    const std::filesystem::path p(path);
    if (p.has_parent_path())
        std::filesystem::create_directories(p.parent_path());
    cairo_surface_flush(canvas.surface());
    if (cairo_surface_write_to_png(canvas.surface(), path.c_str()) != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cannot write " + path);
}

Bytes read_file(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    if (!f)
        throw std::runtime_error("cannot read " + path);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

} // namespace assetgen

#include "framebuffer_file.h"

#include <cairo.h>
#include <cstdio>
#include <cstring>
#include <err.h>
#include <fcntl.h>
#include <unistd.h>

namespace kivo_sim {

namespace {

constexpr int largest_side = 1 << 14;

// The panel's layout: bits per pixel, then offset and length of red, green and blue.
struct Layout {
    unsigned bits = 32;
    unsigned field[3][2] = {{16, 8}, {8, 8}, {0, 8}};
};

bool read_mode(const std::string& path, int& w, int& h, long& line_length, Layout& l)
{
    FILE* f = std::fopen(path.c_str(), "re");
    if (!f)
        return false;
    const int n = std::fscanf(f, "%d %d %ld %u %u:%u %u:%u %u:%u", &w, &h, &line_length, &l.bits,
        &l.field[0][0], &l.field[0][1], &l.field[1][0], &l.field[1][1], &l.field[2][0],
        &l.field[2][1]);
    std::fclose(f);
    bool fields = true;
    for (const auto& [offset, length] : l.field)
        fields = fields && length >= 1 && length <= 8 && offset + length <= l.bits;
    return (n == 3 || n == 10) && (l.bits == 16 || l.bits == 24 || l.bits == 32) && fields &&
           w > 0 && h > 0 && w <= largest_side && h <= largest_side &&
           line_length >= long(l.bits / 8) * w;
}

// A panel pixel as the 0xRRGGBB it shows: each field widened, its top bits repeated below.
std::uint32_t shown(const std::uint8_t* p, const Layout& l)
{
    std::uint32_t v = 0, out = 0;
    std::memcpy(&v, p, l.bits / 8); // little-endian
    for (const auto& [offset, length] : l.field) {
        const std::uint32_t c = v >> offset & ((1u << length) - 1);
        std::uint32_t wide = 0;
        for (int at = 8 - int(length); at > -int(length); at -= int(length))
            wide |= at >= 0 ? c << at : c >> -at;
        out = out << 8 | (wide & 255);
    }
    return out;
}

} // namespace

FramebufferFile::FramebufferFile(std::string path) : path_(std::move(path))
{
}

FramebufferFile::~FramebufferFile()
{
    if (fd_ >= 0)
        close(fd_);
}

bool FramebufferFile::read(Frame& frame)
{
    int w = 0, h = 0;
    long line_length = 0;
    Layout layout;
    if (!read_mode(path_ + ".mode", w, h, line_length, layout))
        return false;
    if (fd_ < 0 && (fd_ = open(path_.c_str(), O_RDONLY | O_CLOEXEC)) < 0)
        return false;

    frame.width = w;
    frame.height = h;
    frame.pixels.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0xff000000u);
    row_bytes_.resize(static_cast<size_t>(line_length));
    const size_t bytes = layout.bits / 8, visible = static_cast<size_t>(w) * bytes;
    for (int y = 0; y < h; ++y) {
        const ssize_t n =
            pread(fd_, row_bytes_.data(), visible, static_cast<off_t>(line_length) * y);
        if (n != static_cast<ssize_t>(visible))
            break;
        std::uint32_t* row = &frame.pixels[static_cast<size_t>(y) * static_cast<size_t>(w)];
        for (int x = 0; x < w; ++x)
            row[x] =
                0xff000000u | shown(row_bytes_.data() + static_cast<size_t>(x) * bytes, layout);
    }
    return true;
}

bool save_png(const Frame& frame, const std::string& path)
{
    const int stride = frame.width * 4;
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(const_cast<std::uint32_t*>(frame.pixels.data())),
        CAIRO_FORMAT_RGB24, frame.width, frame.height, stride);
    const cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        warnx("%s: %s", path.c_str(), cairo_status_to_string(status));
        return false;
    }
    return true;
}

} // namespace kivo_sim

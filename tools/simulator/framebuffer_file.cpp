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

bool read_mode(const std::string& path, int& w, int& h, long& line_length)
{
    FILE* f = std::fopen(path.c_str(), "re");
    if (!f)
        return false;
    const bool ok = std::fscanf(f, "%d %d %ld", &w, &h, &line_length) == 3;
    std::fclose(f);
    return ok && w > 0 && h > 0 && w <= largest_side && h <= largest_side && line_length >= 4L * w;
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
    if (!read_mode(path_ + ".mode", w, h, line_length))
        return false;
    if (fd_ < 0 && (fd_ = open(path_.c_str(), O_RDONLY | O_CLOEXEC)) < 0)
        return false;

    frame.width = w;
    frame.height = h;
    frame.pixels.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0xff000000u);
    row_bytes_.resize(static_cast<size_t>(line_length));
    const size_t visible = static_cast<size_t>(w) * 4;
    for (int y = 0; y < h; ++y) {
        const ssize_t n =
            pread(fd_, row_bytes_.data(), visible, static_cast<off_t>(line_length) * y);
        if (n != static_cast<ssize_t>(visible))
            break;
        std::memcpy(&frame.pixels[static_cast<size_t>(y) * static_cast<size_t>(w)],
            row_bytes_.data(), visible);
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

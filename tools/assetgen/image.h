#pragma once
// Pixel buffers, a Cairo canvas over one, and the file writers of the asset generator.

#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

// Straight (not premultiplied) alpha, bytes B, G, R, A per pixel, rows packed.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bgra;

    Image(int w, int h) : width(w), height(h), bgra(size_t(w) * h * 4) {}
    void fill(uint8_t r, uint8_t g, uint8_t b, uint8_t a);
    void fill_rect(int x, int y, int w, int h, uint8_t r, uint8_t g, uint8_t b, uint8_t a);
};

// A Cairo image surface and its context; the surface is cleared to transparent.
class Canvas {
  public:
    Canvas(int width, int height, cairo_format_t format = CAIRO_FORMAT_ARGB32);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    cairo_t* cr() const { return cr_; }
    cairo_surface_t* surface() const { return surface_; }
    int width() const { return width_; }
    int height() const { return height_; }
    Image image() const; // un-premultiplies

  private:
    int width_, height_;
    cairo_surface_t* surface_;
    cairo_t* cr_;
};

using Bytes = std::vector<uint8_t>;

Bytes encode_webp(const Image& image, bool lossless, float quality = 80);
// delays_ms[i] is how long frame i stays; the images must all have the same size.
Bytes encode_anim_webp(const std::vector<Image>& frames, const std::vector<int>& delays_ms,
    bool lossless, float quality = 80);
Bytes encode_gif(const std::vector<Image>& frames, const std::vector<int>& delays_ms);
// 8-bit palette PNG (colour type 3); palette entries are R, G, B.
Bytes encode_palette_png(int width, int height, const std::vector<uint8_t>& indices,
    const std::vector<uint8_t>& palette_rgb);

// Creates the parent directories; throws std::runtime_error on failure.
void write_file(const std::string& path, const Bytes& bytes);
void write_png(const std::string& path, const Canvas& canvas);
Bytes read_file(const std::string& path);

} // namespace assetgen

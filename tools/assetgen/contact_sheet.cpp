#include <webp/demux.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <vector>

#include "fixed_assets.h"
#include "generate.h"
#include "image.h"

namespace assetgen {
namespace {

constexpr int columns = 4, cell_w = 310, cell_h = 150, caption_h = 24, title_h = 40;

// Decodes the first frame of a WebP file into a Cairo surface (the caller destroys it); `frames`
// receives the number of frames.
cairo_surface_t* load_webp(const std::string& path, int& frames)
{
    const Bytes data = read_file(path);
    const WebPData webp{data.data(), data.size()};
    WebPAnimDecoderOptions options;
    WebPAnimDecoderOptionsInit(&options);
    options.color_mode = MODE_bgrA; // premultiplied, as Cairo wants it
    const std::unique_ptr<WebPAnimDecoder, decltype(&WebPAnimDecoderDelete)> dec(
        WebPAnimDecoderNew(&webp, &options), WebPAnimDecoderDelete);
    WebPAnimInfo info;
    uint8_t* pixels = nullptr;
    int timestamp = 0;
    if (!dec || !WebPAnimDecoderGetInfo(dec.get(), &info) ||
        !WebPAnimDecoderGetNext(dec.get(), &pixels, &timestamp))
        throw std::runtime_error("cannot decode " + path);
    frames = int(info.frame_count);
    const int w = int(info.canvas_width), h = int(info.canvas_height);
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    uint8_t* dst = cairo_image_surface_get_data(s);
    for (int y = 0; y < h; ++y)
        std::memcpy(dst + size_t(y) * cairo_image_surface_get_stride(s), pixels + size_t(y) * w * 4,
            size_t(w) * 4);
    cairo_surface_mark_dirty(s);
    return s;
}

void checkerboard(cairo_t* cr, int x0, int y0, int w, int h)
{
    for (int y = 0; y < h; y += 10)
        for (int x = 0; x < w; x += 10) {
            const double v = ((x + y) / 10) % 2 ? 0.78 : 0.95;
            cairo_set_source_rgb(cr, v, v, v);
            cairo_rectangle(cr, x0 + x, y0 + y, std::min(10, w - x), std::min(10, h - y));
            cairo_fill(cr);
        }
}

} // namespace

void write_contact_sheet(const std::string& root, const std::string& out_png)
{
    std::vector<std::string> names;
    for (const FixedAsset& a : fixed_assets)
        names.push_back(a.path);
    for (const char* kind : {"icon", "background"}) {
        std::vector<std::string> extra;
        const std::filesystem::path dir = root + "/" + images_dir + kind;
        if (std::filesystem::is_directory(dir))
            for (const auto& entry : std::filesystem::directory_iterator(dir))
                extra.push_back(std::string(kind) + "/" + entry.path().filename().string());
        std::sort(extra.begin(), extra.end());
        names.insert(names.end(), extra.begin(), extra.end());
    }

    const int rows = int(names.size() + columns - 1) / columns;
    Canvas sheet(columns * cell_w, title_h + rows * cell_h, CAIRO_FORMAT_RGB24);
    cairo_t* cr = sheet.cr();
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 18);
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
    cairo_move_to(cr, 12, 27);
    cairo_show_text(cr, ("Fixed images (" + std::to_string(fixed_assets.size()) +
                            "), icons and backgrounds below " + images_dir)
                            .c_str());
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 11);

    for (size_t i = 0; i < names.size(); ++i) {
        const int x0 = int(i % columns) * cell_w, y0 = title_h + int(i / columns) * cell_h;
        const int area_h = cell_h - caption_h;
        checkerboard(cr, x0 + 4, y0 + 4, cell_w - 8, area_h - 4);
        int frames = 0;
        cairo_surface_t* img = load_webp(root + "/" + images_dir + names[i], frames);
        const int w = cairo_image_surface_get_width(img), h = cairo_image_surface_get_height(img);
        // Tiny images are magnified (pixels kept sharp), big ones shrunk to fit.
        const double scale =
            std::max(w, h) < 32 ? 4 : std::min({1.0, (cell_w - 16.0) / w, (area_h - 8.0) / h});
        cairo_save(cr);
        cairo_translate(cr, x0 + (cell_w - w * scale) / 2, y0 + 2 + (area_h - h * scale) / 2);
        cairo_scale(cr, scale, scale);
        cairo_set_source_surface(cr, img, 0, 0);
        if (scale > 1)
            cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
        cairo_paint(cr);
        cairo_restore(cr);
        cairo_surface_destroy(img);
        std::string caption = names[i] + "  " + std::to_string(w) + "x" + std::to_string(h);
        if (scale > 1)
            caption += " (x4)";
        if (frames > 1)
            caption += ", " + std::to_string(frames) + " frames";
        cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
        cairo_move_to(cr, x0 + 6, y0 + cell_h - 8);
        cairo_show_text(cr, caption.c_str());
    }
    write_png(out_png, sheet);
}

} // namespace assetgen

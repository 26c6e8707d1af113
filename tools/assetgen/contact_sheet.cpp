#include <webp/decode.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "fixed_assets.h"
#include "generate.h"
#include "image.h"

namespace assetgen {
namespace {

constexpr int columns = 4, cell_w = 280, cell_h = 150, caption_h = 24, title_h = 40;

// Decodes a WebP file into a premultiplied Cairo surface (the caller destroys it).
cairo_surface_t* load_webp(const std::string& path) {
  const Bytes data = read_file(path);
  int w = 0, h = 0;
  uint8_t* bgra = WebPDecodeBGRA(data.data(), data.size(), &w, &h);
  if (!bgra) throw std::runtime_error("cannot decode " + path);
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  uint8_t* dst = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = bgra + (size_t(y) * w + x) * 4;
      uint8_t* q = dst + size_t(y) * stride + x * 4;
      for (int c = 0; c < 3; ++c) q[c] = uint8_t((p[c] * p[3] + 127) / 255);
      q[3] = p[3];
    }
  cairo_surface_mark_dirty(s);
  WebPFree(bgra);
  return s;
}

void checkerboard(cairo_t* cr, int x0, int y0, int w, int h) {
  for (int y = 0; y < h; y += 10)
    for (int x = 0; x < w; x += 10) {
      const double v = ((x + y) / 10) % 2 ? 0.78 : 0.95;
      cairo_set_source_rgb(cr, v, v, v);
      cairo_rectangle(cr, x0 + x, y0 + y, std::min(10, w - x), std::min(10, h - y));
      cairo_fill(cr);
    }
}

}  // namespace

void write_contact_sheet(const std::string& root, const std::string& out_png) {
  std::vector<std::string> names;
  for (const FixedAsset& a : fixed_assets) names.push_back(a.path);
  std::vector<std::string> icons;
  const std::filesystem::path icon_dir = root + "/" + images_dir + "icon";
  if (std::filesystem::is_directory(icon_dir))
    for (const auto& entry : std::filesystem::directory_iterator(icon_dir))
      icons.push_back("icon/" + entry.path().filename().string());
  std::sort(icons.begin(), icons.end());
  names.insert(names.end(), icons.begin(), icons.end());

  const int rows = int(names.size() + columns - 1) / columns;
  Canvas sheet(columns * cell_w, title_h + rows * cell_h, CAIRO_FORMAT_RGB24);
  cairo_t* cr = sheet.cr();
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  cairo_set_font_size(cr, 18);
  cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
  cairo_move_to(cr, 12, 27);
  cairo_show_text(cr, ("Fixed images (" + std::to_string(fixed_assets.size()) + ") and icons below " + images_dir).c_str());
  cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, 11);

  for (size_t i = 0; i < names.size(); ++i) {
    const int x0 = int(i % columns) * cell_w, y0 = title_h + int(i / columns) * cell_h;
    const int area_h = cell_h - caption_h;
    checkerboard(cr, x0 + 4, y0 + 4, cell_w - 8, area_h - 4);
    cairo_surface_t* img = load_webp(root + "/" + images_dir + names[i]);
    const int w = cairo_image_surface_get_width(img), h = cairo_image_surface_get_height(img);
    cairo_set_source_surface(cr, img, x0 + (cell_w - w) / 2, y0 + 2 + (area_h - h) / 2);
    cairo_paint(cr);
    cairo_surface_destroy(img);
    const std::string caption = names[i] + "  " + std::to_string(w) + "x" + std::to_string(h);
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
    cairo_move_to(cr, x0 + 6, y0 + cell_h - 8);
    cairo_show_text(cr, caption.c_str());
  }
  write_png(out_png, sheet);
}

}  // namespace assetgen

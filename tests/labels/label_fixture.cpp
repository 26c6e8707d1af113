#include "label_fixture.h"

#include <cairo.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>


namespace labels_test {

Frame frame()
{
    Frame f;
    f.w = kivo_surface_width();
    f.h = kivo_surface_height();
    f.px.resize(std::size_t(f.w) * f.h);
    kivo_get_framebuffer(f.px.data(), f.px.size() * sizeof f.px[0]);
    for (std::uint32_t& p : f.px)
        p &= 0xffffff;
    return f;
}

std::string scan(const Frame& from, int x, int y, int w, int h, int margin)
{
    const int cw = w + 2 * margin, ch = h + 2 * margin;
    cairo_surface_t* png = cairo_image_surface_create(CAIRO_FORMAT_RGB24, cw, ch);
    auto* data = cairo_image_surface_get_data(png);
    const int stride = cairo_image_surface_get_stride(png);
    for (int j = 0; j < ch; ++j) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + std::size_t(j) * stride);
        for (int i = 0; i < cw; ++i) {
            const int fx = x + i - margin, fy = y + j - margin;
            const bool inside = i >= margin && i < margin + w && j >= margin && j < margin + h;
            row[i] = inside && fx >= 0 && fx < from.w && fy >= 0 && fy < from.h ? from.at(fx, fy)
                                                                               : 0xffffff;
        }
    }
    cairo_surface_mark_dirty(png);
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("labels_test_" + std::to_string(getpid()) + ".png"))
                                 .string();
    const cairo_status_t written = cairo_surface_write_to_png(png, path.c_str());
    cairo_surface_destroy(png);
    if (written != CAIRO_STATUS_SUCCESS) {
        ADD_FAILURE() << "cannot write " << path;
        return {};
    }

    std::string out;
    FILE* zbar = popen(("zbarimg -q --raw '" + path + "' 2>/dev/null").c_str(), "r");
    if (!zbar) {
        ADD_FAILURE() << "cannot run zbarimg";
        return {};
    }
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, zbar)) > 0;)
        out.append(buf, n);
    pclose(zbar);
    std::filesystem::remove(path);
    if (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

LabelRecord label(std::uint8_t kind, int x, int y, int w, int h, const char* text)
{
    LabelRecord l;
    std::memset(&l, 0, sizeof l);
    l.x = x;
    l.y = y;
    l.width = w;
    l.height = h;
    l.text = text;
    l.kind = kind;
    return l;
}

ConfigRecord LabelTest::config()
{
    ConfigRecord c;
    std::memset(&c, 0, sizeof c);
    c.font0 = c.font1 = c.font2 = c.font3 = "DejaVu Sans 12";
    return c;
}

void LabelTest::show(const std::vector<LabelRecord>& labels, int offset)
{
    kivo_set_screen(0, nullptr, nullptr, labels.data(), std::uint32_t(labels.size()), 0, 0, 0);
    kivo_set_screen(1, nullptr, nullptr, nullptr, 0, 0, 0, 0);
    kivo_present(offset);
}

}  // namespace labels_test

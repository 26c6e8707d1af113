#include "screens.h"

#include <err.h>
#include <fcntl.h>
#include <linux/fb.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <numbers>

#include "kivo_emu.h"

namespace bench {

namespace {

struct Open {
    int width = 0, height = 0;
    std::uint32_t line_length = 0;
    bool operator==(const Open&) const = default;
} current;

LabelRecord record(std::uint8_t kind, int x, int y, int w, int h, const char* text,
    std::uint16_t style = 0, std::uint8_t font = 0, std::uint8_t align = 0)
{
    LabelRecord r{};
    r.x = x;
    r.y = y;
    r.width = w;
    r.height = h;
    r.r = r.g = r.b = r.a = 255;
    r.text = text;
    r.kind = kind;
    r.style = style;
    r.font = font;
    r.align = align;
    r.id = std::uint32_t(x * 1000 + y);
    return r;
}

kivo::Label label_from(const LabelRecord& r)
{
    kivo::Label l;
    l.x = r.x;
    l.y = r.y;
    l.width = r.width;
    l.height = r.height;
    l.color = {r.r, r.g, r.b, r.a};
    l.text = r.text;
    l.value = r.value;
    l.band_value = r.band_value;
    l.marker_value = r.marker_value;
    l.kind = kivo::LabelKind(r.kind);
    l.align = kivo::LabelAlign(r.align);
    l.font = r.font;
    l.style = r.style;
    l.id = r.id;
    return l;
}

LabelRecord slider_record()
{
    LabelRecord r = record(KIVO_LABEL_SLIDER, 300, 90, 200, 200, "");
    r.r = 90, r.g = 100, r.b = 110;
    r.value = 0.62f;
    r.band_value = 0.8f;
    r.marker_value = 0.7f;
    return r;
}

LabelRecord qr_record()
{
    LabelRecord r = record(KIVO_LABEL_QR, 500, 110, 240, 240, payment_url);
    return r;
}

std::vector<LabelRecord> records(Screen screen)
{
    switch (screen) {
    case Screen::Home:
        return {
            record(KIVO_LABEL_TEXT, 150, 230, 220, 56, "Connector 1 available",
                KIVO_STYLE_AVAILABLE_BUTTON),
            record(KIVO_LABEL_TEXT, 430, 230, 220, 56, "Connector 2 reserved",
                KIVO_STYLE_RESERVED_BUTTON),
            record(KIVO_LABEL_TEXT, 150, 310, 220, 56, "Connector 3 charging",
                KIVO_STYLE_CHARGING_BUTTON),
            record(KIVO_LABEL_TEXT, 430, 310, 220, 56, "Connector 4 faulted",
                KIVO_STYLE_FAULTED_BUTTON),
        };
    case Screen::Charging:
        return {
            slider_record(),
            record(KIVO_LABEL_TEXT, 300, 160, 200, 60, "23.4 kWh", 0, 1),
            record(KIVO_LABEL_TEXT, 40, 320, 240, 40, "Time 00:42:17", 0, 0, KIVO_ALIGN_LEFT),
            record(KIVO_LABEL_TEXT, 40, 370, 240, 40, "Power 48.2 kW", 0, 0, KIVO_ALIGN_LEFT),
            record(KIVO_LABEL_TEXT, 520, 320, 240, 40, "Cost 9.83 EUR", 0, 0, KIVO_ALIGN_RIGHT),
            record(KIVO_LABEL_TEXT, 200, 420, 400, 40, "Charging, tap Back to stop", 0, 2),
        };
    case Screen::Payment:
        return {
            qr_record(),
            record(KIVO_LABEL_TEXT, 40, 110, 420, 60, "Scan to pay", 0, 1, KIVO_ALIGN_LEFT),
            record(KIVO_LABEL_TEXT, 40, 190, 420, 90,
                "Open the link on your phone and confirm the amount", 0, 0, KIVO_ALIGN_LEFT),
            record(KIVO_LABEL_TEXT, 40, 300, 420, 40, "Total <b>9.83 EUR</b>", KIVO_STYLE_MARKUP, 0,
                KIVO_ALIGN_LEFT),
        };
    }
    return {};
}

} // namespace

const char* name(Screen screen)
{
    switch (screen) {
    case Screen::Home:
        return "home";
    case Screen::Charging:
        return "charging";
    case Screen::Payment:
        return "payment";
    }
    return "?";
}

ConfigRecord config()
{
    ConfigRecord c{};
    c.flavour = 0;
    c.font0 = "DejaVu Sans 20";
    c.font1 = "DejaVu Sans Bold 36";
    c.font2 = "DejaVu Sans 14";
    c.font3 = "DejaVu Serif 20";
    c.qr_border = 4;
    c.icon_center_y = 120;
    c.carousel_y = 440;
    c.carousel_spacing = 24;
    c.slider_start_angle = float(0.75 * std::numbers::pi);
    c.slider_sweep_angle = float(1.5 * std::numbers::pi);
    const std::uint8_t value[4] = {46, 204, 113, 255}, band[4] = {52, 152, 219, 255},
                       marker[4] = {231, 76, 60, 255};
    for (int i = 0; i < 4; ++i) {
        c.slider_value_color[i] = value[i];
        c.slider_band_color[i] = band[i];
        c.slider_marker_color[i] = marker[i];
    }
    return c;
}

void init_sdl()
{
    static const bool done = [] {
        kivo_emu_fb_set_refresh(0); // frames cost their drawing and copying, not a panel's wait
        kivo_init_sdl();
        return true;
    }();
    (void)done;
}

void open(int width, int height, std::uint32_t line_length)
{
    init_sdl();
    kivo_emu_fb_force_mode(line_length ? width : 0, height, line_length);
    const ConfigRecord c = config();
    kivo_create_window(width, height, &c);
    current = {width, height, line_length};
}

void ensure(int width, int height, std::uint32_t line_length)
{
    if (!(current == Open{width, height, line_length}))
        open(width, height, line_length);
}

void close()
{
    kivo_destroy_window();
    kivo_emu_fb_force_mode(0, 0, 0);
    current = {};
}

void set(std::uint32_t slot, Screen screen)
{
    const std::vector<LabelRecord> labels = records(screen);
    switch (screen) {
    case Screen::Home:
        kivo_set_screen(slot, "home", "plug", labels.data(), std::uint32_t(labels.size()), 0, 3,
            KIVO_BUTTON_LEFT | KIVO_BUTTON_RIGHT | KIVO_BUTTON_MENU);
        break;
    case Screen::Charging:
        kivo_set_screen(slot, "charging_anim", nullptr, labels.data(), std::uint32_t(labels.size()),
            0, 0, KIVO_BUTTON_BACK);
        break;
    case Screen::Payment:
        kivo_set_screen(slot, "payment", nullptr, labels.data(), std::uint32_t(labels.size()), 0, 0,
            KIVO_BUTTON_BACK | KIVO_BUTTON_OK);
        break;
    }
}

kivo::Label text_label(std::uint32_t style, const char* text)
{
    return label_from(record(KIVO_LABEL_TEXT, 430, 230, 220, 56, text, std::uint16_t(style)));
}

kivo::Label markup_label()
{
    return label_from(record(KIVO_LABEL_TEXT, 40, 300, 420, 40, "Total <b>9.83 EUR</b>",
        KIVO_STYLE_MARKUP, 0, KIVO_ALIGN_LEFT));
}

kivo::Label icon_label()
{
    return label_from(record(KIVO_LABEL_ICON, 40, 40, 120, 120, "car"));
}

kivo::Label qr_label()
{
    return label_from(qr_record());
}

kivo::Label slider_label()
{
    return label_from(slider_record());
}

FbMapping::FbMapping()
{
    fd_ = ::open("/dev/fb0", O_RDWR | O_CLOEXEC);
    if (fd_ == -1)
        err(1, "open");
    fb_fix_screeninfo fixed{};
    fb_var_screeninfo variable{};
    if (ioctl(fd_, FBIOGET_FSCREENINFO, &fixed) == -1 ||
        ioctl(fd_, FBIOGET_VSCREENINFO, &variable) == -1)
        err(1, "ioctl");
    size_ = std::size_t(fixed.line_length) * variable.yres;
    void* mem = mmap(nullptr, size_, PROT_WRITE, MAP_SHARED, fd_, 0);
    if (mem == MAP_FAILED)
        err(1, "mmap");
    mem_ = static_cast<unsigned char*>(mem);
}

FbMapping::~FbMapping()
{
    munmap(mem_, size_);
    ::close(fd_);
}

} // namespace bench

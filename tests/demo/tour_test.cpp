// The demo's scripted tour, replayed headless by kivo-sim: the screens it reaches, in order, and
// what they show (known elements at known places, not whole pictures), the payment QR code as a
// phone would read it, the gauge rising, the animation of the session.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <string>
#include <sys/wait.h>
#include <vector>
#include <webp/demux.h>

#include "support.h"

namespace {

struct Tour {
    int status = -1;
    std::vector<std::string> lines; // the host's standard output
};

const std::string out_dir = "demo-tour";

// Runs the whole tour once for all the tests below (about ten seconds of real time).
const Tour& tour()
{
    static const Tour result = [] {
        Tour t;
        std::system(("rm -rf " + out_dir).c_str());
        const std::string command = std::string(KIVO_SIM) + " --script " + KIVO_TOUR + " --out " +
                                    out_dir + " --webp " + out_dir + "/tour.webp -- " + KIVO_DEMO +
                                    " > demo-tour.out";
        const int status = std::system(command.c_str());
        t.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::ifstream in("demo-tour.out");
        for (std::string line; std::getline(in, line);)
            t.lines.push_back(line);
        return t;
    }();
    return result;
}

using kivo_test::Image;

// The snapshot as written: 800 x 480 (checked by the caller).
Image snapshot(const std::string& name)
{
    return kivo_test::load(out_dir + "/" + name + ".png");
}

bool near(std::uint32_t a, std::uint32_t b, int tolerance)
{
    for (int shift = 0; shift < 24; shift += 8) {
        const int d = static_cast<int>((a >> shift) & 0xff) - static_cast<int>((b >> shift) & 0xff);
        if (std::abs(d) > tolerance)
            return false;
    }
    return true;
}

// Colours of the generated images and of the demo's configuration.
constexpr std::uint32_t home_bg = 0x2d70a0, help_bg = 0x50606f, green_bg = 0x1a7652,
                        payment_bg = 0x533f81, rosk_disc_top = 0x6182ae, rosk_disc = 0x2a5792,
                        arrow = 0x1c496a, available = 0x42b874, reserved = 0xf4a82f,
                        faulted = 0xd65145, charging = 0x478fd8, amber = 0xf5a623, leaf = 0x1e9e57,
                        white = 0xffffff, gauge_value = 0x2ecc71, gauge_band = 0xabc9bc;

struct Element {
    const char* snapshot;
    int x, y;
    std::uint32_t colour;
    const char* what;
};

// Background at (120, 380), the top-right button at (760, 12), Back at (40, 468), Ok at
// (760, 468), the connector's state pill at (305, 275), the Right arrow at (776, 215).
const Element elements[] = {
    {"01-home", 120, 380, home_bg, "home background"},
    {"01-home", 760, 12, rosk_disc_top, "Menu button"},
    {"01-home", 776, 215, arrow, "Right arrow"},
    {"01-home", 305, 275, available, "connector 1 available"},
    {"03-home-reserved", 305, 275, reserved, "connector 2 reserved"},
    {"04-home-faulted", 305, 275, faulted, "connector 3 faulted"},
    {"05-menu", 120, 380, help_bg, "menu background"},
    {"05-menu", 760, 12, rosk_disc_top, "Close button"},
    {"05-menu", 40, 468, rosk_disc, "Back button"},
    {"05-menu", 305, 150, white, "white Help entry"},
    {"06-help", 120, 380, help_bg, "help background"},
    {"06-help", 760, 12, 0x566675, "no top-right button"},
    {"06-help", 40, 468, rosk_disc, "Back button"},
    {"07-mode", 120, 380, green_bg, "mode background"},
    {"07-mode", 182, 262, amber, "bolt of the Fast label"},
    {"07-mode", 442, 262, leaf, "leaf of the Smart label"},
    {"07-mode", 760, 12, rosk_disc_top, "Help button"},
    {"07-mode", 40, 468, rosk_disc, "Back button"},
    {"08-payment", 120, 380, payment_bg, "payment background"},
    {"08-payment", 295, 85, white, "quiet zone of the QR code"},
    {"08-payment", 760, 12, rosk_disc_top, "Fast button"},
    {"08-payment", 760, 468, rosk_disc, "Ok button"},
    {"09-charging", 278, 280, gauge_value, "gauge value at a tenth of the sweep"},
    {"09-charging", 400, 130, gauge_band, "gauge band (target) at half the sweep"},
    {"09-charging", 490, 330, amber, "gauge marker (limit) at the end of the sweep"},
    {"09-charging", 305, 36, charging, "charging pill"},
    {"09-charging", 40, 468, rosk_disc, "Back button"},
    {"11-home-charging", 305, 275, charging, "connector 1 charging"},
    {"11-home-charging", 120, 380, home_bg, "home background"},
};

// Value-coloured points along the gauge's value ring, a fraction of the sweep apart each.
int gauge_points(const Image& s)
{
    int n = 0;
    for (int i = 0; i <= 200; ++i) {
        const double angle = 0.75 * std::numbers::pi + 1.5 * std::numbers::pi * i / 200;
        const int x = static_cast<int>(std::lround(400 + 128 * std::cos(angle)));
        const int y = static_cast<int>(std::lround(240 + 128 * std::sin(angle)));
        n += near(s.rgb(x, y), gauge_value, 24);
    }
    return n;
}

} // namespace

TEST(Tour, HostEndsWithStatusZeroOnQuit)
{
    EXPECT_EQ(tour().status, 0);
}

TEST(Tour, ScreensAndPagesInOrder)
{
    std::vector<std::string> seen;
    for (const std::string& line : tour().lines)
        if (line.rfind("screen: ", 0) == 0 || line.rfind("page: ", 0) == 0 || line == "quit")
            seen.push_back(line);
    const std::vector<std::string> expected = {"screen: home", "page: 2", "page: 3", "page: 2",
        "page: 1", "screen: menu", "screen: help", "screen: menu", "screen: home", "screen: mode",
        "screen: payment", "screen: charging", "screen: home", "screen: menu", "screen: help",
        "screen: menu", "screen: help", "screen: menu", "screen: help", "quit"};
    EXPECT_EQ(seen, expected);
}

TEST(Tour, TapsReachTheHostAsPressesOnTheRightButtons)
{
    std::vector<std::string> presses;
    for (const std::string& line : tour().lines)
        if (line.rfind("press ", 0) == 0)
            presses.push_back(line);
    const std::vector<std::string> expected = {"press button=512 label=0", "press button=0 label=0",
        "press button=256 label=0", "press button=0 label=0", "press button=8 label=0",
        "press button=0 label=41", "press button=2 label=0", "press button=16 label=0",
        "press button=0 label=10", "press button=0 label=21", "press button=1 label=0",
        "press button=2 label=0", "press button=8 label=0", "press button=0 label=43",
        "press button=0 label=41", "press button=2 label=0", "press button=0 label=43",
        "press button=0 label=41", "press button=2 label=0", "press button=0 label=43",
        "press button=0 label=41"};
    EXPECT_EQ(presses, expected);
}

TEST(Tour, SnapshotsShowTheExpectedElements)
{
    tour();
    for (const Element& e : elements) {
        SCOPED_TRACE(std::string(e.snapshot) + ": " + e.what);
        const Image s = snapshot(e.snapshot);
        ASSERT_EQ(std::pair(s.w, s.h), std::pair(800, 480));
        EXPECT_TRUE(near(s.rgb(e.x, e.y), e.colour, 40))
            << "at " << e.x << "," << e.y << ": " << std::hex << s.rgb(e.x, e.y);
    }
}

TEST(Tour, GaugeRises)
{
    tour();
    const Image early = snapshot("09-charging"), later = snapshot("10-charging-later");
    ASSERT_EQ(std::pair(early.w, early.h), std::pair(800, 480));
    ASSERT_EQ(std::pair(later.w, later.h), std::pair(800, 480));
    const int a = gauge_points(early), b = gauge_points(later);
    EXPECT_GE(a, 200 / 10); // at least the starting charge
    EXPECT_GT(b, a + 10);
    EXPECT_LT(b, 200 * 8 / 10 + 3); // never past the target
}

TEST(Tour, PaymentQrCodeScans)
{
    tour();
    if (std::system("command -v zbarimg > /dev/null") != 0)
        GTEST_SKIP() << "zbarimg (zbar-tools) is not installed";
    EXPECT_EQ(kivo_test::zbar(out_dir + "/08-payment.png"),
        "https://pay.example.com/kivo?station=KV-0042&connector=1&mode=fast");
}

TEST(Tour, AnimationCoversTheSession)
{
    tour();
    const std::vector<char> data = kivo_test::read_file(out_dir + "/tour.webp");
    ASSERT_FALSE(data.empty());
    WebPData webp{reinterpret_cast<const uint8_t*>(data.data()), data.size()};
    WebPDemuxer* demux = WebPDemux(&webp);
    ASSERT_NE(demux, nullptr);
    EXPECT_EQ(WebPDemuxGetI(demux, WEBP_FF_CANVAS_WIDTH), 800u);
    EXPECT_EQ(WebPDemuxGetI(demux, WEBP_FF_CANVAS_HEIGHT), 480u);
    EXPECT_TRUE(WebPDemuxGetI(demux, WEBP_FF_FORMAT_FLAGS) & ANIMATION_FLAG);
    // About ten seconds at a frame every 100 ms; identical frames are merged by the encoder.
    EXPECT_GE(WebPDemuxGetI(demux, WEBP_FF_FRAME_COUNT), 20u);
    WebPDemuxDelete(demux);
}

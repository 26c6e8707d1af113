// Bad inputs that no other suite covers, each with the road it takes (docs/bad-input.md): the
// exception and what is kept, the warning and what is drawn, or the end of the process.
#include <climits>
#include <cstdio>
#include <stdexcept>
#include <utility>

#include "capi/state.h"
#include "kivo_emu.h"
#include "reliability.h"

namespace reliability {
namespace {

class BadInput : public Fixture {};

// A null configuration, or a null font in it, throws before the window in place is touched.
TEST_F(BadInput, NullConfigurationThrowsAndKeepsTheWindow)
{
    ConfigRecord no_font = config();
    no_font.font2 = nullptr;
    const std::pair<const ConfigRecord*, const char*> cases[] = {
        {nullptr, "kivo_create_window: null configuration"},
        {&no_font, "basic_string: construction from null is not valid"}};
    open(320, 240);
    for (const auto& [record, message] : cases) {
        EXPECT_EQ(kivo_test::thrown<std::logic_error>(
                      [record = record] { kivo_create_window(640, 480, record); }),
            message);
        EXPECT_EQ(kivo_surface_width(), 320);
        EXPECT_EQ(kivo_emu_open_descriptors(), 3); // framebuffer, touch panel, terminal
        kivo_present(0);
    }
}

// Texts that libqrencode or Pango refuse: the warnings of two frames, and what the library draws
// instead (nothing for a QR code; the text laid out before, or U+FFFD, for a text label), drawn
// here as the reference. Each is said on the first frame only (invalid UTF-8 by Pango, which
// sees it only where the text is laid out).
struct WarningCase {
    const char* name;
    std::vector<LabelRecord> labels, reference;
    const char* warning; // a part of the line written
    int per_frame[2];
};

LabelRecord text(int y, const char* s, std::uint16_t style = 0)
{
    return kivo_test::text(10, y, 300, 40, s, style);
}

TEST_F(BadInput, RefusedTextsWarnAndDrawTheDocumentedFallback)
{
    open(320, 240);
    const std::string black = still_reference(1, 1, 0xff000000);
    const std::string too_long(3000, 'a'); // version 40 at level L holds 2953 bytes
    const auto qr = [](const char* s) {
        return kivo_test::label(KIVO_LABEL_QR, 10, 10, 150, 40, s);
    };
    const WarningCase cases[] = {
        {"empty QR text", {qr("")}, {}, "reliability_test: qrencode: Invalid argument\n", {1, 0}},
        {"QR text beyond version 40", {qr(too_long.c_str())}, {},
            "reliability_test: qrencode: Numerical result out of range\n", {1, 0}},
        {"malformed markup", {text(10, "Plain"), text(60, "<b>Bold", KIVO_STYLE_MARKUP)},
            {text(10, "Plain"), text(60, "Plain")}, "reliability_test: markup: Error on line 1",
            {1, 0}},
        {"invalid UTF-8", {text(10, "A\xff!")}, {text(10, "A\xef\xbf\xbd!")},
            "Invalid UTF-8 string passed to pango_layout_set_text()", {2, 0}}};
    for (const WarningCase& t : cases) {
        SCOPED_TRACE(t.name);
        kivo_test::show(black.c_str(), nullptr, t.reference);
        const std::vector<std::uint32_t> want = frame();
        kivo_test::set(0, black.c_str(), nullptr, t.labels);
        for (const int warnings : t.per_frame) {
            const std::string err = kivo_test::stderr_of([] { kivo_present(0); });
            EXPECT_EQ(kivo_test::occurrences(err, t.warning), warnings) << err;
            EXPECT_EQ(frame(), want);
        }
    }
}

std::string repeated(const std::string& unit, std::size_t times)
{
    std::string s;
    for (std::size_t i = 0; i < times; ++i)
        s += unit;
    return s;
}

// Texts past their bounds are refused when the screen is set, marks past the 30th in a row are
// dropped: what Pango is handed is bounded, whatever the host passes.
TEST_F(BadInput, TextsAreBoundedBeforeLayout)
{
    open(800, 480);
    const std::string acute = "\xcc\x81", joiner = "\xcd\x8f", thirty = repeated(acute, 30);
    const std::string mixed = repeated("abc \xd7\xa9\xd7\x9c\xd7\x95 ", 25000); // 200,000 chars
    const struct {
        const char* name;
        std::string text;
        std::uint16_t style;
        std::string handed; // to Pango
        const char* warning;
    } cases[] = {
        {"at the bound", std::string(16384, 'a'), 0x0002, std::string(16384, 'a'), nullptr},
        {"one byte over", std::string(16385, 'a'), 0x0002, "",
            "text of 16385 bytes, more than the bound of 16384"},
        {"markup at the tag bound", repeated("<b>x</b>", 128), 0x0003, repeated("<b>x</b>", 128),
            nullptr},
        {"one tag over", repeated("<b>x</b>", 128) + "<", 0x0003, "",
            "markup of 257 tags, more than the bound of 256"},
        {"40,000 combining marks", "a" + repeated(acute, 40000), 0, "",
            "text of 80001 bytes, more than the bound of 16384"},
        {"8,000 combining marks", "a" + repeated(acute, 8000), 0, "a" + thirty, nullptr},
        {"runs of 30 kept", repeated("a" + thirty, 2), 0, repeated("a" + thirty, 2), nullptr},
        {"joiners counted as marks", "a" + repeated(thirty + joiner, 100), 0, "a" + thirty,
            nullptr},
        {"200,000 mixed-direction characters", mixed, 0, "",
            "text of 275000 bytes, more than the bound of 16384"},
        {"mixed directions at the bound", mixed.substr(0, 16379), 0, mixed.substr(0, 16379),
            nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const LabelRecord label = kivo_test::text(10, 10, 780, 460, c.text.c_str(), c.style);
        const std::string said =
            kivo_test::stderr_of([&] { kivo_set_screen(0, nullptr, nullptr, &label, 1, 0, 0, 0); });
        EXPECT_EQ(said, c.warning ? std::string("reliability_test: kivo_set_screen: label 0: ") +
                                        c.warning + "\n"
                                  : "");
        const kivo::Label& kept = kivo::state::screens[0].labels[0];
        EXPECT_EQ(kept.text, c.handed);
        EXPECT_EQ(kept.style, c.warning ? 0u : c.style);
        kivo_present(0);
    }
}

// A QR code's quiet zone beyond int, or one the stretch cannot take (21 modules + 2 x 16374 =
// 32769 pixels a side). The terminal is back in text mode after the fatal end.
TEST_F(BadInput, UnusableSizesEndTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string log = ::testing::TempDir() + "kivo-console-log";
    for (const std::int32_t border : {INT_MAX, 16374}) {
        SCOPED_TRACE(border);
        std::remove(log.c_str());
        EXPECT_EXIT(
            {
                kivo_emu_console_set_log(log.c_str());
                ConfigRecord c = config();
                c.qr_border = border;
                kivo_create_window(64, 48, &c);
                const LabelRecord qr = kivo_test::label(KIVO_LABEL_QR, 0, 0, 150, 40, "x");
                kivo_set_screen(0, nullptr, nullptr, &qr, 1, 0, 0, 0);
                kivo_present(0);
                std::exit(0);
            },
            ::testing::ExitedWithCode(1), ": SDL_CreateRGBSurfaceWithFormat: image too large");
        EXPECT_EQ(kivo_test::read_file(log), "graphics\ntext\n");
    }
}

} // namespace
} // namespace reliability

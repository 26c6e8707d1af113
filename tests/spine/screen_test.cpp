#include <cmath>
#include <optional>
#include <stdexcept>
#include <tuple>

#include "capi/state.h"
#include "support.h"

namespace {

using kivo::state::screens;
using kivo_test::thrown;

LabelRecord record(const char* text, std::uint32_t id)
{
    return kivo_test::label(0, 0, 0, 0, 0, text, id);
}

class Screens : public kivo_test::Display {};

} // namespace

TEST_F(Screens, EveryFieldIsCopiedAndTheHostMayFreeItsMemory)
{
    std::string background = "home", icon = "file:///tmp/icon.png", text = "Connector 1";
    std::vector<LabelRecord> records = {{-5, 1 << 30, -1, 40, 1, 2, 3, 4, text.c_str(), 0.25f, NAN,
        -INFINITY, 7, 9, 200, 0xFFFF, 77}};
    kivo_set_screen(
        1, background.c_str(), icon.c_str(), records.data(), 1, 2, 5, 0x0800 | KIVO_BUTTON_OK);
    background.assign("xxxx");
    icon.assign(30, 'y');
    text.assign("zzzzzzzzzzzzzzzzzzzz");
    records.clear();
    records.shrink_to_fit();

    const kivo::ScreenDef& s = screens[1];
    ASSERT_TRUE(s.carousel);
    EXPECT_EQ(std::tuple(s.background, s.icon, s.carousel->current, s.carousel->count, s.buttons),
        std::tuple("home", "file:///tmp/icon.png", 2, 5, 0x0801));
    ASSERT_EQ(s.labels.size(), 1u);
    const kivo::Label& l = s.labels[0];
    EXPECT_EQ(std::tuple(l.x, l.y, l.width, l.height, l.color, l.text, l.value, l.marker_value,
                  int(l.kind), int(l.align), l.font, l.style, l.id),
        std::tuple(-5, 1 << 30, -1, 40, kivo::Color{1, 2, 3, 4}, "Connector 1", 0.25f, -INFINITY, 7,
            9, 200, 0x0000FFFFu, 77u));
    EXPECT_TRUE(std::isnan(l.band_value));
    EXPECT_TRUE(screens[0].labels.empty());
}

// An empty reference is present, a null one absent; the carousel is shown only when its count
// exceeds its current dot, both unsigned.
TEST_F(Screens, ReferencesAndCarouselAreKeptAsGiven)
{
    struct Case {
        const char *background, *icon;
        std::uint32_t current, count;
        bool shown;
    } cases[] = {{"", nullptr, 0, 1, true}, {nullptr, "", 2, 5, true}, {"a", "b", 0, 0, false},
        {nullptr, nullptr, 3, 2, false}, {"", "", 5, 5, false}, {"", "", 0xFFFFFFFF, 5, false},
        {"", "", 0, 0x80000000u, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.current << "/" << c.count);
        kivo_set_screen(0, c.background, c.icon, nullptr, 0, c.current, c.count, 0);
        const kivo::ScreenDef& s = screens[0];
        EXPECT_EQ(
            s.background, c.background ? std::optional<std::string>(c.background) : std::nullopt);
        EXPECT_EQ(s.icon, c.icon ? std::optional<std::string>(c.icon) : std::nullopt);
        ASSERT_EQ(s.carousel.has_value(), c.shown);
        if (c.shown) {
            EXPECT_EQ(static_cast<std::uint32_t>(s.carousel->current), c.current);
            EXPECT_EQ(static_cast<std::uint32_t>(s.carousel->count), c.count);
        }
    }
}

TEST_F(Screens, SlotAboveOneThrowsAndChangesNothing)
{
    const LabelRecord one[] = {record("kept", 1)};
    kivo_set_screen(0, "bg0", nullptr, one, 1, 0, 2, KIVO_BUTTON_BACK);
    kivo_set_screen(1, "bg1", nullptr, nullptr, 0, 0, 0, 0);
    for (std::uint32_t slot : {2u, 3u, 0xFFFFFFFFu})
        EXPECT_EQ(thrown<std::out_of_range>(
                      [&] { kivo_set_screen(slot, "new", "new", nullptr, 0, 0, 0, 0); }),
            "array::at: __n (which is " + std::to_string(slot) + ") >= _Nm (which is 2)");
    EXPECT_EQ(screens[0].background, "bg0");
    EXPECT_EQ(screens[0].labels.size(), 1u);
    EXPECT_EQ(screens[0].buttons, KIVO_BUTTON_BACK);
    EXPECT_EQ(screens[1].background, "bg1");
}

TEST_F(Screens, NullTextStopsPartWayAndLeavesAValidSlot)
{
    const LabelRecord before[] = {record("old0", 1), record("old1", 2), record("old2", 3)};
    kivo_set_screen(0, "old-bg", "old-icon", before, 3, 1, 3, KIVO_BUTTON_OK);

    const LabelRecord bad[] = {record("new0", 10), record(nullptr, 11), record("new2", 12),
        record("new3", 13), record("new4", 14)};
    EXPECT_EQ(thrown<std::logic_error>(
                  [&] { kivo_set_screen(0, "new-bg", nullptr, bad, 5, 0, 1, KIVO_BUTTON_HELP); }),
        "basic_string: construction from null is not valid");
    const kivo::ScreenDef& s = screens[0];
    std::vector<std::pair<std::string, std::uint32_t>> labels;
    for (const kivo::Label& l : s.labels)
        labels.emplace_back(l.text, l.id);
    EXPECT_EQ(labels, (decltype(labels){{"new0", 10}, {"old1", 2}, {"old2", 3}, {"", 0}, {"", 0}}));
    ASSERT_TRUE(s.carousel.has_value());
    EXPECT_EQ(std::tuple(s.background, s.icon.has_value(), s.carousel->current, s.buttons),
        std::tuple("new-bg", false, 1, KIVO_BUTTON_OK));

    EXPECT_THROW(kivo_set_screen(0, "x", nullptr, nullptr, 2, 0, 0, 0), std::logic_error);
    EXPECT_EQ(screens[0].background, "new-bg");
}

TEST_F(Screens, DestroyWindowEmptiesBothSlots)
{
    const LabelRecord one[] = {record("a", 1)};
    kivo_set_screen(0, "a", "b", one, 1, 0, 2, KIVO_BUTTON_OK);
    kivo_set_screen(1, "c", "d", one, 1, 0, 2, KIVO_BUTTON_OK);
    kivo_destroy_window();
    for (const kivo::ScreenDef& s : screens) {
        EXPECT_FALSE(s.background || s.icon || s.carousel);
        EXPECT_TRUE(s.labels.empty());
        EXPECT_EQ(s.buttons, 0);
    }
}

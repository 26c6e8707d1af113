// Slider labels: the arcs found by sampling the frame at points around the gauge's centre.
#include <cmath>
#include <limits>
#include <numbers>

#include "label_fixture.h"
#include "render/slider_geometry.h"

namespace labels_test {
namespace {

constexpr double pi = std::numbers::pi;
constexpr float nan = std::numeric_limits<float>::quiet_NaN();
constexpr float inf = std::numeric_limits<float>::infinity();

// What a pixel shows: nothing, or the colour of one of the four arcs.
enum class Ink { None, Track, Band, Value, Marker, Other };

Ink ink(std::uint32_t p)
{
    const int r = p >> 16 & 0xff, g = p >> 8 & 0xff, b = p & 0xff;
    const auto high = [](int c) { return c >= 100; };
    const auto low = [](int c) { return c < 60; };
    if (r < 40 && g < 40 && b < 40)
        return Ink::None;
    if (low(r) && high(g) && low(b))
        return Ink::Track;
    if (low(r) && low(g) && high(b))
        return Ink::Band;
    if (high(r) && low(g) && low(b))
        return Ink::Value;
    if (high(r) && high(g) && low(b))
        return Ink::Marker;
    return Ink::Other;
}

const char* name(Ink i)
{
    static const char* const names[] = {"none", "track", "band", "value", "marker", "other"};
    return names[static_cast<int>(i)];
}

// A point at a fraction of the sweep (or, with `absolute`, an angle in radians) and a radius.
struct Probe {
    double at;
    double radius;
    Ink want;
    bool absolute = false;
};

struct SliderCase {
    const char* name;
    float start, sweep;
    float value, band, marker;
    int offset;
    std::vector<Probe> probes;
};

constexpr float gauge_start = float(3 * pi / 4);
constexpr float gauge_sweep = float(3 * pi / 2);

// The 200x120 label at (100, 50): R 60, centre (200, 110); track at 51 (50..52), band at 60
// (56..64), value arc and marker at 78 (68..88), all with round ends.
const SliderCase slider_cases[] = {
    {"gauge_radii_and_extents", gauge_start, gauge_sweep, 0.5f, 0.25f, 0.75f, 0,
        {{0.9, 51, Ink::Track}, {0.9, 46, Ink::None}, {0.9, 56, Ink::None}, {1.1, 51, Ink::None},
            {0.1, 58, Ink::Band}, {0.1, 62, Ink::Band}, {0.1, 54, Ink::None}, {0.1, 66, Ink::None},
            {0.4, 60, Ink::None}, {0.1, 70, Ink::Value}, {0.25, 78, Ink::Value},
            {0.1, 86, Ink::Value}, {0.1, 91, Ink::None}, {0.65, 78, Ink::None},
            {0.75, 78, Ink::Marker}, {0.75, 71, Ink::Marker}, {0.75, 92, Ink::None},
            {0.9, 78, Ink::None}}},
    {"marker_over_the_value_arc", gauge_start, gauge_sweep, 0.8f, 0.5f, 0.4f, 0,
        {{0.4, 78, Ink::Marker}, {0.3, 78, Ink::Value}, {0.55, 78, Ink::Value},
            {0.3, 60, Ink::Band}}},
    {"value_0_is_a_dot_at_the_start_and_no_band", gauge_start, gauge_sweep, 0.0f, -1.0f, 1.0f, 0,
        {{0.0, 78, Ink::Value}, {0.1, 78, Ink::None}, {-0.06, 78, Ink::None}, {0.0, 60, Ink::None},
            {0.1, 60, Ink::None}, {1.0, 78, Ink::Marker}, {0.5, 51, Ink::Track}}},
    {"band_0_is_a_dot_at_the_start", gauge_start, gauge_sweep, 0.5f, 0.0f, 1.0f, 0,
        {{0.0, 60, Ink::Band}, {0.05, 60, Ink::None}}},
    {"half_of_a_half_turn_ends_straight_below", 0.0f, float(pi), 0.5f, -1.0f, 1.0f, 0,
        {{pi / 2, 78, Ink::Value, true}, {pi / 2 - 0.2, 78, Ink::Value, true},
            {pi / 2 + 0.09, 78, Ink::Value, true}, {pi / 2 + 0.18, 78, Ink::None, true},
            {0.0, 51, Ink::Track, true}, {pi - 0.05, 51, Ink::Track, true},
            {-pi / 2, 51, Ink::None, true}, {pi, 78, Ink::Marker, true}}},
    {"negative_value_runs_nearly_all_the_way_round", 0.0f, float(pi), -0.2f, -1.0f, 0.25f, 0,
        {{pi, 78, Ink::Value, true}, {3 * pi / 2, 78, Ink::Value, true},
            {2 * pi - 0.9, 78, Ink::Value, true}, {2 * pi - 0.2 * pi / 2, 78, Ink::None, true},
            {pi / 4, 78, Ink::Marker, true}}},
    {"slide_moves_the_gauge_left", gauge_start, gauge_sweep, 0.5f, 0.25f, 0.75f, -50,
        {{0.25, 78, Ink::Value}, {0.75, 78, Ink::Marker}, {0.1, 60, Ink::Band},
            {0.9, 51, Ink::Track}}},
    {"nan_values_leave_their_arcs_out", gauge_start, gauge_sweep, nan, nan, nan, 0,
        {{0.9, 51, Ink::Track}, {0.0, 78, Ink::None}, {0.0, 60, Ink::None}}},
    {"huge_values_draw_full_rings", gauge_start, gauge_sweep, 1e30f, 1e6f, nan, 0,
        {{0.3, 78, Ink::Value}, {1.1, 78, Ink::Value}, {1.2, 60, Ink::Band},
            {0.9, 51, Ink::Track}}},
    {"infinite_values_leave_their_arcs_out", gauge_start, gauge_sweep, inf, inf, -inf, 0,
        {{0.9, 51, Ink::Track}, {0.0, 78, Ink::None}, {0.0, 60, Ink::None}}},
    {"infinite_sweep_draws_nothing", gauge_start, inf, 0.5f, 0.5f, 0.0f, 0, {}},
    {"nan_start_draws_nothing", nan, gauge_sweep, 0.5f, 0.5f, 0.5f, 0, {}}};

TEST_F(LabelTest, SliderArcsLieWhereTheGeometrySaysSo)
{
    for (const SliderCase& c : slider_cases) {
        SCOPED_TRACE(c.name);
        open(800, 480, gauges(c.start, c.sweep, 0xffff0000, 0xff0000ff, 0xffffff00));

        LabelRecord l = label(KIVO_LABEL_SLIDER, 100, 50, 200, 120, "");
        l.r = l.b = 0; // a green track
        l.value = c.value;
        l.band_value = c.band;
        l.marker_value = c.marker;
        show({l}, c.offset);
        const Image f = frame();

        const double cx = 200 + c.offset, cy = 110;
        for (const Probe& p : c.probes) {
            const double angle = p.absolute ? p.at : c.start + c.sweep * p.at;
            const int x = int(std::floor(cx + p.radius * std::cos(angle)));
            const int y = int(std::floor(cy + p.radius * std::sin(angle)));
            const Ink got = ink(f.rgb(x, y));
            EXPECT_EQ(name(got), std::string(name(p.want)))
                << "at " << p.at << (p.absolute ? " rad" : " of the sweep") << ", radius "
                << p.radius << ": pixel (" << x << ", " << y << ") = " << std::hex << f.at(x, y);
        }
        if (c.probes.empty()) {
            EXPECT_TRUE(black(f)) << "nothing drawn at all";
        }
    }
}

// Every pixel a slider draws lies in the square the fast path redraws for it: each case drawn
// alone on the black surface, at its widest (full rings, every arc, round ends at any angle).
TEST_F(LabelTest, SliderInkStaysInItsSquare)
{
    const struct {
        const char* name;
        int width, height;
        float start, sweep, value, band, marker;
    } cases[] = {
        {"gauge", 200, 200, gauge_start, gauge_sweep, 0.62f, 0.8f, 0.7f},
        {"full rings", 200, 120, 0.0f, float(2 * pi), 1e30f, 1e6f, 0.5f},
        {"ends on the diagonals", 161, 161, float(pi / 4), float(pi / 2), 1.0f, 3.0f, 2.0f},
        {"a sweep backwards", 120, 200, 1.0f, -5.0f, 0.7f, 0.3f, 1.0f},
        {"tiny", 1, 1, 0.0f, float(2 * pi), 1.0f, 1.0f, 0.25f},
        {"narrow", 7, 300, 0.0f, float(2 * pi), 1.0f, 1.0f, 0.75f},
        {"radius 9: the track a point", 18, 18, 0.0f, float(2 * pi), 1.0f, 1.0f, 0.0f},
        {"negative width", -60, 100, 0.0f, float(2 * pi), 1.0f, 1.0f, 0.5f},
        {"dots only", 100, 100, 2.0f, 0.0f, 0.5f, 0.5f, 0.5f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        open(800, 480, gauges(c.start, c.sweep, 0xffffffff, 0xffffffff, 0xffffffff));
        LabelRecord l = label(KIVO_LABEL_SLIDER, 300, 150, c.width, c.height, "");
        l.r = l.g = l.b = 255;
        l.value = c.value;
        l.band_value = c.band;
        l.marker_value = c.marker;
        show({l});
        const Image f = frame();

        kivo::Label drawn;
        drawn.x = l.x;
        drawn.y = l.y;
        drawn.width = l.width;
        drawn.height = l.height;
        const kivo::SliderGeometry g(drawn, 0);
        ASSERT_TRUE(g.left() >= 0 && g.top() >= 0 && g.left() + g.side() <= 800 &&
                    g.top() + g.side() <= 480);
        int inked = 0, outside = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 800; ++x) {
                if ((f.at(x, y) & 0xffffff) == 0)
                    continue;
                ++inked;
                if (x < g.left() || y < g.top() || x >= g.left() + g.side() ||
                    y >= g.top() + g.side())
                    ++outside;
            }
        EXPECT_GT(inked, 0);
        EXPECT_EQ(outside, 0);
    }
}

} // namespace
} // namespace labels_test

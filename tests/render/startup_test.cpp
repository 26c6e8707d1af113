// Construction: the 33 fixed images at their natural size, and the fatal end when any is missing.
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "render_fixture.h"

namespace render_test {
namespace {

namespace fs = std::filesystem;

class StartupTest : public RenderTest {};

TEST_F(StartupTest, AnyFlavourLoadsEveryAssetAtItsNaturalSize)
{
    for (std::uint8_t flavour : {0, 1, 2, 3, 255}) {
        SCOPED_TRACE(int(flavour));
        open(320, 240, config(flavour));
        for (std::size_t i = 0; i < kivo::asset_count; ++i) {
            const char* path = kivo::asset_path(kivo::Asset(i));
            const kivo::Surface& s = renderer().asset(kivo::Asset(i));
            ASSERT_TRUE(s) << path;
            EXPECT_EQ(s->format->format, SDL_PIXELFORMAT_ARGB8888);
            Image got(s->w, s->h);
            for (int y = 0; y < s->h; ++y)
                std::memcpy(&got.at(0, y), static_cast<const char*>(s->pixels) + y * s->pitch,
                    std::size_t(s->w) * 4);
            EXPECT_TRUE(same_rgb(got, load(images + path), 0)) << path;
        }
        kivo_destroy_window();
    }
}

// Files removed from a copy of the asset tree (none copied: another working directory misses all
// of them): one warning line per missing file in table order, then the fatal line (a sanitizer
// may report after it).
TEST_F(StartupTest, MissingImagesAreNamedThenTheProcessEnds)
{
    const struct {
        std::vector<std::string> missing;
        std::uint8_t flavour;
        bool copy_tree;
    } cases[] = {
        {{"carousel/tavi/leftEnd.webp"}, 0, true},
        {{"button/rosk/ok.webp", "label/tavi/tallButton.webp", "carousel/rosk/fullDot.webp",
             "carousel/tavi/rightEnd.webp"},
            0, true},
        {{"button/rosk/ok.webp", "label/tavi/tallButton.webp", "carousel/rosk/fullDot.webp",
             "carousel/tavi/rightEnd.webp"},
            2, true},
        {{}, 0, false},
    };
    const fs::path root =
        fs::temp_directory_path() / ("render_test_tree_" + std::to_string(getpid()));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.missing.size());
        fs::remove_all(root);
        fs::create_directories(root / images);
        std::string re = "^";
        if (c.copy_tree) {
            fs::copy(images, root / images, fs::copy_options::recursive);
            for (const std::string& m : c.missing) {
                fs::remove(root / images / m);
                re += "[^\n]*IMG_Load\\(";
                for (char ch : images + m)
                    re += ch == '.' ? std::string("\\.") : std::string(1, ch);
                re += "\\): [^\n]*\n";
            }
        } else {
            re += "([^\n]*IMG_Load\\([^\n]*\n){33}";
        }
        const ConfigRecord cfg = config(c.flavour);
        EXPECT_EXIT(
            {
                if (chdir(root.c_str()) == 0)
                    kivo_create_window(320, 240, &cfg);
                std::exit(0);
            },
            ::testing::ExitedWithCode(1), re + "[^\n]*: essential images missing\n");
    }
    fs::remove_all(root);
}

} // namespace
} // namespace render_test

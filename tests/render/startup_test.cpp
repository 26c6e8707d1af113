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
    EXPECT_STREQ(kivo::asset_path(kivo::Asset::ButtonOk), "button/rosk/ok.webp");
    EXPECT_STREQ(kivo::asset_path(kivo::Asset::LabelBlank), "label/rosk/blankButton.webp");
    EXPECT_STREQ(kivo::asset_path(kivo::Asset::CarouselRightEndTavi), "carousel/tavi/rightEnd.webp");
    for (std::uint8_t flavour : {0, 1, 2, 3, 255}) {
        SCOPED_TRACE(int(flavour));
        open(320, 240, config(flavour));
        const kivo::Renderer& r = renderer();
        EXPECT_EQ(r.delta_ms(), 0);
        EXPECT_EQ(r.cache_size(), 0u);
        EXPECT_TRUE(r.current_screen().labels.empty());
        EXPECT_EQ(r.current_screen().buttons, 0);
        EXPECT_EQ(r.button_at(0, 0), std::nullopt);
        EXPECT_EQ(r.label_at(0, 0), std::nullopt);
        for (std::size_t i = 0; i < kivo::asset_count; ++i) {
            const auto a = kivo::Asset(i);
            const kivo::Surface& s = r.asset(a);
            ASSERT_TRUE(s) << kivo::asset_path(a);
            EXPECT_EQ(s->format->format, SDL_PIXELFORMAT_ARGB8888);
            const Image want = load(images + kivo::asset_path(a));
            Image got(s->w, s->h);
            for (int y = 0; y < s->h; ++y)
                std::memcpy(&got.at(0, y), static_cast<const char*>(s->pixels) + y * s->pitch,
                            std::size_t(s->w) * 4);
            EXPECT_TRUE(same_rgb(got, want, 0)) << kivo::asset_path(a);
        }
        kivo_destroy_window();
    }
}

// A copy of the asset tree without some files, as working directory of a child process.
class MissingAssets : public StartupTest {
protected:
    fs::path root;
    void SetUp() override
    {
        root = fs::temp_directory_path() / ("render_test_tree_" + std::to_string(getpid()));
        fs::create_directories(root / images);
        fs::copy(images, root / images, fs::copy_options::recursive);
    }
    void TearDown() override
    {
        fs::remove_all(root);
        RenderTest::TearDown();
    }
    // One warning line per missing file, in table order, then the fatal line (a sanitizer may
    // report after it).
    static std::string expected(const std::vector<std::string>& missing)
    {
        std::string re = "^";
        for (const std::string& m : missing) {
            re += "[^\n]*IMG_Load\\(";
            for (char ch : images + m)
                re += ch == '.' ? std::string("\\.") : std::string(1, ch);
            re += "\\): [^\n]*\n";
        }
        return re + "[^\n]*: essential images missing\n";
    }
};

TEST_F(MissingAssets, OneMissingImageEndsTheProcess)
{
    fs::remove(root / images / "carousel/tavi/leftEnd.webp");
    const ConfigRecord c = config();
    EXPECT_EXIT(
        {
            if (chdir(root.c_str()) == 0)
                kivo_create_window(320, 240, &c);
            std::exit(0);
        },
        ::testing::ExitedWithCode(1), expected({"carousel/tavi/leftEnd.webp"}));
}

TEST_F(MissingAssets, EveryMissingImageIsNamedBeforeTheEnd)
{
    const std::vector<std::string> missing = {"button/rosk/ok.webp", "label/tavi/tallButton.webp",
                                              "carousel/rosk/fullDot.webp",
                                              "carousel/tavi/rightEnd.webp"};
    for (const std::string& m : missing)
        fs::remove(root / images / m);
    for (std::uint8_t flavour : {0, 2}) {
        const ConfigRecord c = config(flavour);
        EXPECT_EXIT(
            {
                if (chdir(root.c_str()) == 0)
                    kivo_create_window(320, 240, &c);
                std::exit(0);
            },
            ::testing::ExitedWithCode(1), expected(missing));
    }
}

TEST_F(MissingAssets, AnotherWorkingDirectoryMissesAllOfThem)
{
    const ConfigRecord c = config();
    EXPECT_EXIT(
        {
            if (chdir(fs::temp_directory_path().c_str()) == 0)
                kivo_create_window(320, 240, &c);
            std::exit(0);
        },
        ::testing::ExitedWithCode(1), "^([^\n]*IMG_Load\\([^\n]*\n){33}[^\n]*: essential images missing\n");
}

}  // namespace
}  // namespace render_test

// Construction: the fatal end when any of the 33 fixed images is missing.
#include <unistd.h>

#include <filesystem>

#include "render_fixture.h"

namespace render_test {
namespace {

namespace fs = std::filesystem;

class StartupTest : public RenderTest {};

// Files removed from a copy of the asset tree (none copied: another working directory misses all
// of them): one warning line per missing file in table order, then the fatal line (a sanitizer
// may report after it).
TEST_F(StartupTest, MissingImagesAreNamedThenTheProcessEnds)
{
    const struct {
        std::vector<std::string> missing;
        std::uint8_t flavour;
        bool copy_tree;
    } cases[] = {{{"carousel/tavi/leftEnd.webp"}, 0, true},
        {{"button/rosk/ok.webp", "label/tavi/tallButton.webp", "carousel/rosk/fullDot.webp",
             "carousel/tavi/rightEnd.webp"},
            2, true},
        {{}, 0, false}};
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

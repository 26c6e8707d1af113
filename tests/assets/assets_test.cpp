// The generated image tree (run from the build directory): every file it holds decodes, and the
// demo's animated background keeps its frames.

#include <gtest/gtest.h>

#include <filesystem>

#include "kivo/animation.h"
#include "support.h"

namespace {

TEST(Assets, EveryGeneratedImageDecodes)
{
    int count = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(kivo_test::images)) {
        if (!e.is_regular_file())
            continue;
        SCOPED_TRACE(e.path().string());
        const kivo::Animation image(e.path().c_str(), 0, 0);
        ASSERT_FALSE(image.empty());
        if (e.path().filename() == "charging_anim.webp") {
            ASSERT_NE(image.animation(), nullptr);
            EXPECT_EQ(image.animation()->count, 8);
        }
        ++count;
    }
    EXPECT_GE(count, 33);
}

} // namespace

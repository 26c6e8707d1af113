// The demo's scripted tour, replayed headless by kivo-sim (writing its snapshots and the
// session's animation): the host ends with status 0 on Quit, and reaches its screens in order,
// each by a tap on the right button or label. What each screen shows is checked by the library's
// own tests.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <vector>

TEST(Tour, ScreensAndPagesInOrderThenStatusZeroOnQuit)
{
    const std::string out = "demo-tour";
    std::system(("rm -rf " + out).c_str());
    const int status =
        std::system((std::string(KIVO_SIM) + " --script " + KIVO_TOUR + " --out " + out +
                     " --webp " + out + "/tour.webp -- " + KIVO_DEMO + " > demo-tour.out")
                        .c_str());
    std::vector<std::string> seen;
    std::ifstream in("demo-tour.out");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("screen: ", 0) == 0 || line.rfind("page: ", 0) == 0 || line == "quit")
            seen.push_back(line);
    const std::vector<std::string> expected = {"screen: home", "page: 2", "page: 3", "page: 2",
        "page: 1", "screen: menu", "screen: help", "screen: menu", "screen: home", "screen: mode",
        "screen: payment", "screen: charging", "screen: home", "screen: menu", "screen: help",
        "screen: menu", "screen: help", "screen: menu", "screen: help", "quit"};
    EXPECT_EQ(seen, expected);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

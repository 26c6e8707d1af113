// The demo's scripted tour, replayed headless by kivo-sim (writing its snapshots and the
// session's animation): the screens it reaches, in order, each reached by a tap on the right
// button or label. What each screen shows is checked by the library's own tests.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <vector>

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

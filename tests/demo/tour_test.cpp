// The demo's scripted tour, replayed headless by kivo-sim: the screens it reaches, in order, the
// taps as the host sees them, the payment QR code as a phone would read it, and the animation of
// the session. What each screen shows is checked by the library's own tests.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
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

TEST(Tour, PaymentQrCodeScans)
{
    tour();
    if (std::system("command -v zbarimg > /dev/null") != 0)
        GTEST_SKIP() << "zbarimg (zbar-tools) is not installed";
    EXPECT_EQ(kivo_test::zbar(out_dir + "/08-payment.png"),
        "https://pay.example.com/kivo?station=KV-0042&connector=1&mode=fast");
}

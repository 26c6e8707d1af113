// kivo-sim's exit status is the host's own; a broken script stops it before the host starts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int run(const std::string& command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string write_script(const std::string& name, const std::string& text)
{
    const std::string path = "sim-status-" + name + ".txt";
    std::ofstream(path) << text;
    return path;
}

struct Case {
    const char* host; // shell command run as the host
    int status;
};

// Hosts that end before showing a display: the simulator must not wait for one.
const Case cases[] = {
    {"exit 0", 0},
    {"exit 3", 3},
    {"exit 255", 255},
    {"kill -KILL $$", 128 + 9},
    {"kill -TERM $$", 128 + 15},
};

} // namespace

TEST(SimulatorStatus, ForwardsTheHostsExitStatus)
{
    const std::string script = write_script("wait", "wait 10\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.host);
        EXPECT_EQ(run(std::string(KIVO_SIM) + " --script " + script + " --out . -- sh -c '" +
                      c.host + "'"),
            c.status);
    }
}

TEST(SimulatorStatus, MissingProgramIs127)
{
    const std::string script = write_script("wait", "wait 10\n");
    EXPECT_EQ(
        run(std::string(KIVO_SIM) + " --script " + script + " -- ./no-such-host 2>/dev/null"), 127);
}

TEST(SimulatorStatus, BrokenScriptStopsBeforeTheHostStarts)
{
    const std::string script = write_script("broken", "wait 10\ntap 1\n");
    const std::string marker = "sim-status-started";
    unlink(marker.c_str());
    EXPECT_EQ(
        run(std::string(KIVO_SIM) + " --script " + script + " -- touch " + marker + " 2>/dev/null"),
        2);
    EXPECT_NE(access(marker.c_str(), F_OK), 0);
    EXPECT_EQ(run(std::string(KIVO_SIM) + " --script no-such-script.txt -- true 2>/dev/null"), 2);
}

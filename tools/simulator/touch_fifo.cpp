#include "touch_fifo.h"

#include "touch_records.h"

#include <cerrno>
#include <err.h>
#include <fcntl.h>
#include <unistd.h>

namespace kivo_sim {

TouchFifo::TouchFifo(std::string path) : path_(std::move(path))
{
}

TouchFifo::~TouchFifo()
{
    if (fd_ >= 0)
        close(fd_);
}

bool TouchFifo::ready()
{
    if (fd_ < 0)
        fd_ = open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC); // ENXIO while no reader
    return fd_ >= 0;
}

void TouchFifo::send(int x, int y, int pressure)
{
    if (!ready()) {
        warnx("touch at %d,%d dropped: the host has not opened its panel", x, y);
        return;
    }
    input_event records[kivo_emu::max_sample_records];
    const int n = kivo_emu::sample_records(records, x, y, static_cast<unsigned>(pressure));
    const auto bytes = static_cast<ssize_t>(sizeof records[0] * static_cast<size_t>(n));
    // Smaller than PIPE_BUF: written whole or not at all.
    if (write(fd_, records, static_cast<size_t>(bytes)) != bytes)
        warn("touch at %d,%d dropped", x, y);
}

} // namespace kivo_sim

// kivo-emu-touch FIFO [X Y PRESSURE]...: writes touch samples into the FIFO that an emulated
// process reads as /dev/input/event0 (KIVO_EMU_TOUCH_FIFO). Without samples on the command line it
// reads "X Y PRESSURE" lines from standard input and sends each as soon as it is read. Opening the
// FIFO waits until the emulated process has opened the panel.
#include "touch_records.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <err.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool parse_int(const char* text, long min, long max, long& value)
{
    char* end = nullptr;
    errno = 0;
    value = strtol(text, &end, 10);
    return *text && !*end && errno == 0 && value >= min && value <= max;
}

void send(int fd, long x, long y, long pressure)
{
    input_event records[kivo_emu::max_sample_records];
    int n = kivo_emu::sample_records(
        records, static_cast<int>(x), static_cast<int>(y), static_cast<unsigned>(pressure));
    auto bytes = static_cast<ssize_t>(sizeof records[0] * static_cast<size_t>(n));
    if (write(fd, records, static_cast<size_t>(bytes)) != bytes)
        err(1, "write");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || (argc - 2) % 3 != 0)
        errx(2, "usage: kivo-emu-touch FIFO [X Y PRESSURE]...");
    if (mkfifo(argv[1], 0600) != 0 && errno != EEXIST)
        err(1, "mkfifo %s", argv[1]);
    int fd = open(argv[1], O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        err(1, "open %s", argv[1]);
    constexpr long limit = 1L << 30;
    for (int i = 2; i < argc; i += 3) {
        long x, y, p;
        if (!parse_int(argv[i], -limit, limit, x) || !parse_int(argv[i + 1], -limit, limit, y) ||
            !parse_int(argv[i + 2], 0, limit, p))
            errx(2, "not a sample: %s %s %s", argv[i], argv[i + 1], argv[i + 2]);
        send(fd, x, y, p);
    }
    if (argc == 2) {
        long x, y, p;
        while (scanf("%ld %ld %ld", &x, &y, &p) == 3) {
            if (p < 0)
                errx(2, "negative pressure %ld", p);
            send(fd, x, y, p);
        }
    }
    if (close(fd) != 0)
        err(1, "close");
    return 0;
}

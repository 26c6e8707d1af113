#include "touch_panel.h"

#include "descriptors.h"
#include "exports.h"
#include "next_libc.h"
#include "touch_records.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <err.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kivo_emu::touch_panel {

namespace {

constexpr const char* name = "kivo-emu touch panel";
constexpr int pipe_capacity = 1 << 20;

bool ready;
bool absent;
const char* fifo;            // KIVO_EMU_TOUCH_FIFO, or null for in-process pipes
const char* unplugged_while; // KIVO_EMU_TOUCH_UNPLUGGED, or null
int fifo_writer = -1;        // keeps the FIFO from reading as end-of-file
int abs_value[ABS_CNT];
bool touch_down;

int fail(int error)
{
    errno = error;
    return -1;
}

void ensure_ready()
{
    if (ready)
        return;
    ready = true;
    const char* path = getenv("KIVO_EMU_TOUCH_FIFO");
    fifo = path && *path ? path : nullptr;
    const char* marker = getenv("KIVO_EMU_TOUCH_UNPLUGGED");
    unplugged_while = marker && *marker ? marker : nullptr;
}

int open_fifo(int flags)
{
    if (mkfifo(fifo, 0600) != 0 && errno != EEXIST)
        return -1;
    int fd = sys_openat(AT_FDCWD, fifo, O_RDONLY | O_NONBLOCK | (flags & O_CLOEXEC), 0);
    if (fd < 0)
        return -1;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISFIFO(st.st_mode)) {
        sys_close(fd);
        warnx("kivo-emu: KIVO_EMU_TOUCH_FIFO=%s is not a FIFO", fifo);
        return fail(ENODEV);
    }
    if (fifo_writer < 0)
        fifo_writer = sys_openat(AT_FDCWD, fifo, O_WRONLY | O_NONBLOCK | O_CLOEXEC, 0);
    if (!(flags & O_NONBLOCK))
        fcntl(fd, F_SETFL, 0);
    return fd;
}

void note(const input_event& ev)
{
    if (ev.type == EV_ABS && ev.code < ABS_CNT)
        abs_value[ev.code] = ev.value;
    else if (ev.type == EV_KEY && ev.code == BTN_TOUCH)
        touch_down = ev.value != 0;
}

// Hands the records to every open panel, the way evdev gives each client its own copy; a panel
// whose queue is full loses them. Nothing is queued while no panel is open.
void deliver(const input_event* records, int n)
{
    for (int i = 0; i < n; ++i)
        note(records[i]);
    size_t bytes = sizeof *records * static_cast<size_t>(n);
    bool open_panel = false;
    descriptors::for_each(Device::touch, [&](int, int peer) {
        open_panel = true;
        if (peer >= 0 && write(peer, records, bytes) < 0)
            warn("kivo-emu: touch sample dropped");
    });
    if (open_panel && fifo && fifo_writer >= 0 && write(fifo_writer, records, bytes) < 0)
        warn("kivo-emu: touch sample dropped");
}

// Copies a bitmap of maxbit + 1 bits the way evdev does: as many bytes as the caller's buffer
// and the bitmap's whole longs allow; returns that count.
int copy_bits(void* arg, unsigned size, const unsigned long* bits, unsigned maxbit)
{
    unsigned bytes = (maxbit / (8 * sizeof(long)) + 1) * sizeof(long);
    if (bytes > size)
        bytes = size;
    std::memcpy(arg, bits, bytes);
    return static_cast<int>(bytes);
}

template <unsigned Count> struct Bits {
    unsigned long words[(Count + 8 * sizeof(long) - 1) / (8 * sizeof(long))] = {};
    void set(unsigned bit) { words[bit / (8 * sizeof(long))] |= 1ul << (bit % (8 * sizeof(long))); }
};

int event_bits(unsigned type, void* arg, unsigned size)
{
    switch (type) {
    case 0: {
        Bits<EV_CNT> b;
        b.set(EV_SYN);
        b.set(EV_KEY);
        b.set(EV_ABS);
        return copy_bits(arg, size, b.words, EV_MAX);
    }
    case EV_KEY: {
        Bits<KEY_CNT> b;
        b.set(BTN_TOUCH);
        return copy_bits(arg, size, b.words, KEY_MAX);
    }
    case EV_ABS: {
        Bits<ABS_CNT> b;
        b.set(ABS_X);
        b.set(ABS_Y);
        b.set(ABS_PRESSURE);
        return copy_bits(arg, size, b.words, ABS_MAX);
    }
    case EV_REL:
        return copy_bits(arg, size, Bits<REL_CNT>{}.words, REL_MAX);
    case EV_MSC:
        return copy_bits(arg, size, Bits<MSC_CNT>{}.words, MSC_MAX);
    case EV_LED:
        return copy_bits(arg, size, Bits<LED_CNT>{}.words, LED_MAX);
    case EV_SND:
        return copy_bits(arg, size, Bits<SND_CNT>{}.words, SND_MAX);
    case EV_FF:
        return copy_bits(arg, size, Bits<FF_CNT>{}.words, FF_MAX);
    case EV_SW:
        return copy_bits(arg, size, Bits<SW_CNT>{}.words, SW_MAX);
    default:
        return fail(EINVAL);
    }
}

input_absinfo axis(unsigned code)
{
    input_absinfo info{};
    int xres = 0, yres = 0;
    kivo_emu_fb_mode(&xres, &yres, nullptr);
    info.value = abs_value[code];
    if (code == ABS_X)
        info.maximum = xres - 1;
    else if (code == ABS_Y)
        info.maximum = yres - 1;
    else if (code == ABS_PRESSURE)
        info.maximum = 255;
    return info;
}

// Requests whose size is part of the request number (names, bitmaps, axis ranges).
int sized_request(unsigned nr, unsigned size, void* arg)
{
    if (nr == _IOC_NR(EVIOCGNAME(0))) {
        unsigned bytes = static_cast<unsigned>(std::strlen(name)) + 1;
        bytes = bytes < size ? bytes : size;
        std::memcpy(arg, name, bytes);
        return static_cast<int>(bytes);
    }
    if (nr == _IOC_NR(EVIOCGPHYS(0)) || nr == _IOC_NR(EVIOCGUNIQ(0)))
        return fail(ENOENT);
    if (nr == _IOC_NR(EVIOCGPROP(0))) {
        Bits<INPUT_PROP_CNT> b;
        b.set(INPUT_PROP_DIRECT);
        return copy_bits(arg, size, b.words, INPUT_PROP_MAX);
    }
    if (nr == _IOC_NR(EVIOCGKEY(0))) {
        Bits<KEY_CNT> b;
        if (touch_down)
            b.set(BTN_TOUCH);
        return copy_bits(arg, size, b.words, KEY_MAX);
    }
    if (nr == _IOC_NR(EVIOCGLED(0)))
        return copy_bits(arg, size, Bits<LED_CNT>{}.words, LED_MAX);
    if (nr == _IOC_NR(EVIOCGSND(0)))
        return copy_bits(arg, size, Bits<SND_CNT>{}.words, SND_MAX);
    if (nr == _IOC_NR(EVIOCGSW(0)))
        return copy_bits(arg, size, Bits<SW_CNT>{}.words, SW_MAX);
    if (nr >= _IOC_NR(EVIOCGBIT(0, 0)) && nr <= _IOC_NR(EVIOCGBIT(EV_MAX, 0)))
        return event_bits(nr - _IOC_NR(EVIOCGBIT(0, 0)), arg, size);
    if (nr >= _IOC_NR(EVIOCGABS(0)) && nr <= _IOC_NR(EVIOCGABS(ABS_MAX))) {
        input_absinfo info = axis(nr - _IOC_NR(EVIOCGABS(0)));
        std::memcpy(arg, &info, size < sizeof info ? size : sizeof info);
        return 0;
    }
    return fail(EINVAL);
}

} // namespace

bool marker_exists()
{
    struct stat st;
    return stat(unplugged_while, &st) == 0;
}

void before_read(int fd)
{
    ensure_ready();
    if (unplugged_while && descriptors::find(fd) == Device::touch && marker_exists())
        kivo_emu_touch_unplug();
}

int open(int flags)
{
    ensure_ready();
    if (unplugged_while)
        absent = marker_exists();
    if (absent)
        return fail(ENOENT);
    int reader = -1, writer = -1;
    if (fifo) {
        reader = open_fifo(flags);
        if (reader < 0)
            return -1;
    } else {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) != 0)
            return -1;
        reader = ends[0];
        writer = ends[1];
        fcntl(writer, F_SETFL, O_NONBLOCK);
        fcntl(writer, F_SETPIPE_SZ, pipe_capacity);
        if (flags & O_NONBLOCK)
            fcntl(reader, F_SETFL, O_NONBLOCK);
        if (!(flags & O_CLOEXEC))
            fcntl(reader, F_SETFD, 0);
    }
    if (!descriptors::add(reader, Device::touch, writer)) {
        sys_close(reader);
        if (writer >= 0)
            sys_close(writer);
        return fail(EMFILE);
    }
    return reader;
}

int ioctl(int, unsigned long request, void* arg)
{
    if (_IOC_TYPE(request) != 'E')
        return fail(EINVAL);
    if (!arg && request != EVIOCGRAB)
        return fail(EFAULT);
    switch (request) {
    case EVIOCGVERSION:
        *static_cast<int*>(arg) = EV_VERSION;
        return 0;
    case EVIOCGID: {
        input_id id{};
        id.bustype = BUS_VIRTUAL;
        id.version = 1;
        std::memcpy(arg, &id, sizeof id);
        return 0;
    }
    case EVIOCGRAB:
    case EVIOCSCLOCKID:
        return 0;
    default:
        break;
    }
    if (_IOC_DIR(request) == _IOC_READ)
        return sized_request(_IOC_NR(request), _IOC_SIZE(request), arg);
    return fail(EINVAL);
}

void reset()
{
    ensure_ready();
    absent = false;
    touch_down = false;
    std::memset(abs_value, 0, sizeof abs_value);
}

} // namespace kivo_emu::touch_panel

using namespace kivo_emu;

void kivo_emu_touch_set_present(int present)
{
    touch_panel::absent = !present;
}

void kivo_emu_touch_unplug(void)
{
    touch_panel::ensure_ready();
    touch_panel::absent = true;
    touch_panel::touch_down = false;
    descriptors::mark_gone(Device::touch);
}

void kivo_emu_touch_plug(void)
{
    touch_panel::absent = false;
}

void kivo_emu_touch_inject(int x, int y, unsigned pressure)
{
    touch_panel::ensure_ready();
    input_event records[max_sample_records];
    touch_panel::deliver(records, sample_records(records, x, y, pressure));
}

void kivo_emu_touch_event(uint16_t type, uint16_t code, int32_t value)
{
    touch_panel::ensure_ready();
    timeval tv{};
    gettimeofday(&tv, nullptr);
    input_event record = touch_record(tv, type, code, value);
    touch_panel::deliver(&record, 1);
}

// The descriptors the emulator handed out for its devices.
#ifndef KIVO_EMU_DESCRIPTORS_H
#define KIVO_EMU_DESCRIPTORS_H

namespace kivo_emu {

enum class Device { none, framebuffer, touch, console, pseudo_terminal };

namespace descriptors {

// Records fd as a descriptor of device. peer is a descriptor the emulator closes together with fd
// (the write end of a touch pipe), or -1. Returns false when the table is full.
bool add(int fd, Device device, int peer);
// The device fd belongs to. A descriptor closed or replaced behind the emulator's back (dup2,
// close_range) is recognised by its changed file identity and forgotten.
Device find(int fd);
// Forgets fd and returns its peer (or -1).
int remove(int fd);
// Marks every descriptor of device as belonging to a device that went away (see gone).
void mark_gone(Device device);
// Whether fd is a descriptor of a device that went away (reads fail with ENODEV). Cheap: no
// system call unless it is.
bool gone(int fd);
// Descriptors open now, leaving out those opened before the last forget_counts.
int count();
void forget_counts();
// Calls visit(fd, peer) for every descriptor of device.
template <typename Visit> void for_each(Device device, Visit visit);

struct Entry {
    int fd;
    Device device;
    int peer;
    unsigned long long dev;
    unsigned long long ino;
    bool counted;
    bool gone;
};
constexpr int capacity = 64;
extern Entry table[capacity];

template <typename Visit> void for_each(Device device, Visit visit)
{
    for (int i = 0; i < capacity; ++i) {
        if (table[i].device == device && find(table[i].fd) == device)
            visit(table[i].fd, table[i].peer);
    }
}

} // namespace descriptors
} // namespace kivo_emu

#endif

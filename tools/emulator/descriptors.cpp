#include "descriptors.h"

#include "next_libc.h"

#include <sys/stat.h>

namespace kivo_emu::descriptors {

Entry table[capacity];

namespace {

int live;

bool identity(int fd, unsigned long long& dev, unsigned long long& ino)
{
    struct stat st;
    if (fstat(fd, &st) != 0)
        return false;
    dev = st.st_dev;
    ino = st.st_ino;
    return true;
}

Entry* slot_of(int fd)
{
    if (live == 0 || fd < 0)
        return nullptr;
    for (auto& e : table) {
        if (e.device != Device::none && e.fd == fd)
            return &e;
    }
    return nullptr;
}

void drop(Entry& e)
{
    if (e.peer >= 0)
        sys_close(e.peer);
    e = Entry{};
    --live;
}

} // namespace

bool add(int fd, Device device, int peer)
{
    if (Entry* stale = slot_of(fd))
        drop(*stale);
    for (auto& e : table) {
        if (e.device == Device::none) {
            e = Entry{fd, device, peer, 0, 0, true, false};
            identity(fd, e.dev, e.ino);
            ++live;
            return true;
        }
    }
    return false;
}

Device find(int fd)
{
    Entry* e = slot_of(fd);
    if (!e)
        return Device::none;
    unsigned long long dev = 0, ino = 0;
    if (!identity(fd, dev, ino) || dev != e->dev || ino != e->ino) {
        drop(*e);
        return Device::none;
    }
    return e->device;
}

int remove(int fd)
{
    Entry* e = slot_of(fd);
    if (!e)
        return -1;
    int peer = e->peer;
    *e = Entry{};
    --live;
    return peer;
}

void mark_gone(Device device)
{
    for (auto& e : table) {
        if (e.device != device || find(e.fd) != device)
            continue;
        e.gone = true;
        // Its writer closed, the descriptor reads as hung up in poll, as evdev's does.
        if (e.peer >= 0)
            sys_close(e.peer);
        e.peer = -1;
    }
}

bool gone(int fd)
{
    Entry* e = slot_of(fd);
    return e && e->gone && find(fd) != Device::none;
}

int count()
{
    int n = 0;
    for (auto& e : table) {
        if (e.device != Device::none && find(e.fd) != Device::none)
            n += e.counted;
    }
    return n;
}

void forget_counts()
{
    for (auto& e : table)
        e.counted = false;
}

} // namespace kivo_emu::descriptors

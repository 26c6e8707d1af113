// The memory behind the emulated framebuffer: a memfd, or a regular file that another program can
// map (its mode is then published next to it in "<file>.mode").
#ifndef KIVO_EMU_FB_MEMORY_H
#define KIVO_EMU_FB_MEMORY_H

#include <cstddef>
#include <cstdint>

namespace kivo_emu::fb_memory {

// Creates the memory on first use; file null means a memfd. Ends the process when that fails.
void create(const char* file);
// Sets the size to line_length x yres and publishes the mode.
void resize(int xres, int yres, uint32_t line_length, const char* layout);
size_t size();
// A new descriptor on the memory, as a fresh open of the device would give (own file status
// flags); flags carries the access mode and O_CLOEXEC. -1 with errno on failure.
int open_descriptor(int flags);
// The emulator's own read-only view of the current memory; remapped after a size change.
const uint8_t* view();

} // namespace kivo_emu::fb_memory

#endif

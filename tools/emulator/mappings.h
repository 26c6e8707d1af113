// Address ranges of the framebuffer mappings the program holds now.
#ifndef KIVO_EMU_MAPPINGS_H
#define KIVO_EMU_MAPPINGS_H

#include <cstddef>

namespace kivo_emu::mappings {

void add(void* addr, size_t length);
// The range is no longer mapped (munmap, or replaced by a MAP_FIXED mapping); whatever is left
// of a partly covered mapping stays alive.
void forget(void* addr, size_t length);
// Mappings alive now, leaving out those made before the last forget_counts.
int count();
void forget_counts();

} // namespace kivo_emu::mappings

#endif

// The emulator's control functions are the library's public symbols, besides the libc entry
// points it interposes.
#ifndef KIVO_EMU_EXPORTS_H
#define KIVO_EMU_EXPORTS_H

#pragma GCC visibility push(default)
#include "kivo_emu.h"
#pragma GCC visibility pop

#define KIVO_EMU_INTERPOSE extern "C" __attribute__((visibility("default")))

#endif

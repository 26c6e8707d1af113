// kivo::Console: the terminal kept in graphics mode while a window is open.
#pragma once

namespace kivo {

// Puts the controlling terminal (or /dev/tty0 when the process has none, as under a service
// manager) in graphics mode (KDSETMODE, KD_GRAPHICS), so that the kernel's text console (its
// messages, the cursor) does not paint over the frame; text mode comes back when it is destroyed
// and at the process's exit while it lives (the fatal road included). A terminal that cannot be
// opened or refuses the request is left alone without a word. One at a time.
class Console {
  public:
    Console();
    ~Console();
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;
};

} // namespace kivo

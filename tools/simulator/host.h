// The host program under the device emulator: its working files, its process and its end.
#ifndef KIVO_SIM_HOST_H
#define KIVO_SIM_HOST_H

#include <string>
#include <sys/types.h>
#include <vector>

namespace kivo_sim {

struct HostSetup {
    std::vector<std::string> argv; // the program and its arguments
    std::string dir;               // working files go here; empty: a temporary directory
    std::string mode;              // KIVO_EMU_FB_MODE, empty for the emulator's default
    std::string format;            // KIVO_EMU_FB_FORMAT, likewise
    std::string emulator;          // libkivo-emu.so
    std::string ts_conf;           // tslib configuration for the emulated panel
};

class Host {
  public:
    // Creates the working files (the framebuffer file and the touch FIFO) and starts the
    // program with LD_PRELOAD, TSLIB_CONFFILE, KIVO_EMU_FB_FILE and KIVO_EMU_TOUCH_FIFO set.
    // Fatal (exit 1) when the directory, the FIFO or the process cannot be made.
    explicit Host(const HostSetup& setup);
    // Ends a host still running (SIGTERM, SIGKILL after a grace period) and removes a temporary
    // directory.
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    const std::string& fb_file() const { return fb_file_; }
    const std::string& touch_fifo() const { return touch_fifo_; }

    // True while the process runs; collects its status once it has ended.
    bool running();
    // Sends SIGTERM (a kivo host sees it as a Quit event).
    void terminate();
    // Waits up to timeout_ms (< 0: for ever) for the end (SIGKILL after that) and returns the exit
    // status as a shell reports it: the program's own, or 128 + the signal that ended it.
    int wait(int timeout_ms);

  private:
    std::string dir_;
    bool temporary_ = false;
    std::string fb_file_;
    std::string touch_fifo_;
    pid_t pid_ = -1;
    int status_ = -1;
};

} // namespace kivo_sim

#endif

// The finger: touch samples written into the emulated panel's FIFO.
#ifndef KIVO_SIM_TOUCH_FIFO_H
#define KIVO_SIM_TOUCH_FIFO_H

#include <string>

namespace kivo_sim {

class TouchFifo {
  public:
    explicit TouchFifo(std::string path);
    ~TouchFifo();
    TouchFifo(const TouchFifo&) = delete;
    TouchFifo& operator=(const TouchFifo&) = delete;

    // True once the host has opened its panel (the FIFO has a reader); tries again each call.
    bool ready();
    // One sample: ABS_X, ABS_Y, ABS_PRESSURE, BTN_TOUCH 1 when pressure > 0, SYN_REPORT.
    // Pressure 0 is the lift-off. Dropped with a warning when the panel is not open or full.
    void send(int x, int y, int pressure);

  private:
    std::string path_;
    int fd_ = -1;
};

} // namespace kivo_sim

#endif

// An animated WebP of a session, one frame at a time.
#ifndef KIVO_SIM_WEBP_RECORDER_H
#define KIVO_SIM_WEBP_RECORDER_H

#include <string>

#include <webp/encode.h>
#include <webp/mux.h>

#include "framebuffer_file.h"

namespace kivo_sim {

class WebpRecorder {
  public:
    explicit WebpRecorder(std::string path);
    ~WebpRecorder();
    WebpRecorder(const WebpRecorder&) = delete;
    WebpRecorder& operator=(const WebpRecorder&) = delete;

    // Adds frame, shown from time_ms on. Frames of another size than the first are skipped.
    void add(const Frame& frame, int time_ms);
    // Ends the animation at time_ms and writes the file; false (with a warning) on failure.
    bool finish(int time_ms);

  private:
    std::string path_;
    WebPAnimEncoder* encoder_ = nullptr;
    WebPConfig config_{};
    int width_ = 0, height_ = 0;
    int frames_ = 0;
};

} // namespace kivo_sim

#endif

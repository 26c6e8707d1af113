#include "headless.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <err.h>
#include <memory>
#include <thread>

#include "framebuffer_file.h"
#include "touch_fifo.h"
#include "webp_recorder.h"

namespace kivo_sim {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int startup_limit_ms = 30000;
constexpr int quit_grace_ms = 5000;

class Session {
  public:
    Session(Host& host, const HeadlessOptions& options)
        : host_(host), options_(options), display_(host.fb_file()), finger_(host.touch_fifo())
    {
        if (!options.webp.empty())
            recorder_ = std::make_unique<WebpRecorder>(options.webp);
    }

    // Until the host shows a display and has opened its panel; false when it ended first.
    bool start()
    {
        const auto limit = Clock::now() + std::chrono::milliseconds(startup_limit_ms);
        while (!(finger_.ready() && display_.read(frame_))) {
            if (!host_.running())
                return false;
            if (Clock::now() > limit) {
                warnx("the host has shown no display after %d ms", startup_limit_ms);
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        start_ = Clock::now();
        next_frame_ms_ = 0;
        return true;
    }

    // Lets ms pass, recording frames on the way; false once the host has ended.
    bool pause(int ms)
    {
        const auto end = Clock::now() + std::chrono::milliseconds(ms);
        do {
            if (!host_.running())
                return false;
            if (recorder_ && elapsed_ms() >= next_frame_ms_) {
                if (display_.read(frame_))
                    recorder_->add(frame_, next_frame_ms_);
                next_frame_ms_ += options_.frame_ms;
            }
            const auto now = Clock::now();
            if (now >= end)
                break;
            std::this_thread::sleep_for(
                std::min<Clock::duration>(end - now, std::chrono::milliseconds(5)));
        } while (Clock::now() < end);
        return host_.running();
    }

    // Runs one command; false once the host has ended.
    bool run(const Command& c)
    {
        switch (c.kind) {
        case Command::Wait:
            return pause(c.ms);
        case Command::Tap:
            touch(c.x1, c.y1, default_pressure);
            if (!pause(tap_hold_ms))
                return false;
            touch(c.x1, c.y1, 0);
            return pause(0);
        case Command::Press:
            touch(c.x1, c.y1, c.pressure);
            return pause(0);
        case Command::Move:
            touch(c.x1, c.y1, pressure_);
            return pause(0);
        case Command::Release:
            touch(x_, y_, 0);
            return pause(0);
        case Command::Drag:
            return drag(c);
        case Command::Snapshot:
            snapshot(c.name);
            return pause(0);
        case Command::Quit:
            host_.terminate();
            return false;
        }
        return true;
    }

    void finish()
    {
        if (recorder_ && recorder_->finish(elapsed_ms()))
            fprintf(stderr, "kivo-sim: animation %s\n", options_.webp.c_str());
    }

  private:
    int elapsed_ms() const
    {
        return static_cast<int>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start_).count());
    }

    void touch(int x, int y, int pressure)
    {
        finger_.send(x, y, pressure);
        x_ = x;
        y_ = y;
        pressure_ = pressure;
    }

    bool drag(const Command& c)
    {
        touch(c.x1, c.y1, default_pressure);
        const DragPath path = drag_path(c);
        for (const auto& p : path.points) {
            if (!pause(path.step_ms))
                return false;
            touch(p.x, p.y, default_pressure);
        }
        touch(c.x2, c.y2, 0);
        return pause(0);
    }

    void snapshot(const std::string& name)
    {
        const std::string path = options_.out_dir + "/" + name + ".png";
        if (!display_.read(frame_))
            warnx("snapshot %s: no display", name.c_str());
        else if (save_png(frame_, path))
            fprintf(stderr, "kivo-sim: snapshot %s\n", path.c_str());
    }

    Host& host_;
    const HeadlessOptions& options_;
    FramebufferFile display_;
    TouchFifo finger_;
    std::unique_ptr<WebpRecorder> recorder_;
    Frame frame_;
    Clock::time_point start_;
    int next_frame_ms_ = 0;
    int x_ = 0, y_ = 0, pressure_ = 0;
};

} // namespace

int run_headless(Host& host, const std::vector<Command>& script, const HeadlessOptions& options)
{
    Session session(host, options);
    if (session.start()) {
        size_t i = 0;
        while (i < script.size() && session.run(script[i]))
            ++i;
        if (i < script.size() && script[i].kind != Command::Quit)
            warnx("the host ended before line %d of the script", script[i].line);
        // After quit, or at the end of the script: record until the host has ended.
        const auto limit = Clock::now() + std::chrono::milliseconds(quit_grace_ms);
        const bool quitting = i < script.size();
        while (session.pause(20) && (!quitting || Clock::now() < limit)) {
        }
        session.finish();
    } else {
        host.terminate();
    }
    return host.wait(quit_grace_ms);
}

} // namespace kivo_sim

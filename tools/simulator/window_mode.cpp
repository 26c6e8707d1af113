#include "window_mode.h"

#include <SDL2/SDL.h>
#include <algorithm>
#include <err.h>
#include <cstring>
#include <string>

#include "framebuffer_file.h"
#include "touch_fifo.h"

namespace kivo_sim {

namespace {

constexpr int quit_grace_ms = 5000;

class Display {
  public:
    explicit Display(double scale) : scale_(scale)
    {
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    }
    ~Display()
    {
        if (texture_)
            SDL_DestroyTexture(texture_);
        if (renderer_)
            SDL_DestroyRenderer(renderer_);
        if (window_)
            SDL_DestroyWindow(window_);
        SDL_Quit();
    }
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    // Shows frame, making or resizing the window to its size times the scale.
    void show(const Frame& frame)
    {
        if (frame.width != width_ || frame.height != height_)
            resize(frame.width, frame.height);
        SDL_UpdateTexture(texture_, nullptr, frame.pixels.data(), frame.width * 4);
        SDL_RenderClear(renderer_);
        SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
        SDL_RenderPresent(renderer_);
    }

    // Window coordinates to display pixels.
    int to_display(int window_coordinate) const
    {
        return static_cast<int>(window_coordinate / scale_);
    }

  private:
    void resize(int w, int h)
    {
        const int ww = std::max(1, static_cast<int>(w * scale_ + 0.5));
        const int wh = std::max(1, static_cast<int>(h * scale_ + 0.5));
        if (!window_) {
            window_ = SDL_CreateWindow(
                "kivo-sim", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, ww, wh, 0);
            if (!window_)
                errx(1, "SDL_CreateWindow: %s", SDL_GetError());
            renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_PRESENTVSYNC);
            if (!renderer_)
                renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
            if (!renderer_)
                errx(1, "SDL_CreateRenderer: %s", SDL_GetError());
        } else {
            SDL_SetWindowSize(window_, ww, wh);
        }
        if (texture_)
            SDL_DestroyTexture(texture_);
        texture_ =
            SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, w, h);
        if (!texture_)
            errx(1, "SDL_CreateTexture: %s", SDL_GetError());
        width_ = w;
        height_ = h;
    }

    double scale_;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    int width_ = 0, height_ = 0;
};

} // namespace

void init_video()
{
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        errx(1, "SDL_Init: %s", SDL_GetError());
    // Without a display SDL falls back to drivers that show nothing; one asked for by name is kept.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* wanted = SDL_getenv("SDL_VIDEODRIVER");
    if (driver && (!wanted || !*wanted) &&
        (!strcmp(driver, "offscreen") || !strcmp(driver, "dummy")))
        errx(1, "no display for a window (SDL video driver %s); --script runs headless", driver);
}

int run_window(Host& host, double scale)
{
    Display display(scale);
    FramebufferFile framebuffer(host.fb_file());
    TouchFifo finger(host.touch_fifo());
    Frame frame;
    bool down = false;
    bool closing = false;

    while (host.running()) {
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
            switch (e.type) {
            case SDL_QUIT:
                if (!closing)
                    host.terminate();
                closing = true;
                break;
            case SDL_MOUSEBUTTONDOWN:
                if (e.button.button == SDL_BUTTON_LEFT && finger.ready()) {
                    finger.send(
                        display.to_display(e.button.x), display.to_display(e.button.y), 255);
                    down = true;
                }
                break;
            case SDL_MOUSEMOTION:
                if (down)
                    finger.send(
                        display.to_display(e.motion.x), display.to_display(e.motion.y), 255);
                break;
            case SDL_MOUSEBUTTONUP:
                if (e.button.button == SDL_BUTTON_LEFT && down) {
                    finger.send(display.to_display(e.button.x), display.to_display(e.button.y), 0);
                    down = false;
                }
                break;
            default:
                break;
            }
        }
        if (closing)
            break;
        if (framebuffer.read(frame))
            display.show(frame);
        SDL_Delay(16); // about 60 frames a second, whatever the renderer's vsync does
    }
    return host.wait(quit_grace_ms);
}

} // namespace kivo_sim

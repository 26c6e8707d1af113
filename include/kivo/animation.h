// kivo::Animation: a still image or an animation with per-frame delays.
#pragma once

#include <SDL2/SDL_image.h>

#include <cstddef>
#include <memory>
#include <vector>

#include "kivo/export.h"
#include "kivo/surface.h"

namespace kivo {

// The type of every cached image. At most one of still() and animation() holds an image; when
// neither does, the image failed to load and nothing is drawn for it. A kept animation has at
// least two frames, all in working_format at the requested size. Never copied or moved.
class KIVO_EXPORT Animation {
  public:
    // Loads a file, or bytes held in memory (only read during the call). width and height are
    // the requested size, 0 meaning natural. The formats are those of Surface; a source that
    // loads as an animation of two or more frames (animated WebP or GIF) is kept animated;
    // otherwise it is loaded as a still image. An unreadable source
    // leaves the Animation empty with one warning ("IMG_Load(<path>): ..." or "IMG_Load_RW: ...").
    // If a frame cannot be converted (out of memory), the whole animation is dropped and the
    // Animation is empty, without a message: no frame is ever missing.
    Animation(const char* path, int width, int height);
    Animation(const void* data, unsigned size, int width, int height);
    ~Animation();

    Animation(const Animation&) = delete;
    Animation& operator=(const Animation&) = delete;

    // Moves on by ms of display time. Every step of one call uses the delay of the frame current
    // when the call began; a frame whose delay is below 1 ms is never left; after the last frame
    // comes frame 0. Does nothing for a still or empty image.
    void advance(int ms);

    // The surface to draw now: the current frame, the still image, or null when empty.
    SDL_Surface* frame() const;
    // How the renderer blits frame(); null for an opaque or empty one.
    BlitPlan* plan() const;
    bool empty() const { return animation_ == nullptr && !still_; }
    // The bytes the pixels of its frames, or of its still image, take.
    std::size_t bytes() const;

    const Surface& still() const { return still_; }
    const IMG_Animation* animation() const { return animation_; }
    Uint32 current_frame() const { return current_frame_; }
    int elapsed_ms() const { return elapsed_ms_; }

  private:
    Surface still_;
    IMG_Animation* animation_ = nullptr;
    Uint32 current_frame_ = 0;
    int elapsed_ms_ = 0;
    // One per frame of animation_, null for an opaque frame.
    std::vector<std::unique_ptr<BlitPlan>> plans_;

    // The constructors: a file at path, or (path null) size bytes at data.
    void load(const char* path, const void* data, unsigned size, int width, int height);
};

} // namespace kivo

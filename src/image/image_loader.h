// Which decoder reads an image source. GIF is always read by load_gif, through giflib (SDL_image
// 2.6's GIF loader can be driven outside its buffers by malformed data). Animated WebP is decoded
// with libwebp's animation decoder where the SDL_image in use cannot (built with
// KIVO_OWN_WEBP_ANIMATION), into an IMG_Animation like the one a newer SDL_image returns: canvas
// size, one frame per file frame, each frame's own duration as its delay. Both give frames already
// in working_format. Every other source goes to SDL_image unchanged. Sources are recognised by
// their first bytes, as SDL_image does.
#pragma once

#include <SDL2/SDL_image.h>

namespace kivo {

struct LoadedAnimation {
    // Released with IMG_FreeAnimation; null when no decoder can read the source as an animation
    // (the reason is then in SDL_GetError()).
    IMG_Animation* animation = nullptr;
    // When the animation holds a single frame, that frame is the still image; otherwise the still
    // image is loaded again (SDL_image's WebP animations, where it reads animated WebP itself).
    bool frame_is_still = false;
    // The source is a GIF that could not be decoded, or was refused for its size: no other loader
    // can do better, the reason in SDL_GetError() is final.
    bool failed_for_good = false;
    // In place of an animation, the still image of a format that has none (SDL_FreeSurface).
    SDL_Surface* still = nullptr;
};

// The warning of a source that gave no image: "IMG_Load(<path>): <SDL error>", or for bytes in
// memory (path null) "IMG_Load_RW: <SDL error>".
void warn_unloaded(const char* path);

// An animation of count frames, all null, at width x height, allocated with SDL's allocator so
// that IMG_FreeAnimation releases it; null with SDL's out-of-memory error.
IMG_Animation* new_animation(int width, int height, int count);

// A copy of width x height pixels in working_format, rows 4 * width bytes apart; null with SDL's
// error.
SDL_Surface* frame_of(const void* pixels, int width, int height);

// Before anything is decoded, a file larger than image_bound() is refused, and so is a source
// whose header declares a size that needs more than image_bound() decoded, or once its frames
// are brought to width x height (0: natural): see within_bound. A refused source fails for good.

// IMG_LoadAnimation(path).
LoadedAnimation load_animation(const char* path, int width, int height);
// IMG_LoadAnimation_RW(SDL_RWFromConstMem(data, size), 1); the bytes are only read during the call.
LoadedAnimation load_animation(const void* data, unsigned size, int width, int height);

// IMG_Load(path) and IMG_Load_RW(SDL_RWFromConstMem(data, size), 1); a GIF gives its first frame.
// Null with the reason in SDL_GetError().
SDL_Surface* load_image(const char* path, int width, int height);
SDL_Surface* load_image(const void* data, unsigned size, int width, int height);

} // namespace kivo

// SDL_image's animation loader, completed for animated WebP where the SDL_image in use cannot
// decode it (built with KIVO_OWN_WEBP_ANIMATION): WebP is then decoded with libwebp's animation
// decoder into an IMG_Animation like the one a newer SDL_image returns (canvas size, one frame per
// file frame, each frame's own duration as its delay), except that the frames are already in
// working_format. Every other source goes to SDL_image unchanged.
#pragma once

#include <SDL2/SDL_image.h>

namespace kivo {

struct LoadedAnimation {
    // Released with IMG_FreeAnimation; null when the source is no animation SDL_image or the
    // WebP decoder can read (the loader's error is then in SDL_GetError()).
    IMG_Animation* animation = nullptr;
    // The source is an animated WebP, which IMG_Load cannot read as a still image: when it holds
    // a single frame, that frame is the still image.
    bool frame_is_still = false;
};

// IMG_LoadAnimation(path).
LoadedAnimation load_animation(const char* path);
// IMG_LoadAnimation_RW(SDL_RWFromConstMem(data, size), 1); the bytes are only read during the call.
LoadedAnimation load_animation(const void* data, unsigned size);

}  // namespace kivo

// Which decoder reads an image source. GIF is always read by load_gif, through giflib (SDL_image
// 2.6's GIF loader can be driven outside its buffers by malformed data). Animated WebP is decoded
// with libwebp's animation decoder where the SDL_image in use cannot (built with
// KIVO_OWN_WEBP_ANIMATION), into an IMG_Animation like the one a newer SDL_image returns: canvas
// size, one frame per file frame, each frame's own duration as its delay. Both give frames already
// in working_format. Every other source goes to SDL_image unchanged. Sources are recognised by
// their first bytes, as SDL_image does.
#pragma once

#include <SDL2/SDL_image.h>

#include <cstddef>

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

// An image source: the file at path, or (path null) size bytes at data, only read during a call.
struct ImageRef {
    const char* path;
    const void* data = nullptr;
    unsigned size = 0;
};

// IMG_LoadAnimation(path), or IMG_LoadAnimation_RW(SDL_RWFromConstMem(data, size), 1).
LoadedAnimation load_animation(const ImageRef& source, int width, int height);
// IMG_Load(path), or IMG_Load_RW(SDL_RWFromConstMem(data, size), 1); a GIF gives its first frame.
// Null with the reason in SDL_GetError().
SDL_Surface* load_image(const ImageRef& source, int width, int height);

// GIF images and animations, read through giflib (gif_loader.cpp).
// SDL_image 2.6's GIF loader can be driven outside its own buffers by malformed LZW data, so GIF
// bytes never reach it: giflib reads them here, one record at a time, so that the size a file
// declares is checked before anything of that size is allocated.
//
// Gives every frame, or only the first, composed as browsers show them: on the logical screen
// (the first image's extent when the screen is 0 wide or high), with disposal and transparency
// applied, areas no image has covered transparent, indices without a colour opaque black. A
// graphic control extension applies to the next image only. A frame's delay is its stored delay,
// or 100 ms when that is under 20 ms (as SDL_image and browsers do). Damaged files give what
// giflib can read of them: an image whose data breaks off keeps the rows read so far and ends the
// file; a file that ends or breaks off between images keeps the earlier frames.
//
// The frames are in working_format at the screen's size, allocated so that IMG_FreeAnimation
// releases them. Null with the reason in SDL_GetError(): "GIF: <giflib's message>" when the
// header or screen descriptor cannot be read, "GIF: no image", within_bound's "image of <w> x
// <h> pixels in <n> frames needs ..." (all the frames of one file, each at the larger of the screen
// and its image, and two canvases, may take at most image_bound() bytes), or SDL's out-of-memory
// error. The bytes are only read during the call.
IMG_Animation* load_gif(const void* bytes, std::size_t size, bool first_only);

} // namespace kivo

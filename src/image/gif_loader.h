// GIF images and animations, read through giflib.
#pragma once

#include <SDL2/SDL_image.h>

#include <cstddef>

namespace kivo {

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

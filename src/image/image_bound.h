// How much memory one image may take, and the size an image file declares before it is decoded.
#pragma once

#include <SDL2/SDL.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace kivo {

// The most bytes the pixels of one image may take, and the most the image cache holds beyond the
// images the last draw used: a quarter of the machine's physical memory, and never more than
// 256 MiB. Read once.
std::uint64_t image_bound();

// Sets the bound image_bound() gives from now on, for the fuzz target: with a small bound it meets
// images on both sides of it within its time limit. Not reachable through the C functions.
void set_image_bound(std::uint64_t bytes);

// What one frame of width x height costs: 4 bytes a pixel and 1 KiB for the surface around them,
// so that a file of countless tiny frames meets the bound too. Saturates instead of wrapping.
std::uint64_t frame_bytes(std::uint64_t width, std::uint64_t height);

// What a file's header says it will take decoded.
struct DeclaredSize {
    std::uint64_t width = 0, height = 0, frames = 1;
    // Frames' worth of memory the decoder needs besides the frames it gives (canvases, a lossless
    // decoder's own buffer).
    std::uint64_t work_frames = 0;
    // Bytes the decoder needs besides (a progressive JPEG's coefficients).
    std::uint64_t work_bytes = 0;
};

// The size declared by a PNG (its IHDR), a JPEG (read by libjpeg up to its first scan), a WebP
// (libwebp's features, and for an animation the frame count from its demuxer) or a BMP (its
// info header). Nothing when the header cannot be read: the decoder then fails on it as well,
// before it allocates anything of the image's size.
std::optional<DeclaredSize> png_size(const Uint8* bytes, std::size_t size);
std::optional<DeclaredSize> jpeg_size(const Uint8* bytes, std::size_t size);
std::optional<DeclaredSize> webp_size(const Uint8* bytes, std::size_t size);
std::optional<DeclaredSize> bmp_size(const Uint8* bytes, std::size_t size);

// Whether every chunk of a PNG lies whole within its bytes, from IHDR (13 bytes, first) to IEND.
// libpng is given nothing else: its reads past the end of the data are not failed but leave stale
// bytes, which it may take for the length of a chunk of up to 2 GiB to checksum. If not, false
// with the reason in SDL_GetError().
bool png_chunks_whole(const Uint8* bytes, std::size_t size);

// The one check of the bound: whether needed bytes fit within image_bound(); if not, false with
// "<what> needs <n> MiB<how>, more than the bound of <b> MiB" in SDL_GetError(), both figures
// rounded up to whole MiB.
bool within_bound(std::uint64_t needed, const std::string& what, const char* how = "");
// Whether an image of that declared size may be decoded, and then brought to width x height
// (0: natural), within the bound: "image of <w> x <h> pixels in <n> frame(s)" needs the larger
// of its decoded and its shown size (" decoded", " stretched").
bool within_bound(const DeclaredSize& declared, int width, int height);

} // namespace kivo

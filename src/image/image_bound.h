// How much memory one image may take, and the size an image file declares before it is decoded.
#pragma once

#include <SDL2/SDL.h>

#include <cstddef>
#include <cstdint>
#include <optional>

namespace kivo {

// The most bytes the pixels of one image may take, and the most the image cache holds beyond the
// images the last draw used: a quarter of the machine's physical memory, and never more than
// 256 MiB. Read once.
std::uint64_t image_bound();

// Sets the bound image_bound() gives from now on, for the fuzz target: with a small bound it meets
// images on both sides of it within its time limit. Not reachable through the C functions.
void set_image_bound(std::uint64_t bytes);

// Bytes in MiB, rounded up: every message that names the bound or a size in MiB rounds so.
unsigned long long in_mib(std::uint64_t bytes);

// What one frame of width x height costs: 4 bytes a pixel and 1 KiB for the surface around them,
// so that a file of countless tiny frames meets the bound too. Saturates instead of wrapping.
std::uint64_t frame_bytes(std::uint64_t width, std::uint64_t height);

// The most scans a JPEG may have. libjpeg decodes every scan of a progressive file over every
// block of the image, so its time grows with the scans, not with the pixels: 5,000 repeats of one
// scan over 4000 x 4000 pixels took a minute here. Encoders write about ten (libjpeg's progressive
// script 6 for grey, 10 for colour; a baseline file one, or one per component).
constexpr std::uint64_t jpeg_scan_limit = 32;

// What a file's header says it will take decoded.
struct DeclaredSize {
    std::uint64_t width = 0, height = 0;
    std::uint64_t frames = 1;
    // Frames' worth of memory the decoder needs besides the frames it gives (canvases, a lossless
    // decoder's own buffer).
    std::uint64_t work_frames = 0;
    // Bytes the decoder needs besides (a progressive JPEG's coefficients).
    std::uint64_t work_bytes = 0;
    // A JPEG's start-of-scan markers: every pair of bytes 0xFF 0xDA in the file, wherever it lies,
    // so that no scan libjpeg could reach goes uncounted (fill bytes, stray bytes between scans,
    // the pair inside a comment are all counted).
    std::uint64_t scans = 0;
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
// bytes, which it may take for the length of a chunk of up to 2 GiB to checksum.
bool png_chunks_whole(const Uint8* bytes, std::size_t size);

// Whether an image of that declared size, and at most jpeg_scan_limit scans, may be decoded and
// then brought to width x height (0: natural) within image_bound(); if not, false with the reason
// in SDL_GetError().
bool within_bound(const DeclaredSize& declared, int width, int height);

} // namespace kivo

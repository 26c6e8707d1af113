#include "image/image_bound.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <webp/decode.h>
#include <webp/demux.h>

namespace kivo {

namespace {

constexpr std::uint64_t max_bound = std::uint64_t{256} << 20;
constexpr std::uint64_t frame_overhead = 1024;
constexpr std::uint64_t mib = std::uint64_t{1} << 20;

std::uint64_t saturating_mul(std::uint64_t a, std::uint64_t b)
{
    std::uint64_t product;
    return __builtin_mul_overflow(a, b, &product) ? UINT64_MAX : product;
}

std::uint64_t saturating_add(std::uint64_t a, std::uint64_t b)
{
    return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

unsigned long long in_mib(std::uint64_t bytes)
{
    return static_cast<unsigned long long>(bytes / mib + (bytes % mib != 0));
}

std::uint32_t big_endian32(const Uint8* b)
{
    return std::uint32_t(b[0]) << 24 | std::uint32_t(b[1]) << 16 | std::uint32_t(b[2]) << 8 | b[3];
}

std::uint32_t little_endian32(const Uint8* b)
{
    return std::uint32_t(b[3]) << 24 | std::uint32_t(b[2]) << 16 | std::uint32_t(b[1]) << 8 | b[0];
}

// libjpeg ends a failed call through error_exit, which must not return: back to jpeg_size.
struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf back;
};

std::uint64_t bound = [] {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long page_size = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || page_size <= 0)
        return max_bound;
    return std::min(max_bound, saturating_mul(std::uint64_t(pages), std::uint64_t(page_size)) / 4);
}();

} // namespace

std::uint64_t image_bound()
{
    return bound;
}

void set_image_bound(std::uint64_t bytes)
{
    bound = bytes;
}

std::uint64_t frame_bytes(std::uint64_t width, std::uint64_t height)
{
    return saturating_add(saturating_mul(saturating_mul(width, height), 4), frame_overhead);
}

std::optional<DeclaredSize> png_size(const Uint8* bytes, std::size_t size)
{
    // The signature, then the IHDR chunk, which libpng requires to come first.
    if (size < 24 || std::memcmp(bytes + 12, "IHDR", 4) != 0)
        return std::nullopt;
    // SDL_image's array of row pointers, counted at 8 bytes each wherever it runs: for a tall
    // image of one column it is twice the pixels.
    const std::uint64_t height = big_endian32(bytes + 20);
    return DeclaredSize{big_endian32(bytes + 16), height, 1, 0, height * 8};
}

bool png_chunks_whole(const Uint8* bytes, std::size_t size)
{
    // After the signature, chunks of a 4-byte length (at most 2^31 - 1), a type, the data and a
    // CRC.
    constexpr std::size_t signature = 8, framing = 12;
    bool whole = size >= signature + framing && big_endian32(bytes + signature) == 13 &&
                 std::memcmp(bytes + signature + 4, "IHDR", 4) == 0;
    for (std::size_t at = signature, length = 0; whole; at += framing + length) {
        whole = size - at >= framing && (length = big_endian32(bytes + at)) <= 0x7fffffffu &&
                size - at - framing >= length;
        if (whole && std::memcmp(bytes + at + 4, "IEND", 4) == 0)
            return true;
    }
    SDL_SetError("PNG whose chunks do not lie whole within its %zu bytes, IHDR to IEND", size);
    return false;
}

// Plain C data only between setjmp and longjmp.
std::optional<DeclaredSize> jpeg_size(const Uint8* bytes, std::size_t size)
{
    jpeg_decompress_struct info;
    JpegErrors errors;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = [](j_common_ptr c) {
        std::longjmp(reinterpret_cast<JpegErrors*>(c->err)->back, 1);
    };
    errors.manager.output_message = [](j_common_ptr) {};
    if (setjmp(errors.back)) {
        jpeg_destroy_decompress(&info);
        return std::nullopt;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes, static_cast<unsigned long>(size));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK)
        std::longjmp(errors.back, 1);
    DeclaredSize declared{info.image_width, info.image_height};
    // A file of several scans (progressive, or its components in separate scans) is decoded
    // through a buffer of every block's coefficients: 64 of 2 bytes a block, each component
    // rounded up to whole units of its sampling factors.
    if (info.progressive_mode || info.comps_in_scan < info.num_components)
        for (int i = 0; i < info.num_components; ++i) {
            const jpeg_component_info& c = info.comp_info[i];
            const std::uint64_t blocks =
                saturating_mul(std::uint64_t(c.width_in_blocks) + unsigned(c.h_samp_factor),
                    std::uint64_t(c.height_in_blocks) + unsigned(c.v_samp_factor));
            declared.work_bytes = saturating_add(declared.work_bytes, saturating_mul(blocks, 128));
        }
    jpeg_destroy_decompress(&info);
    return declared;
}

std::optional<DeclaredSize> webp_size(const Uint8* bytes, std::size_t size)
{
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(bytes, size, &features) != VP8_STATUS_OK)
        return std::nullopt;
    // The decoder's own buffer of the picture (a lossless one decodes whole into it).
    DeclaredSize declared{std::uint64_t(std::max(features.width, 0)),
        std::uint64_t(std::max(features.height, 0)), 1, 1};
    if (features.has_animation) {
        // The animation decoder keeps the canvas and the canvas before the frame's disposal, and
        // decodes each frame (at most the canvas) into a buffer of its own.
        declared.work_frames = 3;
        const WebPData data{bytes, size};
        if (WebPDemuxer* demux = WebPDemux(&data)) {
            declared.frames = std::max<std::uint64_t>(WebPDemuxGetI(demux, WEBP_FF_FRAME_COUNT), 1);
            WebPDemuxDelete(demux);
        }
    }
    return declared;
}

std::optional<DeclaredSize> bmp_size(const Uint8* bytes, std::size_t size)
{
    // The file header (14 bytes), then the info header's size and the width and height: 16 bits
    // each in the 12-byte header of OS/2 1.x, signed 32 bits in every later one (a negative
    // height: rows from the top).
    if (size < 26)
        return std::nullopt;
    const bool os2 = little_endian32(bytes + 14) == 12;
    const auto side = [&](std::size_t at) {
        return os2 ? std::uint64_t(bytes[at]) | std::uint64_t(bytes[at + 1]) << 8
                   : std::uint64_t(
                         std::abs(std::int64_t(std::int32_t(little_endian32(bytes + at)))));
    };
    return DeclaredSize{side(18), side(os2 ? 20 : 22)};
}

bool within_bound(std::uint64_t needed, const std::string& what, const char* how)
{
    if (needed <= image_bound())
        return true;
    SDL_SetError("%s needs %llu MiB%s, more than the bound of %llu MiB", what.c_str(),
        in_mib(needed), how, in_mib(image_bound()));
    return false;
}

bool within_bound(const DeclaredSize& declared, int width, int height)
{
    const std::uint64_t frame = frame_bytes(declared.width, declared.height);
    const std::uint64_t decoded =
        saturating_add(saturating_mul(frame, saturating_add(declared.frames, declared.work_frames)),
            declared.work_bytes);
    const std::uint64_t w = width > 0 ? std::uint64_t(width) : declared.width;
    const std::uint64_t h = height > 0 ? std::uint64_t(height) : declared.height;
    const std::uint64_t shown = saturating_mul(frame_bytes(w, h), declared.frames);
    return within_bound(std::max(decoded, shown),
        "image of " + std::to_string(declared.width) + " x " + std::to_string(declared.height) +
            " pixels in " + std::to_string(declared.frames) +
            (declared.frames == 1 ? " frame" : " frames"),
        decoded < shown ? " stretched" : " decoded");
}

} // namespace kivo

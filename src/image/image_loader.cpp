#include "image/image_loader.h"

#include <err.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "image/image_bound.h"
#include "kivo/surface.h"

#if KIVO_OWN_WEBP_ANIMATION
#include <webp/decode.h>
#include <webp/demux.h>
#endif

namespace kivo {

namespace {

#if KIVO_OWN_WEBP_ANIMATION

// libwebp writes B, G, R, A bytes, which are ARGB8888 words on a little-endian machine.
static_assert(SDL_BYTEORDER == SDL_LIL_ENDIAN && working_format == SDL_PIXELFORMAT_ARGB8888);

// Allocated with SDL's allocator throughout, so that IMG_FreeAnimation releases the result.
LoadedAnimation decode(const Uint8* bytes, size_t size)
{
    WebPBitstreamFeatures features;
    WebPAnimDecoderOptions options;
    if (WebPGetFeatures(bytes, size, &features) != VP8_STATUS_OK ||
        !WebPAnimDecoderOptionsInit(&options)) {
        SDL_SetError("Invalid WEBP Animation");
        return {};
    }
    options.color_mode = MODE_BGRA;
    options.use_threads = 0;
    const WebPData data{bytes, size};
    const std::unique_ptr<WebPAnimDecoder, decltype(&WebPAnimDecoderDelete)> decoder(
        WebPAnimDecoderNew(&data, &options), WebPAnimDecoderDelete);
    WebPAnimInfo info;
    if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &info) || info.frame_count == 0) {
        SDL_SetError("Failed to decode WEBP Animation");
        return {};
    }

    std::unique_ptr<IMG_Animation, decltype(&IMG_FreeAnimation)> animation(
        new_animation(int(info.canvas_width), int(info.canvas_height), int(info.frame_count)),
        IMG_FreeAnimation);
    if (!animation)
        return {};

    // The decoder composes each frame onto the canvas and reports when it ends; a frame's delay is
    // its own duration, the difference from the previous end.
    int previous_end = 0;
    for (int i = 0; i < animation->count; ++i) {
        Uint8* canvas;
        int end;
        if (!WebPAnimDecoderGetNext(decoder.get(), &canvas, &end)) {
            SDL_SetError("Failed to decode WEBP Animation frame");
            return {};
        }
        animation->frames[i] = frame_of(canvas, animation->w, animation->h);
        if (!animation->frames[i])
            return {};
        animation->delays[i] = end - std::exchange(previous_end, end);
    }
    // The only frame of a still file is the image itself, the pixels IMG_LoadWEBP_RW gives.
    return {animation.release(), true, false, nullptr};
}

#endif

// The formats the library reads, recognised by their first bytes as SDL_image recognises them,
// each with SDL_image's loader of the format (over libpng, libjpeg, libwebp and SDL's own BMP
// reader), called directly: its generic loaders go on to try every other decoder when the one the
// first bytes call for rejects the data. GIF is read through giflib, and animated WebP is decoded
// here where SDL_image cannot. The other formats SDL_image 2.6 knows are refused: their decoders
// are its own code, and some write outside their buffers on malformed files (the palette of an
// LBM with more than 8 planes, XCF, XPM). SDL_image recognises WebP by its first 20 bytes.
struct Format {
    // The first bytes of the format, in up to three forms ('?': any byte).
    std::string_view signatures[3];
    SDL_Surface* (*loader)(SDL_RWops*);
    // The size the header declares; none for GIF, whose frames are counted as giflib reads them.
    std::optional<DeclaredSize> (*declared)(const Uint8* bytes, size_t size);
    // Whether the bytes are fit for the decoder besides (if not, the reason in SDL_GetError()).
    bool (*sound)(const Uint8* bytes, size_t size);
};

// libjpeg decodes every scan of a progressive file over every block of the image, so its time
// grows with the scans, not with the pixels: 5,000 repeats of one scan over 4000 x 4000 pixels
// took a minute here. Encoders write about ten (libjpeg's progressive script 6 for grey, 10 for
// colour; a baseline file one, or one per component). Every pair of bytes 0xFF 0xDA is counted as
// a start of scan, wherever it lies, so that no scan libjpeg could reach goes uncounted (fill
// bytes, stray bytes between scans, the pair inside a comment are all counted).
constexpr unsigned long long jpeg_scan_limit = 32;
bool jpeg_scans_within_limit(const Uint8* bytes, size_t size)
{
    unsigned long long scans = 0;
    for (size_t at = 1; at < size; ++at)
        scans += bytes[at] == 0xDA && bytes[at - 1] == 0xFF;
    if (scans > jpeg_scan_limit)
        SDL_SetError("JPEG of %llu scans, more than the limit of %llu", scans, jpeg_scan_limit);
    return scans <= jpeg_scan_limit;
}

enum { gif, png, jpeg, webp, bmp };
constexpr Format formats[] = {{{"GIF87a", "GIF89a"}, nullptr, nullptr, nullptr},
    {{"\x89PNG\r\n\x1a\n"}, IMG_LoadPNG_RW, png_size, png_chunks_whole},
    {{"\xFF\xD8\xFF"}, IMG_LoadJPG_RW, jpeg_size, jpeg_scans_within_limit},
    {{"RIFF????WEBPVP8 ????", "RIFF????WEBPVP8X????", "RIFF????WEBPVP8L????"}, IMG_LoadWEBP_RW,
        webp_size, nullptr},
    {{"BM"}, IMG_LoadBMP_RW, bmp_size, nullptr}};

const Format* format_of(const Uint8* b, size_t size)
{
    const auto same = [](char pattern, Uint8 byte) {
        return pattern == '?' || Uint8(pattern) == byte;
    };
    for (const Format& format : formats)
        for (const std::string_view s : format.signatures)
            if (b && !s.empty() && size >= s.size() && std::equal(s.begin(), s.end(), b, same))
                return &format;
    return nullptr;
}

// One image source: bytes in memory, or a file, read whole first (at most image_bound() bytes).
// Gives the source to the decoder its format calls for, once the size its header declares is
// within the bound; an unsupported one fails with SDL_image's own message.
class Source {
  public:
    explicit Source(const ImageRef& source)
        : data_(static_cast<const Uint8*>(source.data)), size_(source.size)
    {
        failed_ = source.path && !read_file(source.path);
        format_ = format_of(data_, size_);
    }

    LoadedAnimation animation(int width, int height)
    {
        if (!admitted(width, height))
            return {nullptr, false, refused_, nullptr};
        if (format_ == &formats[gif]) {
            IMG_Animation* animation = kivo::load_gif(data_, size_, false);
            return {animation, true, animation == nullptr, nullptr};
        }
        if (format_ != &formats[webp])
            return {nullptr, false, false, with_bytes(format_->loader)};
#if KIVO_OWN_WEBP_ANIMATION
        return decode(data_, size_);
#else
        return {with_bytes(IMG_LoadWEBPAnimation_RW), false, false, nullptr};
#endif
    }

    SDL_Surface* image(int width, int height)
    {
        if (!admitted(width, height))
            return nullptr;
        if (format_ != &formats[gif])
            return with_bytes(format_->loader);
        IMG_Animation* gif = kivo::load_gif(data_, size_, true);
        SDL_Surface* frame = gif ? std::exchange(gif->frames[0], nullptr) : nullptr;
        IMG_FreeAnimation(gif);
        return frame;
    }

  private:
    const Uint8* data_ = nullptr;
    size_t size_ = 0;
    std::unique_ptr<Uint8[]> read_;
    const Format* format_ = nullptr; // none: unsupported
    // The file could not be read, or was refused: the reason is in SDL_GetError().
    bool failed_ = false;
    // Refused for its size or kind: no other loader is to try it again.
    bool refused_ = false;

    // No source larger than the bound is decoded, nor a file of that size read.
    bool within_size(std::uint64_t size)
    {
        refused_ = !within_bound(size, "data of " + std::to_string(size) + " bytes");
        return !refused_;
    }
    // A file's bytes, read whole. Opened without waiting (a FIFO without a writer would hold
    // open() forever) and read only when it is a regular file: a FIFO, a device or a directory is
    // refused for good, naming what it is.
    bool read_file(const char* path)
    {
        const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) {
            SDL_SetError("Couldn't open %s", path);
            return false;
        }
        struct stat file;
        const char* what = fstat(fd, &file) != 0    ? "a file that cannot be examined"
                           : S_ISREG(file.st_mode)  ? nullptr
                           : S_ISFIFO(file.st_mode) ? "a FIFO"
                           : S_ISDIR(file.st_mode)  ? "a directory"
                           : S_ISCHR(file.st_mode)  ? "a character device"
                           : S_ISBLK(file.st_mode)  ? "a block device"
                           : S_ISSOCK(file.st_mode) ? "a socket"
                                                    : "a special file";
        if (what) {
            SDL_SetError("%s, not a regular file", what);
            refused_ = true;
        } else if (within_size(std::uint64_t(file.st_size))) {
            const size_t size = size_t(file.st_size);
            read_.reset(new (std::nothrow) Uint8[std::max<size_t>(size, 1)]);
            ssize_t n = 1;
            while (read_ && size_ < size && n > 0) {
                n = ::read(fd, read_.get() + size_, size - size_);
                size_ += size_t(std::max<ssize_t>(n, 0));
            }
            data_ = read_.get();
            if (!read_)
                SDL_OutOfMemory();
        }
        close(fd);
        return data_ != nullptr;
    }
    // Whether the source goes to its decoder: read, of a supported format, within the bound in
    // bytes and in the size its header declares (decoded, and at width x height), and sound for
    // the decoder; if not, the reason is in SDL_GetError(). GIF frames are counted as giflib reads
    // them.
    bool admitted(int width, int height)
    {
        if (!failed_ && !format_)
            SDL_SetError("Unsupported image format");
        if (failed_ || !format_ || !within_size(size_))
            return false;
        const auto declared = format_->declared ? format_->declared(data_, size_) : std::nullopt;
        refused_ = (declared && !within_bound(*declared, width, height)) ||
                   (format_->sound && !format_->sound(data_, size_));
        return !refused_;
    }
    // load(stream) on the bytes.
    template <typename Load> std::invoke_result_t<Load, SDL_RWops*> with_bytes(Load load)
    {
        SDL_RWops* memory = SDL_RWFromConstMem(data_, int(size_));
        const auto loaded = memory ? load(memory) : nullptr;
        if (memory)
            SDL_RWclose(memory);
        return loaded;
    }
};

} // namespace

void warn_unloaded(const char* path)
{
    path ? warnx("IMG_Load(%s): %s", path, SDL_GetError())
         : warnx("IMG_Load_RW: %s", SDL_GetError());
}

SDL_Surface* frame_of(const void* pixels, int width, int height)
{
    SDL_Surface* frame = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, working_format);
    if (frame)
        SDL_ConvertPixels(width, height, working_format, pixels, width * 4, working_format,
            frame->pixels, frame->pitch);
    return frame;
}

IMG_Animation* new_animation(int width, int height, int count)
{
    auto* animation = static_cast<IMG_Animation*>(SDL_calloc(1, sizeof(IMG_Animation)));
    if (animation) {
        animation->frames = static_cast<SDL_Surface**>(SDL_calloc(count, sizeof(SDL_Surface*)));
        animation->delays = static_cast<int*>(SDL_calloc(count, sizeof(int)));
        if (animation->frames && animation->delays) {
            *animation = {width, height, count, animation->frames, animation->delays};
            return animation;
        }
        IMG_FreeAnimation(animation);
    }
    SDL_OutOfMemory();
    return nullptr;
}

LoadedAnimation load_animation(const ImageRef& source, int width, int height)
{
    return Source(source).animation(width, height);
}

SDL_Surface* load_image(const ImageRef& source, int width, int height)
{
    return Source(source).image(width, height);
}

} // namespace kivo

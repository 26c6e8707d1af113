#include "image/image_loader.h"

#include <cstring>
#include <memory>
#include <utility>

#include "image/gif_decoder.h"

#if KIVO_OWN_WEBP_ANIMATION
#include <webp/decode.h>
#include <webp/demux.h>

#include "kivo/surface.h"
#endif

namespace kivo {

namespace {

struct SdlFree {
    void operator()(void* memory) const { SDL_free(memory); }
};

// SDL_image recognises WebP by its first 20 bytes; 6 are enough for GIF.
constexpr size_t signature_size = 20;

#if KIVO_OWN_WEBP_ANIMATION

// libwebp writes B, G, R, A bytes, which are ARGB8888 words on a little-endian machine.
static_assert(SDL_BYTEORDER == SDL_LIL_ENDIAN && working_format == SDL_PIXELFORMAT_ARGB8888);

bool is_webp(const Uint8* b, size_t size) {
    return size >= signature_size && std::memcmp(b, "RIFF", 4) == 0 &&
           std::memcmp(b + 8, "WEBPVP8", 7) == 0 && (b[15] == ' ' || b[15] == 'X' || b[15] == 'L');
}

struct DecoderDelete {
    void operator()(WebPAnimDecoder* decoder) const { WebPAnimDecoderDelete(decoder); }
};
struct AnimationFree {
    void operator()(IMG_Animation* animation) const { IMG_FreeAnimation(animation); }
};
// Allocated with SDL's allocator throughout, so that IMG_FreeAnimation releases the result.
LoadedAnimation decode(const Uint8* bytes, size_t size) {
    WebPBitstreamFeatures features;
    WebPAnimDecoderOptions options;
    if (WebPGetFeatures(bytes, size, &features) != VP8_STATUS_OK || !WebPAnimDecoderOptionsInit(&options)) {
        SDL_SetError("Invalid WEBP Animation");
        return {};
    }
    options.color_mode = MODE_BGRA;
    options.use_threads = 0;
    const WebPData data{bytes, size};
    const std::unique_ptr<WebPAnimDecoder, DecoderDelete> decoder(WebPAnimDecoderNew(&data, &options));
    WebPAnimInfo info;
    if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &info) || info.frame_count == 0) {
        SDL_SetError("Failed to decode WEBP Animation");
        return {};
    }

    std::unique_ptr<IMG_Animation, AnimationFree> animation(
        static_cast<IMG_Animation*>(SDL_calloc(1, sizeof(IMG_Animation))));
    if (!animation) {
        SDL_OutOfMemory();
        return {};
    }
    animation->w = int(info.canvas_width);
    animation->h = int(info.canvas_height);
    animation->count = int(info.frame_count);
    animation->frames = static_cast<SDL_Surface**>(SDL_calloc(info.frame_count, sizeof(SDL_Surface*)));
    animation->delays = static_cast<int*>(SDL_calloc(info.frame_count, sizeof(int)));
    if (!animation->frames || !animation->delays) {
        SDL_OutOfMemory();
        return {};
    }

    // The decoder composes each frame onto the canvas and reports when it ends; a frame's delay is
    // its own duration, the difference from the previous end.
    const size_t row = size_t(animation->w) * 4;
    int previous_end = 0;
    for (int i = 0; i < animation->count; ++i) {
        Uint8* canvas;
        int end;
        if (!WebPAnimDecoderGetNext(decoder.get(), &canvas, &end)) {
            SDL_SetError("Failed to decode WEBP Animation frame");
            return {};
        }
        SDL_Surface* frame = SDL_CreateRGBSurfaceWithFormat(0, animation->w, animation->h, 32, working_format);
        if (!frame) return {};
        animation->frames[i] = frame;
        for (int y = 0; y < animation->h; ++y)
            std::memcpy(static_cast<Uint8*>(frame->pixels) + ptrdiff_t(y) * frame->pitch, canvas + y * row, row);
        animation->delays[i] = end - previous_end;
        previous_end = end;
    }
    return {animation.release(), features.has_animation != 0};
}

#else

bool is_webp(const Uint8*, size_t) {
    return false;
}

LoadedAnimation decode(const Uint8*, size_t) {
    return {};
}

#endif

// The sources the library decodes itself.
bool decoded_here(const void* bytes, size_t size) {
    return bytes && (GifDecoder::is_gif(bytes, size) || is_webp(static_cast<const Uint8*>(bytes), size));
}

LoadedAnimation decode_here(const void* bytes, size_t size, bool first_only) {
    if (GifDecoder::is_gif(bytes, size)) {
        IMG_Animation* animation = GifDecoder(bytes, size).decode(first_only);
        return {animation, true, animation == nullptr};
    }
    return decode(static_cast<const Uint8*>(bytes), size);
}

// The whole file when the library decodes it itself, otherwise null (also when it cannot be
// opened or read: SDL_image then reports that).
std::unique_ptr<Uint8, SdlFree> read_if_decoded_here(const char* path, size_t& size) {
    SDL_RWops* file = SDL_RWFromFile(path, "rb");
    if (!file) return nullptr;
    Uint8 head[signature_size];
    std::unique_ptr<Uint8, SdlFree> bytes;
    if (decoded_here(head, SDL_RWread(file, head, 1, sizeof head)) && SDL_RWseek(file, 0, RW_SEEK_SET) == 0)
        bytes.reset(static_cast<Uint8*>(SDL_LoadFile_RW(file, &size, 0)));
    SDL_RWclose(file);
    return bytes;
}

SDL_Surface* first_frame(IMG_Animation* animation) {
    if (!animation) return nullptr;
    SDL_Surface* frame = std::exchange(animation->frames[0], nullptr);
    IMG_FreeAnimation(animation);
    return frame;
}

}  // namespace

LoadedAnimation load_animation(const char* path) {
    size_t size = 0;
    if (const auto bytes = read_if_decoded_here(path, size)) return decode_here(bytes.get(), size, false);
    return {IMG_LoadAnimation(path)};
}

LoadedAnimation load_animation(const void* data, unsigned size) {
    if (decoded_here(data, size)) return decode_here(data, size, false);
    return {IMG_LoadAnimation_RW(SDL_RWFromConstMem(data, int(size)), 1)};
}

SDL_Surface* load_image(const char* path) {
    size_t size = 0;
    const auto bytes = read_if_decoded_here(path, size);
    if (bytes && GifDecoder::is_gif(bytes.get(), size)) return first_frame(GifDecoder(bytes.get(), size).decode(true));
    return IMG_Load(path);
}

SDL_Surface* load_image(const void* data, unsigned size) {
    if (GifDecoder::is_gif(data, size)) return first_frame(GifDecoder(data, size).decode(true));
    return IMG_Load_RW(SDL_RWFromConstMem(data, int(size)), 1);
}

}  // namespace kivo

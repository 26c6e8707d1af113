#include "kivo/surface.h"

#include <climits>
#include <cstdint>
#include <string>
#include <utility>

#include "image/blit_plan.h"
#include "image/image_bound.h"
#include "image/image_loader.h"

namespace kivo {

namespace {

// SDL's stretch steps through the source in 16.16 fixed point held in an int: a side of 32768
// pixels or more overflows it and reads outside the image. Its row offsets are ints as well, so
// neither image may take 2^31 bytes or more. A side of 0 has nothing to stretch.
bool stretchable(const SDL_Surface* s)
{
    return s->w > 0 && s->h > 0 && s->w < 32768 && s->h < 32768 &&
           std::int64_t{s->h} * s->pitch <= INT_MAX;
}

// The image a loader gave at width x height, or null after its warning.
SDL_Surface* converted(const ImageRef& source, int width, int height)
{
    if (SDL_Surface* loaded = load_image(source, width, height))
        return Surface::convert(loaded, width, height);
    warn_unloaded(source.path);
    return nullptr;
}

} // namespace

Surface::Surface() = default;

Surface::Surface(const char* path, int width, int height)
    : Surface(converted({path}, width, height))
{
}

Surface::Surface(const void* data, unsigned size, int width, int height)
    : Surface(converted({nullptr, data, size}, width, height))
{
}

Surface::Surface(unsigned flags, int width, int height, int depth, unsigned format)
    : surface_(SDL_CreateRGBSurfaceWithFormat(flags, width, height, depth, format))
{
}

Surface::Surface(int width, int height, int depth, int pitch, unsigned format, void* pixels)
    : surface_(SDL_CreateRGBSurfaceWithFormatFrom(pixels, width, height, depth, pitch, format))
{
}

Surface::Surface(SDL_Surface* owned) : surface_(owned)
{
    if (copy_if_opaque(surface_))
        plan_ = std::make_unique<BlitPlan>();
}

Surface::~Surface()
{
    SDL_FreeSurface(surface_); // null: nothing
}

Surface::Surface(Surface&& other) noexcept
    : surface_(std::exchange(other.surface_, nullptr)), plan_(std::move(other.plan_))
{
}

Surface& Surface::operator=(Surface&& other) noexcept
{
    std::swap(surface_, other.surface_);
    std::swap(plan_, other.plan_);
    return *this;
}

SDL_Surface* Surface::convert(SDL_Surface* source, int width, int height)
{
    const int w = width != 0 ? width : source->w;
    const int h = height != 0 ? height : source->h;
    const bool same_size = w == source->w && h == source->h;
    const bool fits = w <= 0 || h <= 0 ||
                      within_bound(frame_bytes(std::uint64_t(w), std::uint64_t(h)),
                          "image of " + std::to_string(w) + " x " + std::to_string(h) + " pixels");
    if (fits && same_size && source->format->format == working_format)
        return source;
    SDL_Surface* result = !fits       ? nullptr
                          : same_size ? SDL_ConvertSurfaceFormat(source, working_format, 0)
                          : stretchable(source) && w > 0 && h > 0 && w < 32768 && h < 32768
                              ? SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, working_format)
                              : nullptr;
    if (result && !same_size)
        SDL_UpperBlitScaled(source, nullptr, result, nullptr);
    SDL_FreeSurface(source);
    return result;
}

bool Surface::copy_if_opaque(SDL_Surface* image)
{
    if (!image || image->format->format != working_format || SDL_HasColorKey(image) ||
        SDL_MUSTLOCK(image))
        return false;
    for (int y = 0; y < image->h; ++y) {
        const auto* row = reinterpret_cast<const Uint32*>(pixel_at(image, 0, y));
        for (int x = 0; x < image->w; ++x)
            if ((row[x] >> 24) != 0xff)
                return true;
    }
    SDL_SetSurfaceBlendMode(image, SDL_BLENDMODE_NONE);
    return false;
}

SDL_BlendMode Surface::plain_blend(const SDL_Surface* image)
{
    auto* s = const_cast<SDL_Surface*>(image);
    SDL_BlendMode mode = SDL_BLENDMODE_BLEND;
    Uint8 alpha = 0, r = 0, g = 0, b = 0;
    SDL_GetSurfaceBlendMode(s, &mode);
    SDL_GetSurfaceAlphaMod(s, &alpha);
    SDL_GetSurfaceColorMod(s, &r, &g, &b);
    return !SDL_HasColorKey(s) && (alpha & r & g & b) == 0xff ? mode : SDL_BLENDMODE_INVALID;
}

bool Surface::copies(const SDL_Surface* image)
{
    return plain_blend(image) == SDL_BLENDMODE_NONE;
}

} // namespace kivo

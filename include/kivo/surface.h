// kivo::Surface: the owner of one SDL surface.
#pragma once

#include <SDL2/SDL.h>

#include <memory>

#include "kivo/export.h"

namespace kivo {

class BlitPlan;

// The pixel format of every image the library draws with: 0xAARRGGBB words.
inline constexpr Uint32 working_format = SDL_PIXELFORMAT_ARGB8888;

// Owns one SDL_Surface, or none (empty) when loading or allocating failed. Moved, never copied:
// moving exchanges the two surfaces (with their blit plans), so each is freed exactly once.
class KIVO_EXPORT Surface {
  public:
    Surface();
    // Loads a file and converts it (see convert). PNG, JPEG, WebP and BMP are read by SDL_image's
    // loader of that format, a GIF through giflib (its first frame); any other
    // format fails with "Unsupported image format" (see kivo.h). On failure stays empty and
    // writes one warning "IMG_Load(<path>): <SDL error>".
    Surface(const char* path, int width, int height);
    // Loads image bytes (only read during the call), in the same formats. On failure stays empty
    // and writes one warning "IMG_Load_RW: <SDL error>".
    Surface(const void* data, unsigned size, int width, int height);
    // Allocates an uninitialised surface; empty on failure, without a message.
    Surface(unsigned flags, int width, int height, int depth, unsigned format);
    // Wraps caller-owned pixels, which must outlive the Surface; empty on failure.
    Surface(int width, int height, int depth, int pitch, unsigned format, void* pixels);
    ~Surface();

    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
    Surface(Surface&& other) noexcept;
    Surface& operator=(Surface&& other) noexcept;

    // Takes over source and returns a surface in working_format of the requested size (0 meaning
    // the source's own width or height), or null. Returns source itself when it already has that
    // format and size; otherwise source is freed. Stretching needs both images between 1 and
    // 32767 pixels on each side and the source below 2 GiB (SDL's stretch overflows beyond); a
    // result that would take more than the image bound (see kivo.h) is not made either. Those
    // give null, with the reason in SDL_GetError().
    static SDL_Surface* convert(SDL_Surface* source, int width, int height);

    // Marks an image in working_format whose pixels are all opaque to be blitted as a copy (SDL's
    // blend of an opaque pixel gives that pixel, so only the cost changes). Every loaded image and
    // animation frame goes through it once, when it is made. Returns whether image is in
    // working_format and has translucent pixels: such an image gets a plan of the parts to copy
    // and to blend instead. Null gives false.
    static bool copy_if_opaque(SDL_Surface* image);
    // Whether a blit of image copies its pixels over what lies under it, whatever that was (no
    // blending, no colour key, no colour or alpha modulation).
    static bool copies(const SDL_Surface* image);
    // How a blit of image draws when no colour key or colour or alpha modulation is set: its blend
    // mode (NONE: a copy, BLEND: by its pixels' alpha); SDL_BLENDMODE_INVALID otherwise.
    static SDL_BlendMode plain_blend(const SDL_Surface* image);

    SDL_Surface* get() const { return surface_; }
    explicit operator bool() const { return surface_ != nullptr; }
    SDL_Surface* operator->() const { return surface_; }
    // How the renderer blits a loaded image with translucent pixels; null for any other.
    BlitPlan* plan() const { return plan_.get(); }

  private:
    // The library's loaders hand over a surface they made (through copy_if_opaque), without
    // copying it.
    friend struct SurfaceAdoption;
    explicit Surface(SDL_Surface* owned);

    SDL_Surface* surface_ = nullptr;
    std::unique_ptr<BlitPlan> plan_;
};

} // namespace kivo

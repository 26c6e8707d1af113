// kivo::GifDecoder: GIF images and animations, decoded by the library itself.
#pragma once

#include <SDL2/SDL_image.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kivo {

// SDL_image 2.6's GIF loader can be driven outside its own buffers by malformed LZW data, so
// every GIF is decoded here instead. The result is what browsers show: the frames composed on
// the logical screen (the first image's extent when the screen is 0 wide or high), with disposal
// and transparency applied, areas no image has covered transparent, indices without a colour
// opaque black. A frame's delay is its stored delay, or 100 ms when that is under 20 ms (as
// SDL_image and browsers do). Damaged files give what they hold: an image whose data stops early
// keeps the pixels decoded so far, and a file that ends or breaks off early keeps its earlier
// frames.
class GifDecoder {
  public:
    // All the frames of one file may take at most this many bytes decoded (4 per pixel).
    static constexpr std::size_t max_decoded_bytes = std::size_t{256} << 20;

    // The bytes are only borrowed: they must outlive the decoder.
    GifDecoder(const void* bytes, std::size_t size);

    // "GIF87a" or "GIF89a", the test SDL_image uses to pick its GIF loader.
    static bool is_gif(const void* bytes, std::size_t size);

    // Decodes every frame, or only the first. Returns an animation of at least one frame, each
    // in working_format at the canvas size, allocated so that IMG_FreeAnimation releases it; or
    // null with the reason in SDL_GetError(): "GIF: truncated header", "GIF: truncated colour
    // table", "GIF: no image", "GIF: frames of <w> x <h> need more than 256 MiB", or SDL's
    // out-of-memory error.
    IMG_Animation* decode(bool first_only);

  private:
    IMG_Animation* decode_frames(bool first_only);

    struct Frame {
        int x = 0, y = 0, width = 0, height = 0;
        bool interlaced = false;
        int transparent = -1;
        int disposal = 0;
        int delay_ms = 100;
    };

    const std::uint8_t* bytes_;
    std::size_t size_;
    std::size_t position_ = 0;

    std::uint32_t global_palette_[256];
    std::uint32_t palette_[256];
    int canvas_width_ = 0;
    int canvas_height_ = 0;
    std::vector<std::uint32_t> canvas_;
    std::vector<std::uint32_t> saved_;
    Frame previous_;

    bool has(std::size_t n) const { return size_ - position_ >= n; }
    int u16(std::size_t at) const { return bytes_[at] | bytes_[at + 1] << 8; }
    void read_palette(std::uint32_t* palette, int entries);
    bool read_graphic_control(Frame& frame);
    bool read_sub_blocks(std::vector<std::uint8_t>* data);
    void dispose_previous();
    void draw(const Frame& frame, const std::vector<std::uint8_t>& data, int min_code_size);
};

} // namespace kivo

#include "image/gif_decoder.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "image/lzw_decoder.h"
#include "kivo/surface.h"

namespace kivo {

namespace {

constexpr std::uint8_t extension_introducer = 0x21;
constexpr std::uint8_t image_separator = 0x2C;
constexpr std::uint8_t graphic_control_label = 0xF9;
constexpr std::uint8_t has_colour_table = 0x80;
constexpr std::uint8_t interlaced_flag = 0x40;
constexpr std::uint32_t black = 0xFF000000;
constexpr int restore_background = 2;
constexpr int restore_previous = 3;
// What one frame costs beyond its pixels (the surface and its bookkeeping), so that a file of
// countless tiny frames meets the limit too.
constexpr std::uint64_t frame_overhead = 1024;

struct SurfaceFree {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using OwnedSurface = std::unique_ptr<SDL_Surface, SurfaceFree>;

struct AnimationFree {
    void operator()(IMG_Animation* animation) const { IMG_FreeAnimation(animation); }
};

} // namespace

GifDecoder::GifDecoder(const void* bytes, std::size_t size)
    : bytes_(static_cast<const std::uint8_t*>(bytes)), size_(size)
{
    std::fill(std::begin(global_palette_), std::end(global_palette_), black);
}

bool GifDecoder::is_gif(const void* bytes, std::size_t size)
{
    const char* b = static_cast<const char*>(bytes);
    return bytes && size >= 6 && std::memcmp(b, "GIF", 3) == 0 &&
           (std::memcmp(b + 3, "87a", 3) == 0 || std::memcmp(b + 3, "89a", 3) == 0);
}

void GifDecoder::read_palette(std::uint32_t* palette, int entries)
{
    for (int i = 0; i < entries; ++i, position_ += 3)
        palette[i] = black | std::uint32_t(bytes_[position_]) << 16 |
                     std::uint32_t(bytes_[position_ + 1]) << 8 | bytes_[position_ + 2];
    std::fill(palette + entries, palette + 256, black);
}

// A run of sub-blocks, up to its empty block; their bytes are appended to data unless it is null.
// Returns false when the file ends inside them (what was there is kept).
bool GifDecoder::read_sub_blocks(std::vector<std::uint8_t>* data)
{
    for (;;) {
        if (!has(1))
            return false;
        const std::size_t n = bytes_[position_++];
        if (n == 0)
            return true;
        const std::size_t available = std::min(n, size_ - position_);
        if (data)
            data->insert(data->end(), bytes_ + position_, bytes_ + position_ + available);
        position_ += available;
        if (available < n)
            return false;
    }
}

bool GifDecoder::read_graphic_control(Frame& frame)
{
    if (has(5) && bytes_[position_] >= 4) {
        const std::uint8_t packed = bytes_[position_ + 1];
        const int delay = u16(position_ + 2);
        frame.disposal = (packed >> 2) & 7;
        frame.delay_ms = delay < 2 ? 100 : delay * 10;
        frame.transparent = (packed & 1) ? bytes_[position_ + 4] : -1;
    }
    return read_sub_blocks(nullptr);
}

void GifDecoder::dispose_previous()
{
    if (previous_.disposal == restore_previous && !saved_.empty()) {
        canvas_.swap(saved_);
    } else if (previous_.disposal == restore_background) {
        const int x0 = std::min(previous_.x, canvas_width_);
        const int x1 = int(std::min<long>(long(previous_.x) + previous_.width, canvas_width_));
        const int y1 = int(std::min<long>(long(previous_.y) + previous_.height, canvas_height_));
        for (int y = previous_.y; y < y1; ++y)
            std::fill(canvas_.begin() + std::ptrdiff_t(y) * canvas_width_ + x0,
                canvas_.begin() + std::ptrdiff_t(y) * canvas_width_ + x1, 0u);
    }
    saved_.clear();
}

void GifDecoder::draw(const Frame& frame, const std::vector<std::uint8_t>& data, int min_code_size)
{
    static constexpr int first_row[] = {0, 4, 2, 1};
    static constexpr int row_step[] = {8, 8, 4, 2};
    const auto lzw = std::make_unique<LzwDecoder>(data.data(), data.size(), min_code_size);
    std::vector<std::uint8_t> row(std::size_t(frame.width));
    const std::size_t width = row.size();
    const int visible = std::clamp(canvas_width_ - frame.x, 0, frame.width);
    const int passes = frame.interlaced ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        const int step = frame.interlaced ? row_step[pass] : 1;
        for (int r = frame.interlaced ? first_row[pass] : 0; r < frame.height; r += step) {
            const std::size_t got = lzw->read(row.data(), width);
            const long y = long(frame.y) + r;
            if (y < canvas_height_ && visible > 0) {
                std::uint32_t* out = canvas_.data() + std::ptrdiff_t(y) * canvas_width_ + frame.x;
                const int n = std::min(visible, int(got));
                for (int x = 0; x < n; ++x)
                    if (row[std::size_t(x)] != frame.transparent)
                        out[x] = palette_[row[std::size_t(x)]];
            }
            if (got < width)
                return;
        }
    }
}

IMG_Animation* GifDecoder::decode(bool first_only)
{
    try {
        return decode_frames(first_only);
    } catch (const std::bad_alloc&) {
        SDL_OutOfMemory();
        return nullptr;
    }
}

IMG_Animation* GifDecoder::decode_frames(bool first_only)
{
    if (!is_gif(bytes_, size_) || size_ < 13) {
        SDL_SetError("GIF: truncated header");
        return nullptr;
    }
    const int screen_width = u16(6);
    const int screen_height = u16(8);
    const std::uint8_t screen_flags = bytes_[10];
    position_ = 13;
    if (screen_flags & has_colour_table) {
        const int entries = 2 << (screen_flags & 7);
        if (!has(std::size_t(entries) * 3)) {
            SDL_SetError("GIF: truncated colour table");
            return nullptr;
        }
        read_palette(global_palette_, entries);
    }

    std::vector<OwnedSurface> frames;
    std::vector<int> delays;
    std::uint64_t frame_cost = 0;
    Frame frame;
    while (has(1)) {
        const std::uint8_t introducer = bytes_[position_++];
        if (introducer == extension_introducer) {
            if (!has(1))
                break;
            const bool complete = bytes_[position_++] == graphic_control_label
                                      ? read_graphic_control(frame)
                                      : read_sub_blocks(nullptr);
            if (!complete)
                break;
            continue;
        }
        if (introducer != image_separator || !has(10)) // the trailer, or bytes that are no block
            break;

        frame.x = u16(position_);
        frame.y = u16(position_ + 2);
        frame.width = u16(position_ + 4);
        frame.height = u16(position_ + 6);
        const std::uint8_t flags = bytes_[position_ + 8];
        frame.interlaced = flags & interlaced_flag;
        position_ += 9;
        std::copy(std::begin(global_palette_), std::end(global_palette_), palette_);
        if (flags & has_colour_table) {
            const int entries = 2 << (flags & 7);
            if (!has(std::size_t(entries) * 3))
                break;
            read_palette(palette_, entries);
        }
        if (!has(1))
            break;
        const int min_code_size = bytes_[position_++];
        std::vector<std::uint8_t> data;
        const bool complete = read_sub_blocks(&data);
        if (!LzwDecoder::valid_min_code_size(min_code_size))
            break;

        if (canvas_.empty()) {
            canvas_width_ = screen_width ? screen_width : frame.x + frame.width;
            canvas_height_ = screen_height ? screen_height : frame.y + frame.height;
            if (canvas_width_ == 0 || canvas_height_ == 0)
                break;
            frame_cost =
                std::uint64_t(canvas_width_) * std::uint64_t(canvas_height_) * 4 + frame_overhead;
        }
        if ((frames.size() + 1) * frame_cost > max_decoded_bytes) {
            SDL_SetError(
                "GIF: frames of %d x %d need more than 256 MiB", canvas_width_, canvas_height_);
            return nullptr;
        }
        if (canvas_.empty())
            canvas_.assign(std::size_t(canvas_width_) * std::size_t(canvas_height_), 0u);

        dispose_previous();
        if (frame.disposal == restore_previous)
            saved_ = canvas_;
        draw(frame, data, min_code_size);

        OwnedSurface surface(
            SDL_CreateRGBSurfaceWithFormat(0, canvas_width_, canvas_height_, 32, working_format));
        if (!surface)
            return nullptr;
        const std::size_t row = std::size_t(canvas_width_) * 4;
        for (int y = 0; y < canvas_height_; ++y)
            std::memcpy(
                static_cast<std::uint8_t*>(surface->pixels) + std::ptrdiff_t(y) * surface->pitch,
                canvas_.data() + std::ptrdiff_t(y) * canvas_width_, row);
        frames.push_back(std::move(surface));
        delays.push_back(frame.delay_ms);
        previous_ = frame;
        frame = Frame();
        if (first_only || !complete)
            break;
    }
    if (frames.empty()) {
        SDL_SetError("GIF: no image");
        return nullptr;
    }

    std::unique_ptr<IMG_Animation, AnimationFree> animation(
        static_cast<IMG_Animation*>(SDL_calloc(1, sizeof(IMG_Animation))));
    if (!animation) {
        SDL_OutOfMemory();
        return nullptr;
    }
    animation->w = canvas_width_;
    animation->h = canvas_height_;
    animation->frames = static_cast<SDL_Surface**>(SDL_calloc(frames.size(), sizeof(SDL_Surface*)));
    animation->delays = static_cast<int*>(SDL_calloc(frames.size(), sizeof(int)));
    if (!animation->frames || !animation->delays) {
        SDL_OutOfMemory();
        return nullptr;
    }
    animation->count = int(frames.size());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        animation->frames[i] = frames[i].release();
        animation->delays[i] = delays[i];
    }
    return animation.release();
}

} // namespace kivo

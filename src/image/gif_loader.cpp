// GIF images and animations, read through giflib: load_gif (image_loader.h).
#include <gif_lib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <span>
#include <utility>
#include <vector>

#include "image/image_bound.h"
#include "image/image_loader.h"
#include "kivo/surface.h"

namespace kivo {

namespace {

constexpr std::uint32_t black = 0xFF000000;
// The canvas and the copy of it that a frame to be restored keeps, each the size of a frame.
constexpr std::uint64_t kept_canvases = 2;

using OwnedSurface = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

// giflib reads from the bytes not read yet.
int read_input(GifFileType* gif, GifByteType* out, int wanted)
{
    auto& in = *static_cast<std::span<const std::uint8_t>*>(gif->UserData);
    const std::size_t n = std::min(std::size_t(std::max(wanted, 0)), in.size());
    std::memcpy(out, in.data(), n);
    in = in.subspan(n);
    return int(n);
}

// What a graphic control extension says of the image after it.
struct Control {
    int disposal = DISPOSAL_UNSPECIFIED;
    int transparent = NO_TRANSPARENT_COLOR;
    int delay_ms = 100;
};

// Reads the images of an open file in order and composes them on the logical screen.
class Frames {
  public:
    explicit Frames(GifFileType* gif) : gif_(gif) {}

    IMG_Animation* read(bool first_only)
    {
        Control control;
        for (;;) {
            GifRecordType type;
            if (DGifGetRecordType(gif_, &type) == GIF_ERROR || type == TERMINATE_RECORD_TYPE)
                break;
            const bool extension = type == EXTENSION_RECORD_TYPE;
            if (extension && read_extension(control))
                continue;
            if (extension || DGifGetImageDesc(gif_) == GIF_ERROR)
                break;
            const GifImageDesc image = gif_->Image;
            if (!fits(image))
                return nullptr;
            dispose_previous();
            if (control.disposal == DISPOSE_PREVIOUS)
                saved_ = canvas_;
            const bool complete = draw(image, control.transparent);
            OwnedSurface frame(frame_of(canvas_.data(), width_, height_), SDL_FreeSurface);
            if (!frame)
                return nullptr;
            frames_.emplace_back(std::move(frame), control.delay_ms);
            previous_ = image;
            previous_disposal_ = control.disposal;
            control = Control();
            if (first_only || !complete)
                break;
        }
        if (frames_.empty()) {
            SDL_SetError("GIF: no image");
            return nullptr;
        }
        IMG_Animation* animation = new_animation(width_, height_, int(frames_.size()));
        for (std::size_t i = 0; animation && i < frames_.size(); ++i) {
            animation->frames[i] = frames_[i].first.release();
            animation->delays[i] = frames_[i].second;
        }
        return animation;
    }

  private:
    GifFileType* gif_;
    int width_ = 0, height_ = 0;
    std::uint64_t frame_cost_ = 0;
    // The frames read so far, each at the larger of the screen and its own image (all of which
    // giflib decodes, on the screen or not).
    std::uint64_t spent_ = 0;
    std::vector<std::uint32_t> canvas_, saved_;
    // The image before, and how it is disposed of.
    GifImageDesc previous_{};
    int previous_disposal_ = DISPOSAL_UNSPECIFIED;
    std::vector<std::pair<OwnedSurface, int>> frames_; // with their delays

    // Extensions other than the graphic control are passed over.
    bool read_extension(Control& control)
    {
        int code;
        GifByteType* block;
        if (DGifGetExtension(gif_, &code, &block) == GIF_ERROR)
            return false;
        GraphicsControlBlock gcb;
        if (code == GRAPHICS_EXT_FUNC_CODE && block &&
            DGifExtensionToGCB(block[0], block + 1, &gcb) == GIF_OK)
            control = {gcb.DisposalMode, gcb.TransparentColor,
                gcb.DelayTime < 2 ? 100 : gcb.DelayTime * 10};
        while (block)
            if (DGifGetExtensionNext(gif_, &block) == GIF_ERROR)
                return false;
        return true;
    }

    // The rest of an image's data, unread, up to its terminating block.
    bool skip_image_data()
    {
        GifByteType* block = nullptr;
        int status;
        while ((status = DGifGetCodeNext(gif_, &block)) == GIF_OK && block) {
        }
        return status == GIF_OK;
    }

    // Sets the screen up at the first image, and says whether one more frame, beside the canvas the
    // frames are composed on and the copy of it a frame to be restored keeps, stays within
    // image_bound(), an image larger than the screen counted at its own size (if not, the reason is
    // in SDL_GetError()). Nothing is allocated before.
    bool fits(const GifImageDesc& image)
    {
        if (canvas_.empty()) {
            width_ = gif_->SWidth > 0 ? gif_->SWidth : image.Left + image.Width;
            height_ = gif_->SHeight > 0 ? gif_->SHeight : image.Top + image.Height;
            if (width_ <= 0 || height_ <= 0) {
                SDL_SetError("GIF: no image");
                return false;
            }
            frame_cost_ = frame_bytes(std::uint64_t(width_), std::uint64_t(height_));
        }
        // Images larger than the screen count their excess as the decoder's own bytes.
        const std::uint64_t frames = frames_.size() + 1;
        spent_ += std::max(frame_cost_, frame_bytes(image.Width, image.Height));
        if (!within_bound({std::uint64_t(width_), std::uint64_t(height_), frames, kept_canvases,
                              spent_ - frames * frame_cost_},
                0, 0))
            return false;
        if (canvas_.empty())
            canvas_.assign(std::size_t(width_) * std::size_t(height_), 0u);
        return true;
    }

    void dispose_previous()
    {
        if (previous_disposal_ == DISPOSE_PREVIOUS && !saved_.empty()) {
            canvas_.swap(saved_);
        } else if (previous_disposal_ == DISPOSE_BACKGROUND) {
            const int x0 = std::min(previous_.Left, width_);
            const int x1 = std::min(previous_.Left + previous_.Width, width_);
            const int y1 = std::min(previous_.Top + previous_.Height, height_);
            for (int y = previous_.Top; y < y1; ++y)
                std::fill(canvas_.begin() + std::ptrdiff_t(y) * width_ + x0,
                    canvas_.begin() + std::ptrdiff_t(y) * width_ + x1, 0u);
        }
        saved_.clear();
    }

    // Draws the image's rows as giflib decodes them (interlaced ones in their four passes), clipped
    // to the screen. Returns false when its data breaks off: the rows read so far stay drawn.
    bool draw(const GifImageDesc& image, int transparent)
    {
        std::uint32_t palette[256];
        std::fill(std::begin(palette), std::end(palette), black);
        if (const ColorMapObject* map = image.ColorMap ? image.ColorMap : gif_->SColorMap)
            for (int i = 0; i < std::min(map->ColorCount, 256); ++i)
                palette[i] = black | std::uint32_t(map->Colors[i].Red) << 16 |
                             std::uint32_t(map->Colors[i].Green) << 8 | map->Colors[i].Blue;
        if (image.Width <= 0 || image.Height <= 0)
            return skip_image_data();

        static constexpr int first_row[] = {0, 4, 2, 1};
        static constexpr int row_step[] = {8, 8, 4, 2};
        std::vector<GifPixelType> row(std::size_t(image.Width));
        const int visible = std::clamp(width_ - image.Left, 0, image.Width);
        const int passes = image.Interlace ? 4 : 1;
        for (int pass = 0; pass < passes; ++pass) {
            const int step = image.Interlace ? row_step[pass] : 1;
            for (int r = image.Interlace ? first_row[pass] : 0; r < image.Height; r += step) {
                const int y = image.Top + r;
                if (!image.Interlace && y >= height_)
                    return skip_image_data(); // nothing more of it is on the screen
                if (DGifGetLine(gif_, row.data(), image.Width) == GIF_ERROR)
                    return false;
                if (y >= height_ || visible == 0)
                    continue;
                std::uint32_t* out = canvas_.data() + std::ptrdiff_t(y) * width_ + image.Left;
                for (int x = 0; x < visible; ++x)
                    if (row[std::size_t(x)] != transparent)
                        out[x] = palette[row[std::size_t(x)]];
            }
        }
        return true;
    }
};

} // namespace

IMG_Animation* load_gif(const void* bytes, std::size_t size, bool first_only)
{
    std::span<const std::uint8_t> input(static_cast<const std::uint8_t*>(bytes), size);
    int error = D_GIF_SUCCEEDED;
    const std::unique_ptr<GifFileType, void (*)(GifFileType*)> gif(
        DGifOpen(&input, read_input, &error), [](GifFileType* g) { DGifCloseFile(g, nullptr); });
    if (!gif) {
        const char* reason = GifErrorString(error);
        SDL_SetError("GIF: %s", reason ? reason : "cannot be opened");
        return nullptr;
    }
    try {
        return Frames(gif.get()).read(first_only);
    } catch (const std::bad_alloc&) {
        SDL_OutOfMemory();
        return nullptr;
    }
}

} // namespace kivo

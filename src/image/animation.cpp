#include "kivo/animation.h"

#include <utility>

#include "image/blit_plan.h"
#include "image/image_bound.h"
#include "image/image_loader.h"

namespace kivo {

struct SurfaceAdoption {
    static Surface adopt(SDL_Surface* owned) { return Surface(owned); }
};

Animation::Animation(const char* path, int width, int height)
{
    load(path, nullptr, 0, width, height);
}

Animation::Animation(const void* data, unsigned size, int width, int height)
{
    load(nullptr, data, size, width, height);
}

Animation::~Animation()
{
    IMG_FreeAnimation(animation_); // null: nothing
}

// What the source (path null: the bytes) becomes: an animation to keep (two frames or more,
// brought to width x height within the bound; a GIF's frames are counted only as they are read),
// or a still image. The only frame of an animation that holds the still image
// (LoadedAnimation::frame_is_still) becomes it; otherwise the source is loaded again as a still
// Surface: at its natural size when the loader gave nothing. A source that failed for good, or
// whose frames do not fit, is not loaded again but warned about. Frames are converted only when
// the first is not in working_format or another size is asked for; if any frame is missing or
// cannot be converted, the whole animation is dropped and the Animation stays empty.
void Animation::load(const char* path, const void* data, unsigned size, int width, int height)
{
    const auto reload = [=](int w, int h) {
        return path ? Surface(path, w, h) : Surface(data, size, w, h);
    };
    const LoadedAnimation loaded = load_animation({path, data, size}, width, height);
    IMG_Animation* animation = loaded.animation;
    if (!animation && !loaded.still && !loaded.failed_for_good) {
        still_ = reload(0, 0);
        return;
    }
    if (loaded.still || (animation && animation->count < 2)) {
        SDL_Surface* frame = loaded.still ? loaded.still
                             : animation->count == 1 && loaded.frame_is_still
                                 ? std::exchange(animation->frames[0], nullptr)
                                 : nullptr;
        IMG_FreeAnimation(animation); // null: nothing
        still_ = frame ? SurfaceAdoption::adopt(Surface::convert(frame, width, height))
                       : reload(width, height);
        return;
    }
    if (!animation || !within_bound({std::uint64_t(animation->w), std::uint64_t(animation->h),
                                        std::uint64_t(animation->count)},
                          width, height)) {
        IMG_FreeAnimation(animation); // null: nothing
        warn_unloaded(path);
        return;
    }
    const bool same_size =
        (width == 0 && height == 0) || (width == animation->w && height == animation->h);
    const bool convert = !animation->frames[0] ||
                         animation->frames[0]->format->format != working_format || !same_size;
    for (int i = 0; i < animation->count; ++i) {
        if (convert && animation->frames[i])
            animation->frames[i] = Surface::convert(animation->frames[i], width, height);
        if (!animation->frames[i]) {
            IMG_FreeAnimation(animation);
            return;
        }
    }
    plans_.resize(std::size_t(animation->count));
    for (int i = 0; i < animation->count; ++i)
        if (Surface::copy_if_opaque(animation->frames[i]))
            plans_[std::size_t(i)] = std::make_unique<BlitPlan>();
    animation_ = animation;
}

void Animation::advance(int ms)
{
    if (!animation_)
        return;
    const int delay = animation_->delays[current_frame_];
    if (delay < 1)
        return;
    // Every step of this call takes `delay`, however many frames it passes.
    const long long total = (long long)elapsed_ms_ + ms;
    if (total < delay) {
        elapsed_ms_ = int(total);
        return;
    }
    const long long steps = total / delay;
    elapsed_ms_ = int(total % delay);
    current_frame_ =
        Uint32((current_frame_ + (unsigned long long)steps) % Uint32(animation_->count));
}

std::size_t Animation::bytes() const
{
    std::size_t sum = 0;
    for (int i = 0; i < (animation_ ? animation_->count : 1); ++i)
        if (const SDL_Surface* s = animation_ ? animation_->frames[i] : still_.get())
            sum += std::size_t(s->h) * std::size_t(s->pitch);
    return sum;
}

SDL_Surface* Animation::frame() const
{
    return animation_ ? animation_->frames[current_frame_] : still_.get();
}

BlitPlan* Animation::plan() const
{
    return animation_ ? plans_[current_frame_].get() : still_.plan();
}

} // namespace kivo

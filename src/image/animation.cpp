#include "kivo/animation.h"

#include <utility>

#include "image/blit_plan.h"
#include "image/image_bound.h"
#include "image/image_loader.h"

namespace kivo {

struct SurfaceAdoption {
    static Surface adopt(SDL_Surface* owned) { return Surface(owned); }
};

namespace {

// What a loaded source becomes: an animation to keep (two frames or more, brought to width x
// height within the bound; a GIF's frames are counted only as they are read), or a still image.
// The only frame of an animation that holds the still image (LoadedAnimation::frame_is_still)
// becomes it; otherwise `load(w, h)` loads the source again as a still Surface: at its natural
// size when the loader gave nothing. A source that failed for good, or whose frames do not fit,
// is not loaded again but warned about (path null: from memory).
template <typename Load>
std::pair<IMG_Animation*, Surface> settle(
    const LoadedAnimation& loaded, int width, int height, const char* path, Load load)
{
    IMG_Animation* animation = loaded.animation;
    if (!animation && !loaded.still && !loaded.failed_for_good)
        return {nullptr, load(0, 0)};
    if (loaded.still || (animation && animation->count < 2)) {
        SDL_Surface* frame = loaded.still ? loaded.still
                             : animation->count == 1 && loaded.frame_is_still
                                 ? std::exchange(animation->frames[0], nullptr)
                                 : nullptr;
        IMG_FreeAnimation(animation); // null: nothing
        return {nullptr, frame ? SurfaceAdoption::adopt(Surface::convert(frame, width, height))
                               : load(width, height)};
    }
    if (animation && within_bound({std::uint64_t(animation->w), std::uint64_t(animation->h),
                                      std::uint64_t(animation->count)},
                         width, height))
        return {animation, Surface()};
    IMG_FreeAnimation(animation); // null: nothing
    warn_unloaded(path);
    return {nullptr, Surface()};
}

} // namespace

Animation::Animation(const char* path, int width, int height)
{
    auto [kept, still] = settle(load_animation(path, width, height), width, height, path,
        [path](int w, int h) { return Surface(path, w, h); });
    still_ = std::move(still);
    if (kept)
        keep_animation(kept, width, height);
}

Animation::Animation(const void* data, unsigned size, int width, int height)
{
    auto [kept, still] = settle(load_animation(data, size, width, height), width, height, nullptr,
        [=](int w, int h) { return Surface(data, size, w, h); });
    still_ = std::move(still);
    if (kept)
        keep_animation(kept, width, height);
}

Animation::~Animation()
{
    if (animation_)
        IMG_FreeAnimation(animation_);
}

// Frames are converted only when the first is not in working_format or another size is asked for.
// If any frame is missing or cannot be converted, the whole animation is dropped and the Animation
// stays empty.
void Animation::keep_animation(IMG_Animation* loaded, int width, int height)
{
    const bool same_size =
        (width == 0 && height == 0) || (width == loaded->w && height == loaded->h);
    const bool convert =
        !loaded->frames[0] || loaded->frames[0]->format->format != working_format || !same_size;
    for (int i = 0; i < loaded->count; ++i) {
        if (convert && loaded->frames[i])
            loaded->frames[i] = Surface::convert(loaded->frames[i], width, height);
        if (!loaded->frames[i]) {
            IMG_FreeAnimation(loaded);
            return;
        }
    }
    plans_.resize(std::size_t(loaded->count));
    for (int i = 0; i < loaded->count; ++i)
        if (Surface::copy_if_opaque(loaded->frames[i]))
            plans_[std::size_t(i)] = std::make_unique<BlitPlan>();
    animation_ = loaded;
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
    const auto of = [](const SDL_Surface* s) {
        return s ? std::size_t(s->h) * std::size_t(s->pitch) : 0;
    };
    if (!animation_)
        return of(still_.get());
    std::size_t sum = 0;
    for (int i = 0; i < animation_->count; ++i)
        sum += of(animation_->frames[i]);
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

#include "kivo/renderer.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <vector>

#include "image/image_bound.h"
#include "kivo/base64.h"
#include "render/coords.h"

namespace kivo {

namespace {

constexpr auto max_idle = std::chrono::seconds(600);

// Resolves a reference: "file://<path>", "data://<base64>", "image://<name>" or a bare name,
// names meaning "app/share/marvo/images/<kind>/<name>.webp".
Animation load_image(const char* kind, const std::string& ref, int width, int height)
{
    if (ref.starts_with("file://"))
        return Animation(ref.c_str() + 7, width, height);
    if (ref.starts_with("data://")) {
        const std::string bytes = base64::decode_into<std::string>(std::string_view(ref).substr(7));
        return Animation(bytes.data(), static_cast<unsigned>(bytes.size()), width, height);
    }
    const char* name = ref.starts_with("image://") ? ref.c_str() + 8 : ref.c_str();
    char path[4096];
    std::snprintf(path, sizeof path, "app/share/marvo/images/%s/%s.webp", kind, name);
    return Animation(path, width, height);
}

} // namespace

Renderer::CachedImage::CachedImage(const char* kind, const std::string& ref, int width, int height)
    : image(load_image(kind, ref, width, height)), bytes(image.bytes())
{
}

// try_emplace builds the entry inside its node before linking it in, so a load that throws
// leaves the map as it was.
Animation& Renderer::get_image(const char* kind, const std::string& ref, int width, int height)
{
    auto it = cache_.find(ref);
    if (it == cache_.end()) {
        it = cache_.try_emplace(ref, kind, ref, width, height).first;
        cache_bytes_ += it->second.bytes;
        ++cache_generation_;
    }
    it->second.last_used = frame_time_;
    it->second.round = cache_round_;
    return it->second.image;
}

// Every drop changes cache_generation_, so that the frame drawn next is drawn in full
// and no image remembered from before can be taken for one loaded later at the same address. The
// entries the last draw looked up are never dropped here: what it drew names them.
void Renderer::clear_cache()
{
    const auto limit = std::chrono::steady_clock::now() - max_idle;
    const std::size_t entries = cache_.size();
    const auto drop = [&](auto it) {
        cache_bytes_ -= it->second.bytes;
        return cache_.erase(it);
    };
    for (auto it = cache_.begin(); it != cache_.end();)
        it = it->second.last_used < limit ? drop(it) : std::next(it);
    if (cache_bytes_ > image_bound()) {
        // Over the ceiling: the least recently used of the others go first.
        std::vector<decltype(cache_)::iterator> idle;
        for (auto it = cache_.begin(); it != cache_.end(); ++it)
            if (it->second.round != cache_round_)
                idle.push_back(it);
        std::ranges::sort(idle, std::ranges::less{}, [](auto it) { return it->second.last_used; });
        for (auto it = idle.begin(); it != idle.end() && cache_bytes_ > image_bound(); ++it)
            drop(*it);
    }
    if (cache_.size() != entries)
        ++cache_generation_;
    ++cache_round_;
}

void Renderer::draw_background(const std::string& ref, int x)
{
    Animation& image = get_image("background", ref, target_->w, target_->h);
    if (!image.empty())
        draw_at(image, x, 0);
}

void Renderer::draw_icon(const std::string& ref, int x)
{
    Animation& image = get_image("icon", ref, 0, 0);
    if (const SDL_Surface* frame = image.frame())
        draw_at(image, coords::centred(x, target_->w, frame->w, 0),
            coords::saturate(std::int64_t{config_.icon_center_y} - frame->h / 2));
}

} // namespace kivo

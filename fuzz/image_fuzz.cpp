// Image bytes into Animation: directly from memory, from a file, and through the renderer's
// cache as a "data://" background or icon. Whatever the bytes, the result is an empty image (with
// its warning) or one that keeps the Animation invariants, and drawing it never faults.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "display.h"
#include "input.h"
#include "image/image_bound.h"
#include "kivo/animation.h"

namespace {

// The Animation's own promises: a kept animation has at least two frames, all present, in the
// working format, at the requested size, and the current frame is one of them.
void check(const kivo::Animation& a, int width, int height)
{
    if (const IMG_Animation* anim = a.animation()) {
        if (a.still())
            fuzz::fail("both a still image and an animation");
        if (anim->count < 2)
            fuzz::fail("animation of fewer than two frames");
        if (a.current_frame() >= Uint32(anim->count))
            fuzz::fail("current frame out of range");
        for (int i = 0; i < anim->count; ++i) {
            const SDL_Surface* f = anim->frames[i];
            if (!f)
                fuzz::fail("missing frame");
            if (f->format->format != kivo::working_format)
                fuzz::fail("frame not in the working format");
            if ((width && f->w != width) || (height && f->h != height))
                fuzz::fail("frame not at the requested size");
        }
    }
    if (a.empty() != (a.frame() == nullptr))
        fuzz::fail("empty() disagrees with frame()");
}

void exercise(kivo::Animation& a, fuzz::Input& in, int width, int height)
{
    check(a, width, height);
    for (int i = 0; i < 4; ++i) {
        a.advance(in.take<std::int32_t>() & 0x7fffffff); // the renderer never passes less than 0
        check(a, width, height);
    }
}

std::string temp_path()
{
    return "/tmp/kivo_image_fuzz_" + std::to_string(getpid());
}

} // namespace

// The image bound the target runs with (scripts/fuzz.sh gives libFuzzer the same allocation
// limit): small, so that images just within it are decoded well inside the time limit.
constexpr std::uint64_t fuzz_image_bound = std::uint64_t{16} << 20;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    kivo::set_image_bound(fuzz_image_bound);
    fuzz::start();
    const ConfigRecord config = fuzz::base_config();
    kivo_create_window(48, 32, &config);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The parameters come from the last bytes, so that an image file is a seed as it stands.
    const auto from_end = [&](std::size_t i) { return i < size ? data[size - 1 - i] : 0; };
    const std::uint8_t flags = from_end(0);
    const int width = from_end(1) % 65;
    const int height = from_end(2) % 65;
    fuzz::Input in(data, size);
    fuzz::Input params(data, size < 48 ? size : 48); // advance steps, read from the same bytes
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    {
        kivo::Animation a(bytes.data(), unsigned(bytes.size()), width, height);
        exercise(a, params, width, height);
    }
    if (flags & 1) {
        const std::string path = temp_path();
        if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        kivo::Animation a(path.c_str(), width, height);
        exercise(a, params, width, height);
        std::remove(path.c_str());
    }

    // Through the cache: a background is stretched to the surface, an icon keeps its size.
    const std::string ref = "data://" + fuzz::base64_encode(bytes);
    LabelRecord icon{};
    icon.kind = KIVO_LABEL_ICON;
    icon.x = in.coordinate();
    icon.y = in.coordinate();
    icon.width = in.coordinate();
    icon.height = in.coordinate();
    icon.text = ref.c_str();
    const bool as_background = flags & 2;
    kivo_set_screen(0, as_background ? ref.c_str() : nullptr, flags & 4 ? ref.c_str() : nullptr,
        &icon, flags & 8 ? 1 : 0, 0, 0, 0);
    for (int frame = 0; frame < 3; ++frame) {
        kivo_present(frame == 2 ? in.coordinate() : 0);
        fuzz::advance_ms(in.byte() * 7);
    }
    if (kivo::state::renderer->cache_size() > 1)
        fuzz::fail("one reference made more than one cache entry");
    kivo_set_screen(0, nullptr, nullptr, nullptr, 0, 0, 0, 0);
    fuzz::expire_cache();
    return 0;
}

#pragma once
// The 33 images the library loads at start-up, below "app/share/marvo/images/".

#include <cairo.h>

#include <array>

namespace assetgen {

struct FixedAsset {
    const char* path; // below "app/share/marvo/images/"
    int width, height;
    void (*draw)(cairo_t* cr, int width, int height);
};

extern const std::array<FixedAsset, 33> fixed_assets;

} // namespace assetgen

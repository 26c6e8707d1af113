// kivo::Config: the renderer's configuration, fixed for its life.
#pragma once

#include <cstdint>
#include <string>

#include "kivo/screen.h"

namespace kivo {

struct Config {
    std::uint8_t flavour = 0;
    std::string font0;
    std::string font1;
    std::string font2;
    std::string font3;
    std::int32_t label_offset_y = 0;
    std::int32_t qr_border = 0;
    std::int32_t icon_center_y = 0;
    std::int32_t reserved = 0;
    std::int32_t carousel_y = 0;
    std::int32_t carousel_spacing = 0;
    float slider_start_angle = 0;
    float slider_sweep_angle = 0;
    Color slider_value_color;
    Color slider_band_color;
    Color slider_marker_color;
};

} // namespace kivo

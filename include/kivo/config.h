// kivo::Config: the renderer's configuration, fixed for its life.
#pragma once

#include <cstdint>
#include <string>

#include "kivo/screen.h"

namespace kivo {

struct Config {
    std::uint8_t flavour = 0;
    std::string font0, font1, font2, font3;
    std::int32_t label_offset_y = 0, qr_border = 0, icon_center_y = 0, reserved = 0;
    std::int32_t carousel_y = 0, carousel_spacing = 0;
    float slider_start_angle = 0, slider_sweep_angle = 0;
    Color slider_value_color, slider_band_color, slider_marker_color;
};

} // namespace kivo

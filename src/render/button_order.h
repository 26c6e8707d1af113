// The order of the buttons: hit tests walk it forwards, drawing walks it backwards.
#pragma once

#include "kivo/screen.h"

namespace kivo {

inline constexpr ButtonFlag button_order[] = {
    ButtonFlag::Ok,
    ButtonFlag::Back,
    ButtonFlag::BackAlt,
    ButtonFlag::Back,
    ButtonFlag::Menu,
    ButtonFlag::Close,
    ButtonFlag::Help,
    ButtonFlag::Fast,
    ButtonFlag::Smart,
    ButtonFlag::Left,
    ButtonFlag::Right,
    ButtonFlag::Frame,
};

} // namespace kivo

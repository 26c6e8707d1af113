// The buttons and the carousel as the renderer draws them and its fast path lists them.
#pragma once

#include <cstdint>

#include <SDL2/SDL.h>

#include "kivo/screen.h"

namespace kivo {

class Renderer;

// The order of the buttons: hit tests walk it forwards, drawing walks it backwards.
inline constexpr ButtonFlag button_order[] = {ButtonFlag::Ok, ButtonFlag::Back, ButtonFlag::BackAlt,
    ButtonFlag::Back, ButtonFlag::Menu, ButtonFlag::Close, ButtonFlag::Help, ButtonFlag::Fast,
    ButtonFlag::Smart, ButtonFlag::Left, ButtonFlag::Right, ButtonFlag::Frame};

// Whether every button of mask has an image in the flavour (Renderer::image_rect does not throw).
bool buttons_drawable(std::uint8_t flavour, int mask);

// The rectangle of a surface of width W and height H that the carousel's dots may touch.
SDL_Rect carousel_bounds(const Renderer& r, int W, int H, const CarouselPos& pos);

} // namespace kivo

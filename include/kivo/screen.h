// The screen model: what the host describes and the renderer draws. Plain value types.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "kivo/export.h"

namespace kivo {

enum class LabelKind : std::uint8_t { Text = 0, Icon = 1, Qr = 2, Slider = 3 };

enum class LabelAlign : std::uint8_t { Center = 0, Left = 1, Right = 2 };

// Bits of Label::style. Only the lowest set background bit (0x0002 upwards) is drawn.
enum LabelStyle : std::uint32_t {
    Markup = 0x0001,
    BlankButton = 0x0002,
    FastButton = 0x0004,
    SmartButton = 0x0008,
    NarrowButton = 0x0010,
    AvailableButton = 0x0020,
    ReservedButton = 0x0040,
    ChargingButton = 0x0080,
    FaultedButton = 0x0100,
    GreyButton = 0x0200,
    WhiteButton = 0x0400,
    TallButton = 0x0800,
    FullBullet = 0x1000,
    EmptyBullet = 0x2000,
};

enum class ButtonFlag : std::uint16_t {
    Ok = 0x0001,
    Back = 0x0002,
    BackAlt = 0x0004,
    Menu = 0x0008,
    Close = 0x0010,
    Help = 0x0020,
    Fast = 0x0040,
    Smart = 0x0080,
    Left = 0x0100,
    Right = 0x0200,
    Frame = 0x0400,
};

struct Color {
    std::uint8_t r = 0, g = 0, b = 0, a = 0;
    bool operator==(const Color&) const = default;
};

// One label. kind, align, font and style hold whatever the host gave, known values or not.
struct Label {
    std::int32_t x = 0, y = 0, width = 0, height = 0;
    Color color;
    std::string text;
    float value = 0, band_value = 0, marker_value = 0;
    LabelKind kind = LabelKind::Text;
    LabelAlign align = LabelAlign::Center;
    std::uint8_t font = 0;
    std::uint32_t style = 0;
    std::uint32_t id = 0;
};

struct CarouselPos {
    std::int32_t current = 0, count = 0;
};

// One screen: an empty (default) screen has nothing and draws nothing.
struct ScreenDef {
    std::optional<std::string> background, icon;
    std::optional<CarouselPos> carousel;
    std::vector<Label> labels;
    std::int32_t buttons = 0;
};

} // namespace kivo

// The screen family of exported functions.
#include <stdexcept>
#include <string>

#include "capi/state.h"
#include "kivo/kivo.h"

namespace {

// Throws std::logic_error for a null text, leaving the target label as it was.
void convert_label(const LabelRecord& record, kivo::Label& label)
{
    std::string text(record.text);
    label.x = record.x;
    label.y = record.y;
    label.width = record.width;
    label.height = record.height;
    label.color = {record.r, record.g, record.b, record.a};
    label.text = std::move(text);
    label.value = record.value;
    label.band_value = record.band_value;
    label.marker_value = record.marker_value;
    label.kind = static_cast<kivo::LabelKind>(record.kind);
    label.align = static_cast<kivo::LabelAlign>(record.align);
    label.font = record.font;
    label.style = record.style;
    label.id = record.id;
}

} // namespace

extern "C" KIVO_API void kivo_set_screen(uint32_t slot, const char* background, const char* icon,
    const LabelRecord* labels, uint32_t label_count, uint32_t carousel_current,
    uint32_t carousel_count, uint16_t buttons)
{
    // std::array::at gives the out-of-range message: "array::at: __n (which is 2) >= _Nm ..."
    kivo::ScreenDef& screen = kivo::state::screens.at(slot);
    if (!labels && label_count != 0)
        throw std::logic_error("kivo_set_screen: null labels with a non-zero count");

    if (background)
        screen.background = background;
    else
        screen.background.reset();
    if (icon)
        screen.icon = icon;
    else
        screen.icon.reset();

    screen.labels.resize(label_count);
    for (uint32_t i = 0; i < label_count; ++i)
        convert_label(labels[i], screen.labels[i]);

    if (carousel_count > carousel_current)
        screen.carousel = kivo::CarouselPos{
            static_cast<int32_t>(carousel_current), static_cast<int32_t>(carousel_count)};
    else
        screen.carousel.reset();
    screen.buttons = buttons;
}

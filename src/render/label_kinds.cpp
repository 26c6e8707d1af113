// Each kind of label as the full redraw draws it and as the fast path lists it: a new kind is a
// case in both switches here, a value of what it shows in elements.h, and its drawer.
#include <bit>

#include "render/slider_geometry.h"
#include "render/tracker.h"

namespace kivo {

void draw_label(const Canvas& c, const Label& label, int offset)
{
    switch (label.kind) {
    case LabelKind::Text:
        return c.renderer.draw_text_label(label, offset);
    case LabelKind::Icon:
        return c.renderer.draw_icon_label(label, offset);
    case LabelKind::Qr:
        return c.renderer.draw_qr_label(label, offset);
    case LabelKind::Slider:
        return c.renderer.draw_slider_label(label, offset);
    } // a kind of no case here is stored and hit-tested, never drawn
}

void Tracker::label(const Label& label, int offset)
{
    switch (label.kind) {
    case LabelKind::Text: {
        // The style's image is an element of its own: a new text leaves it as it was.
        if (const auto [image, at] = style_image(c_->renderer, label, offset); image)
            add_image(image->get(), image->plan(), at.x, at.y);
        const std::size_t slot = listed_texts_++;
        const SDL_Rect& ink = text_slots_[slot].ink;
        const TextCorner corner(label, offset);
        add(ShownText{slot, text_slots_[slot].version, corner.left, label.y, label.color,
                corner.shown},
            corner.left + ink.x, corner.top + ink.y, corner.shown ? ink.w : 0, ink.h);
        break;
    }
    case LabelKind::Icon: {
        Animation& image = c_->renderer.get_image("icon", label.text, 0, 0);
        if (const SDL_Surface* frame = image.frame()) {
            const SDL_Point at = icon_corner(label, offset, *frame);
            add_animation(image, at.x, at.y);
        }
        break;
    }
    case LabelKind::Qr: {
        const std::size_t slot = listed_qrs_++;
        const int left = coords::saturate(std::int64_t{label.x} + offset);
        const Color& c = label.color;
        add(ShownQr{slot, qr_slots_[slot].version, left, label.y, label.width, label.height, c.r,
                c.g, c.b},
            left, label.y, label.width > 0 && label.height > 0 ? label.width : 0, label.height,
            &label, offset);
        break;
    }
    case LabelKind::Slider: {
        const SliderGeometry gauge(label, offset);
        const auto bits = [](float v) { return std::bit_cast<std::uint32_t>(v); };
        add(ShownSlider{{std::int64_t{label.x} + offset, label.y, label.width, label.height,
                            label.color},
                bits(label.band_value), bits(label.value), bits(label.marker_value)},
            gauge.left(), gauge.top(), gauge.side(), gauge.side(), &label, offset);
        break;
    }
    }
}

} // namespace kivo

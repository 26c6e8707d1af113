// The Pango alignment of a text label.
#pragma once

#include <pango/pango-layout.h>

#include "kivo/screen.h"

namespace kivo {

// The label's own alignment; a value that names none keeps carried, the alignment the shared
// layout has from the text label before.
inline PangoAlignment pango_alignment(LabelAlign align, PangoAlignment carried)
{
    switch (align) {
    case LabelAlign::Center:
        return PANGO_ALIGN_CENTER;
    case LabelAlign::Left:
        return PANGO_ALIGN_LEFT;
    case LabelAlign::Right:
        return PANGO_ALIGN_RIGHT;
    }
    return carried;
}

} // namespace kivo

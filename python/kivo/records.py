"""The exported records and constants of kivo.h, as ctypes declarations.

Each record's size and member offsets are checked at import against the layout the C header
gives: on 32-bit targets (the ARM board) ConfigRecord is 64 bytes, LabelRecord 48 and
EventRecord 20; on 64-bit hosts the natural layout of the same declarations. A Python that lays
the records out otherwise cannot talk to the library, so the import fails.
"""

import ctypes
import enum
from ctypes import c_char_p, c_float, c_int32, c_uint8, c_uint16, c_uint32
from typing import Dict, List, Optional, Tuple, Type


def _name(self: enum.Enum) -> str:
    """Button.OK, Style.MARKUP|Style.AVAILABLE_BUTTON: how the values print, in logs too."""
    cls = type(self).__name__
    return "|".join(f"{cls}.{part}" for part in (self.name or str(self.value)).split("|"))


class LabelKind(enum.IntEnum):
    """What a label is (LabelRecord.kind)."""

    TEXT = 0
    ICON = 1
    QR = 2
    SLIDER = 3
    __repr__ = __str__ = _name


class Align(enum.IntEnum):
    """How a text label's lines sit in its box (LabelRecord.align)."""

    CENTER = 0
    LEFT = 1
    RIGHT = 2
    __repr__ = __str__ = _name


class Style(enum.IntFlag):
    """Text label style bits (LabelRecord.style): MARKUP, and the background image drawn under
    the text, of which only the lowest set bit counts. Each image is drawn at its own size,
    centred on the label's box (shifted down by Config.label_offset_y), whatever the box's size:

        BLANK_BUTTON, FAST_BUTTON, SMART_BUTTON       240 x 64
        NARROW_BUTTON                                 180 x 64
        AVAILABLE_, RESERVED_, CHARGING_, FAULTED_,
        GREY_ and WHITE_BUTTON                        220 x 56
        TALL_BUTTON                                   200 x 72
        FULL_BULLET, EMPTY_BULLET                      16 x 16

    Only the box answers taps, not the image: a 220 x 34 box under a 220 x 56 pill leaves 11
    rows at the pill's top and bottom dead to the finger. Label.pill() makes the box the size of
    the image."""

    NONE = 0
    MARKUP = 0x0001
    BLANK_BUTTON = 0x0002
    FAST_BUTTON = 0x0004
    SMART_BUTTON = 0x0008
    NARROW_BUTTON = 0x0010
    AVAILABLE_BUTTON = 0x0020
    RESERVED_BUTTON = 0x0040
    CHARGING_BUTTON = 0x0080
    FAULTED_BUTTON = 0x0100
    GREY_BUTTON = 0x0200
    WHITE_BUTTON = 0x0400
    TALL_BUTTON = 0x0800
    FULL_BULLET = 0x1000
    EMPTY_BULLET = 0x2000
    __repr__ = __str__ = _name


# The size (width, height) of each style's background image.
STYLE_IMAGE_SIZES: Dict[Style, Tuple[int, int]] = {
    Style.BLANK_BUTTON: (240, 64),
    Style.FAST_BUTTON: (240, 64),
    Style.SMART_BUTTON: (240, 64),
    Style.NARROW_BUTTON: (180, 64),
    Style.AVAILABLE_BUTTON: (220, 56),
    Style.RESERVED_BUTTON: (220, 56),
    Style.CHARGING_BUTTON: (220, 56),
    Style.FAULTED_BUTTON: (220, 56),
    Style.GREY_BUTTON: (220, 56),
    Style.WHITE_BUTTON: (220, 56),
    Style.TALL_BUTTON: (200, 72),
    Style.FULL_BULLET: (16, 16),
    Style.EMPTY_BULLET: (16, 16),
}


def style_image(style: int) -> Optional[Style]:
    """The style bit whose image is drawn under a text label of this style, or None."""
    for bit in STYLE_IMAGE_SIZES:
        if style & bit:
            return bit
    return None


class Button(enum.IntFlag):
    """The buttons (the buttons mask of a screen, Event.button), each drawn at its image's size
    flush with a corner or edge of the surface: OK bottom right, BACK and BACK_ALT bottom left,
    MENU top right (bottom right in flavour 2), CLOSE, HELP, FAST and SMART top right, LEFT and
    RIGHT at the middle of the left and right edges, FRAME top left."""

    NONE = 0
    OK = 0x0001
    BACK = 0x0002
    BACK_ALT = 0x0004
    MENU = 0x0008
    CLOSE = 0x0010
    HELP = 0x0020
    FAST = 0x0040
    SMART = 0x0080
    LEFT = 0x0100
    RIGHT = 0x0200
    FRAME = 0x0400
    __repr__ = __str__ = _name


class EventKind(enum.IntEnum):
    """What happened (EventRecord.kind)."""

    QUIT = 0
    MOTION = 1
    RELEASE = 2
    PRESS = 3
    USER = 4
    __repr__ = __str__ = _name


# The flat names of kivo.h, without the KIVO_ prefix.
LABEL_TEXT = LabelKind.TEXT
LABEL_ICON = LabelKind.ICON
LABEL_QR = LabelKind.QR
LABEL_SLIDER = LabelKind.SLIDER
ALIGN_CENTER = Align.CENTER
ALIGN_LEFT = Align.LEFT
ALIGN_RIGHT = Align.RIGHT
STYLE_MARKUP = Style.MARKUP
STYLE_BLANK_BUTTON = Style.BLANK_BUTTON
STYLE_FAST_BUTTON = Style.FAST_BUTTON
STYLE_SMART_BUTTON = Style.SMART_BUTTON
STYLE_NARROW_BUTTON = Style.NARROW_BUTTON
STYLE_AVAILABLE_BUTTON = Style.AVAILABLE_BUTTON
STYLE_RESERVED_BUTTON = Style.RESERVED_BUTTON
STYLE_CHARGING_BUTTON = Style.CHARGING_BUTTON
STYLE_FAULTED_BUTTON = Style.FAULTED_BUTTON
STYLE_GREY_BUTTON = Style.GREY_BUTTON
STYLE_WHITE_BUTTON = Style.WHITE_BUTTON
STYLE_TALL_BUTTON = Style.TALL_BUTTON
STYLE_FULL_BULLET = Style.FULL_BULLET
STYLE_EMPTY_BULLET = Style.EMPTY_BULLET
BUTTON_OK = Button.OK
BUTTON_BACK = Button.BACK
BUTTON_BACK_ALT = Button.BACK_ALT
BUTTON_MENU = Button.MENU
BUTTON_CLOSE = Button.CLOSE
BUTTON_HELP = Button.HELP
BUTTON_FAST = Button.FAST
BUTTON_SMART = Button.SMART
BUTTON_LEFT = Button.LEFT
BUTTON_RIGHT = Button.RIGHT
BUTTON_FRAME = Button.FRAME
EVENT_QUIT = EventKind.QUIT
EVENT_MOTION = EventKind.MOTION
EVENT_RELEASE = EventKind.RELEASE
EVENT_PRESS = EventKind.PRESS
EVENT_USER = EventKind.USER


class ConfigRecord(ctypes.Structure):
    """Renderer configuration, read only during kivo_create_window."""

    _fields_ = [
        ("flavour", c_uint8),
        ("font0", c_char_p),
        ("font1", c_char_p),
        ("font2", c_char_p),
        ("font3", c_char_p),
        ("label_offset_y", c_int32),
        ("qr_border", c_int32),
        ("icon_center_y", c_int32),
        ("reserved", c_int32),
        ("carousel_y", c_int32),
        ("carousel_spacing", c_int32),
        ("slider_start_angle", c_float),
        ("slider_sweep_angle", c_float),
        ("slider_value_color", c_uint8 * 4),
        ("slider_band_color", c_uint8 * 4),
        ("slider_marker_color", c_uint8 * 4),
    ]


class LabelRecord(ctypes.Structure):
    """One label of a screen; text must never be null."""

    _fields_ = [
        ("x", c_int32),
        ("y", c_int32),
        ("width", c_int32),
        ("height", c_int32),
        ("r", c_uint8),
        ("g", c_uint8),
        ("b", c_uint8),
        ("a", c_uint8),
        ("text", c_char_p),
        ("value", c_float),
        ("band_value", c_float),
        ("marker_value", c_float),
        ("kind", c_uint8),
        ("align", c_uint8),
        ("font", c_uint8),
        ("style", c_uint16),
        ("id", c_uint32),
    ]


class EventRecord(ctypes.Structure):
    """One event, as kivo_poll_events writes it and kivo_push_event reads it."""

    _fields_ = [
        ("kind", c_uint8),
        ("x", c_int32),
        ("y", c_int32),
        ("button", c_uint16),
        ("label", c_uint32),
    ]


# What the C compiler makes of kivo.h: (record, member, offset with 4-byte pointers, offset with
# 8-byte pointers); a member of None stands for the record's size.
LAYOUT: Tuple[Tuple[str, Optional[str], int, int], ...] = (
    ("ConfigRecord", None, 64, 88),
    ("ConfigRecord", "flavour", 0, 0),
    ("ConfigRecord", "font0", 4, 8),
    ("ConfigRecord", "font1", 8, 16),
    ("ConfigRecord", "font2", 12, 24),
    ("ConfigRecord", "font3", 16, 32),
    ("ConfigRecord", "label_offset_y", 20, 40),
    ("ConfigRecord", "qr_border", 24, 44),
    ("ConfigRecord", "icon_center_y", 28, 48),
    ("ConfigRecord", "reserved", 32, 52),
    ("ConfigRecord", "carousel_y", 36, 56),
    ("ConfigRecord", "carousel_spacing", 40, 60),
    ("ConfigRecord", "slider_start_angle", 44, 64),
    ("ConfigRecord", "slider_sweep_angle", 48, 68),
    ("ConfigRecord", "slider_value_color", 52, 72),
    ("ConfigRecord", "slider_band_color", 56, 76),
    ("ConfigRecord", "slider_marker_color", 60, 80),
    ("LabelRecord", None, 48, 56),
    ("LabelRecord", "x", 0, 0),
    ("LabelRecord", "y", 4, 4),
    ("LabelRecord", "width", 8, 8),
    ("LabelRecord", "height", 12, 12),
    ("LabelRecord", "r", 16, 16),
    ("LabelRecord", "g", 17, 17),
    ("LabelRecord", "b", 18, 18),
    ("LabelRecord", "a", 19, 19),
    ("LabelRecord", "text", 20, 24),
    ("LabelRecord", "value", 24, 32),
    ("LabelRecord", "band_value", 28, 36),
    ("LabelRecord", "marker_value", 32, 40),
    ("LabelRecord", "kind", 36, 44),
    ("LabelRecord", "align", 37, 45),
    ("LabelRecord", "font", 38, 46),
    ("LabelRecord", "style", 40, 48),
    ("LabelRecord", "id", 44, 52),
    ("EventRecord", None, 20, 20),
    ("EventRecord", "kind", 0, 0),
    ("EventRecord", "x", 4, 4),
    ("EventRecord", "y", 8, 8),
    ("EventRecord", "button", 12, 12),
    ("EventRecord", "label", 16, 16),
)

RECORDS: Dict[str, Type[ctypes.Structure]] = {
    cls.__name__: cls for cls in (ConfigRecord, LabelRecord, EventRecord)
}


def layout_mismatches() -> List[str]:
    """Where ctypes lays the records out otherwise than the C compiler: a list of lines, empty
    when they agree."""
    pointer = ctypes.sizeof(ctypes.c_void_p)
    if pointer not in (4, 8):
        return [f"{pointer}-byte pointers: no known layout"]
    column = 2 if pointer == 4 else 3
    problems: List[str] = []
    for record, fields in ((n, {f[0] for f in c._fields_}) for n, c in RECORDS.items()):
        listed = {row[1] for row in LAYOUT if row[0] == record and row[1]}
        if listed != fields:
            problems.append(f"{record}: members {sorted(fields ^ listed)} not in both lists")
    for row in LAYOUT:
        cls = RECORDS[row[0]]
        actual = ctypes.sizeof(cls) if row[1] is None else getattr(cls, row[1]).offset
        if actual != row[column]:
            what = f"sizeof {row[0]}" if row[1] is None else f"{row[0]}.{row[1]}"
            problems.append(f"{what} is {actual}, expected {row[column]}")
    return problems


ENUMS = [LabelKind, Align, Style, Button, EventKind]
__all__ = [
    "ALIGN_CENTER", "ALIGN_LEFT", "ALIGN_RIGHT", "BUTTON_BACK", "BUTTON_BACK_ALT",
    "BUTTON_CLOSE", "BUTTON_FAST", "BUTTON_FRAME", "BUTTON_HELP", "BUTTON_LEFT", "BUTTON_MENU",
    "BUTTON_OK", "BUTTON_RIGHT", "BUTTON_SMART", "ENUMS", "EVENT_MOTION", "EVENT_PRESS",
    "EVENT_QUIT", "EVENT_RELEASE", "EVENT_USER", "LABEL_ICON", "LABEL_QR", "LABEL_SLIDER",
    "LABEL_TEXT", "LAYOUT", "RECORDS", "STYLE_AVAILABLE_BUTTON", "STYLE_BLANK_BUTTON",
    "STYLE_CHARGING_BUTTON", "STYLE_EMPTY_BULLET", "STYLE_FAST_BUTTON", "STYLE_FAULTED_BUTTON",
    "STYLE_FULL_BULLET", "STYLE_GREY_BUTTON", "STYLE_IMAGE_SIZES", "STYLE_MARKUP",
    "STYLE_NARROW_BUTTON", "STYLE_RESERVED_BUTTON", "STYLE_SMART_BUTTON", "STYLE_TALL_BUTTON",
    "STYLE_WHITE_BUTTON", "ConfigRecord", "LabelRecord", "EventRecord", "LabelKind", "Align",
    "Style", "Button", "EventKind", "style_image"
]

_problems = layout_mismatches()
if _problems:
    raise ImportError("kivo: records laid out unlike kivo.h: " + "; ".join(_problems))

"""The exported records and constants of kivo.h, as ctypes declarations.

Each record's size and member offsets are checked at import against the layout the C header
gives: on 32-bit targets (the ARM board) ConfigRecord is 64 bytes, LabelRecord 48 and
EventRecord 20; on 64-bit hosts the natural layout of the same declarations. A Python that lays
the records out otherwise cannot talk to the library, so the import fails.
"""

import ctypes
from ctypes import c_char_p, c_float, c_int32, c_uint8, c_uint16, c_uint32

# Label kinds (LabelRecord.kind).
LABEL_TEXT = 0
LABEL_ICON = 1
LABEL_QR = 2
LABEL_SLIDER = 3

# Text alignment (LabelRecord.align).
ALIGN_CENTER = 0
ALIGN_LEFT = 1
ALIGN_RIGHT = 2

# Text label style bits (LabelRecord.style); of the background bits only the lowest set one counts.
STYLE_MARKUP = 0x0001
STYLE_BLANK_BUTTON = 0x0002
STYLE_FAST_BUTTON = 0x0004
STYLE_SMART_BUTTON = 0x0008
STYLE_NARROW_BUTTON = 0x0010
STYLE_AVAILABLE_BUTTON = 0x0020
STYLE_RESERVED_BUTTON = 0x0040
STYLE_CHARGING_BUTTON = 0x0080
STYLE_FAULTED_BUTTON = 0x0100
STYLE_GREY_BUTTON = 0x0200
STYLE_WHITE_BUTTON = 0x0400
STYLE_TALL_BUTTON = 0x0800
STYLE_FULL_BULLET = 0x1000
STYLE_EMPTY_BULLET = 0x2000

# Buttons (the buttons mask of a screen, Event.button).
BUTTON_OK = 0x0001
BUTTON_BACK = 0x0002
BUTTON_BACK_ALT = 0x0004
BUTTON_MENU = 0x0008
BUTTON_CLOSE = 0x0010
BUTTON_HELP = 0x0020
BUTTON_FAST = 0x0040
BUTTON_SMART = 0x0080
BUTTON_LEFT = 0x0100
BUTTON_RIGHT = 0x0200
BUTTON_FRAME = 0x0400

# Event kinds (EventRecord.kind).
EVENT_QUIT = 0
EVENT_MOTION = 1
EVENT_RELEASE = 2
EVENT_PRESS = 3
EVENT_USER = 4


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
LAYOUT = (
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

RECORDS = {cls.__name__: cls for cls in (ConfigRecord, LabelRecord, EventRecord)}


def layout_mismatches():
    """Where ctypes lays the records out otherwise than the C compiler: a list of lines, empty
    when they agree."""
    pointer = ctypes.sizeof(ctypes.c_void_p)
    if pointer not in (4, 8):
        return [f"{pointer}-byte pointers: no known layout"]
    column = 2 if pointer == 4 else 3
    problems = []
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


__all__ = [n for n in dir() if n.isupper() and not n.startswith("_")] + list(RECORDS)

_problems = layout_mismatches()
if _problems:
    raise ImportError("kivo: records laid out unlike kivo.h: " + "; ".join(_problems))

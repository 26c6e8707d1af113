"""A thin Pythonic layer over the exported functions: screens, labels and the configuration as
dataclasses, events as named tuples, the window as a context manager."""

import ctypes
from collections import namedtuple
from dataclasses import dataclass, field
from typing import Optional, Sequence, Tuple

from . import records
from .native import library
from .records import ConfigRecord, EventRecord, LabelRecord

Colour = Tuple[int, int, int, int]

# One event of kivo_poll_events: kind is an EVENT_* value; x, y are surface pixels; button is
# the BUTTON_* under the position and label the id of the label under it, 0 for none.
Event = namedtuple("Event", "kind x y button label")


def _text(value):
    """UTF-8 bytes for a record's text; the caller keeps them alive until the call returns."""
    if value is None:
        raise ValueError("kivo: a text may be empty but not None")
    return value.encode("utf-8")


@dataclass
class Config:
    """The renderer's configuration (ConfigRecord), fixed for the life of a window.

    The four fonts are Pango font descriptions ("DejaVu Sans 20"), possibly empty; angles are
    radians, 0 along +x and growing clockwise; colours are (r, g, b, a)."""

    flavour: int = 0
    font0: str = ""
    font1: str = ""
    font2: str = ""
    font3: str = ""
    label_offset_y: int = 0
    qr_border: int = 0
    icon_center_y: int = 0
    carousel_y: int = 0
    carousel_spacing: int = 0
    slider_start_angle: float = 0.0
    slider_sweep_angle: float = 0.0
    slider_value_color: Colour = (0, 0, 0, 0)
    slider_band_color: Colour = (0, 0, 0, 0)
    slider_marker_color: Colour = (0, 0, 0, 0)

    def to_record(self, keep):
        """The record; the encoded fonts are appended to keep, which must outlive its use."""
        # A shown button without an image for the flavour would raise a C++ exception in the
        # middle of a frame, which ends the process: refuse it here instead.
        if self.flavour not in (0, 1, 2):
            raise ValueError(f"kivo: flavour {self.flavour} is not 0, 1 or 2")
        r = ConfigRecord()
        for name, value in vars(self).items():
            if name.startswith("font"):
                keep.append(_text(value))
                value = keep[-1]
            elif name.endswith("_color"):
                value = (ctypes.c_uint8 * 4)(*value)
            setattr(r, name, value)
        return r


@dataclass
class Label:
    """One label (LabelRecord). kind is a LABEL_* value; what the members mean depends on it
    (kivo.h): text is plain text or markup, an image reference, or the data of a QR code."""

    x: int
    y: int
    width: int
    height: int
    text: str = ""
    kind: int = records.LABEL_TEXT
    color: Colour = (255, 255, 255, 255)
    align: int = records.ALIGN_CENTER
    font: int = 0
    style: int = 0
    id: int = 0
    value: float = 0.0
    band_value: float = 0.0
    marker_value: float = 0.0

    def fill(self, r, keep):
        """Fills the record r; the encoded text is appended to keep."""
        keep.append(_text(self.text))
        r.x, r.y, r.width, r.height = self.x, self.y, self.width, self.height
        r.r, r.g, r.b, r.a = self.color
        r.text = keep[-1]
        r.value, r.band_value, r.marker_value = self.value, self.band_value, self.marker_value
        r.kind, r.align, r.font = self.kind, self.align, self.font
        r.style, r.id = self.style, self.id


@dataclass
class Screen:
    """A whole screen. background and icon are image references or None; carousel is
    (current, count), shown when count > current; buttons is an OR of BUTTON_* values."""

    background: Optional[str] = None
    icon: Optional[str] = None
    labels: Sequence[Label] = field(default_factory=list)
    buttons: int = 0
    carousel: Optional[Tuple[int, int]] = None


def display_mode():
    """The framebuffer's visible (width, height); needs no window."""
    width, height, valid = ctypes.c_int32(), ctypes.c_int32(), ctypes.c_bool()
    library().kivo_get_display_mode(ctypes.byref(width), ctypes.byref(height), ctypes.byref(valid))
    return width.value, height.value


class Window:
    """The display, open for the life of a with block:

        with kivo.Window(800, 480, config) as window:
            window.show(screen)
            window.present()
            for event in window.poll_events(): ...

    Entering starts SDL and creates the window, leaving destroys it and stops SDL, so one
    window is open at a time. The library's state is the process's: a second Window object
    drives the same display.
    """

    def __init__(self, width, height, config=None):
        self._size = (width, height)
        self._config = config if config is not None else Config()

    def __enter__(self):
        keep = []
        record = self._config.to_record(keep)
        lib = library()
        lib.kivo_init_sdl()
        lib.kivo_create_window(self._size[0], self._size[1], ctypes.byref(record))
        return self

    def __exit__(self, *exc):
        lib = library()
        lib.kivo_destroy_window()
        lib.kivo_quit_sdl()
        return False

    @property
    def width(self):
        return library().kivo_surface_width()

    @property
    def height(self):
        return library().kivo_surface_height()

    def show(self, screen, slot=0):
        """Replaces screen slot 0 (shown) or 1 (the other screen of a slide) with screen. The
        library copies everything: the screen may change right after."""
        if slot not in (0, 1):
            raise ValueError(f"kivo: screen slot {slot} is not 0 or 1")
        keep = []
        labels = (LabelRecord * len(screen.labels))()
        for label, record in zip(screen.labels, labels):
            label.fill(record, keep)
        background = None if screen.background is None else _text(screen.background)
        icon = None if screen.icon is None else _text(screen.icon)
        current, count = screen.carousel if screen.carousel is not None else (0, 0)
        library().kivo_set_screen(
            slot, background, icon, labels, len(labels), current, count, screen.buttons
        )

    def present(self, offset=0):
        """Draws slot 0 (offset 0), or slot 0 shifted by offset with slot 1 beside it, and
        copies the frame to the display."""
        library().kivo_present(offset)

    def poll_events(self, chunk=16):
        """Every event queued now, oldest first, as Event tuples. Never waits."""
        buffer = (EventRecord * chunk)()
        events = []
        while True:
            n = library().kivo_poll_events(buffer, chunk)
            events.extend(Event(e.kind, e.x, e.y, e.button, e.label) for e in buffer[:n])
            if n < chunk:
                return events

    def push_event(self, kind, x=0, y=0):
        """Queues an event as if it came from the panel (x, y in touch coordinates)."""
        library().kivo_push_event(ctypes.byref(EventRecord(kind=kind, x=x, y=y)))

    def framebuffer(self):
        """The last drawn frame: rows top to bottom of 32-bit little-endian 0xAARRGGBB words."""
        size = self.width * self.height * 4
        buffer = ctypes.create_string_buffer(size)
        library().kivo_get_framebuffer(buffer, size)
        return buffer.raw

"""The Pythonic layer over the exported functions: screens, labels and the configuration as
dataclasses checked field by field, events as named tuples of enums, the window as a context
manager with a paced frame loop."""

import ctypes
import dataclasses
import math
import time
from dataclasses import dataclass, field
from typing import Any, Callable, List, NamedTuple, Optional, Sequence, Tuple

from . import checks
from .native import library
from .records import (
    STYLE_IMAGE_SIZES,
    Align,
    Button,
    ConfigRecord,
    EventKind,
    EventRecord,
    LabelKind,
    LabelRecord,
    Style,
)

Colour = Tuple[int, int, int, int]

# How far a slider's strokes reach beyond its radius: the value arc and the marker, 20 pixels
# wide, run 18 pixels outside it.
SLIDER_REACH = 28


class Event(NamedTuple):
    """One event of Window.poll_events. x, y are surface pixels (0 for QUIT and USER); button is
    the Button under the position (Button.NONE for none) and label the id of the topmost label
    whose box holds it, 0 for none."""

    kind: EventKind
    x: int
    y: int
    button: Button
    label: int


@dataclass
class Config:
    """The renderer's configuration (ConfigRecord), fixed for the life of a window.

    The defaults are the charging demo's and draw a usable screen at any size: its four fonts
    (headings and pill texts, body, large figures, small print), a QR quiet zone of 3 modules,
    the carousel dots 28 pixels apart, the slider gauge sweeping 270 degrees from the lower left
    with a green value, a translucent white band and an amber marker. icon_center_y and
    carousel_y left at None are placed for the window's height: the icon's centre at 110/480 of
    it, the dots' top edge 40 pixels above the bottom (110 and 440 on an 800 x 480 display).

    The fonts are Pango font descriptions ("DejaVu Sans 20"), possibly empty; flavour picks the
    button image set (0, 1 or 2); label_offset_y shifts every text label's style image, and the
    box that answers taps, down by that many pixels; qr_border is the QR codes' quiet zone in
    modules (negative crops); angles are radians, 0 along +x and growing clockwise; colours are
    (r, g, b, a), each 0-255.
    """

    flavour: int = 0
    font0: str = "DejaVu Sans, WenQuanYi Micro Hei Bold 20"
    font1: str = "DejaVu Sans, WenQuanYi Micro Hei 15"
    font2: str = "DejaVu Sans, WenQuanYi Micro Hei Bold 28"
    font3: str = "DejaVu Sans, WenQuanYi Micro Hei 12"
    label_offset_y: int = 0
    qr_border: int = 3
    icon_center_y: Optional[int] = None
    carousel_y: Optional[int] = None
    carousel_spacing: int = 28
    slider_start_angle: float = 0.75 * math.pi
    slider_sweep_angle: float = 1.5 * math.pi
    slider_value_color: Colour = (0x2E, 0xCC, 0x71, 0xFF)
    slider_band_color: Colour = (0xFF, 0xFF, 0xFF, 0x90)
    slider_marker_color: Colour = (0xF5, 0xA6, 0x23, 0xFF)

    def __post_init__(self) -> None:
        self.check()

    def check(self) -> List[Tuple[str, Any]]:
        """Every field checked (TypeError, ValueError); (record member, C value) pairs."""
        values: List[Tuple[str, Any]] = []
        for name, value in ((f.name, getattr(self, f.name)) for f in dataclasses.fields(self)):
            where = f"Config.{name}"
            if name == "flavour":
                value = checks.integer(where, value, (0, 2))
            elif name.startswith("font"):
                value = checks.text(where, value)
            elif name.endswith("_color"):
                value = (ctypes.c_uint8 * 4)(*checks.colour(where, value))
            elif name.endswith("_angle"):
                value = checks.real(where, value)
            elif value is not None or name not in ("icon_center_y", "carousel_y"):
                value = checks.integer(where, value)
            values.append((name, value))
        return values

    def to_record(self, height: int) -> Tuple[ConfigRecord, List[bytes]]:
        """The record for a window of this height, and the encoded fonts it points to (they must
        outlive its use)."""
        record = ConfigRecord()
        keep: List[bytes] = []
        for name, value in self.check():
            if isinstance(value, bytes):
                keep.append(value)
            elif value is None:
                value = height * 110 // 480 if name == "icon_center_y" else height - 40
            setattr(record, name, value)
        return record, keep


@dataclass
class Label:
    """One label of a screen (LabelRecord). What the fields mean depends on kind:

    TEXT    x, y, width, height is the layout box: the text starts at its top left, wraps at
            its width and is cut with an ellipsis at its height; color is the text's colour;
            text is plain, or Pango markup with Style.MARKUP; align, font (0-3, Config.font0
            to font3) and style apply. A style image is drawn at its own size centred on the
            box (see Style for the sizes); only the box answers taps: Label.pill() makes both
            agree.
    ICON    the image named by the reference in text ("image://<name>", a bare name, for
            app/share/marvo/images/icon/<name>.webp, "file://<path>" or "data://<base64>") is
            centred in the box at its own size.
    QR      text is encoded and stretched over the box; color colours the light modules.
    SLIDER  a gauge centred in the box; color colours its track; value, band_value (not drawn
            when negative or NaN) and marker_value are fractions of Config.slider_sweep_angle.
            The gauge draws outside its box: its radius is half the box's smaller side, and
            its value arc and marker reach SLIDER_REACH (28) pixels beyond that radius.
            Label.slider() takes the outer box the gauge may use instead.

    width and height are 0 or more (a ValueError names the field otherwise).

    id is reported by taps on the box (the last label listed wins where boxes overlap); 0
    cannot be told from "no label". Every field is checked when the label is made and again
    when it is shown: TypeError or ValueError naming the field.
    """

    x: int
    y: int
    width: int
    height: int
    text: str = ""
    kind: LabelKind = LabelKind.TEXT
    color: Colour = (255, 255, 255, 255)
    align: Align = Align.CENTER
    font: int = 0
    style: Style = Style.NONE
    id: int = 0
    value: float = 0.0
    band_value: float = 0.0
    marker_value: float = 0.0

    def __post_init__(self) -> None:
        self.kind = checks.choice("Label.kind", self.kind, LabelKind)
        self.align = checks.choice("Label.align", self.align, Align)
        self.style = checks.flags("Label.style", self.style, Style)
        self.check()

    @classmethod
    def pill(
        cls,
        x: int,
        y: int,
        text: str,
        style: Style,
        line_height: int = 34,
        **fields: Any,
    ) -> Tuple["Label", "Label"]:
        """A text label on a style image whose top left corner is at x, y, and the whole image
        answering taps: two labels, to list in this order. The first holds the text, in a box
        as wide as the image and line_height high (one line of the font: 34 for the default
        font0) centred on it, so that the text sits in the middle of the image; the second is
        an empty label as large as the image, with the same id, so that a tap anywhere on the
        image reports it."""
        size = STYLE_IMAGE_SIZES.get(checks.flags("Label.style", style, Style) & ~Style.MARKUP)
        if size is None:
            raise ValueError(f"Label.style: {style} has no image")
        width, height = size
        top = y + (height - line_height) // 2
        label = cls(x, top, width, line_height, text, style=style, **fields)
        area = cls(x, y, width, height, id=label.id)
        return label, area

    @classmethod
    def slider(cls, x: int, y: int, width: int, height: int, **fields: Any) -> "Label":
        """A SLIDER label whose gauge stays within the box x, y, width, height: the label's own
        box is that box less SLIDER_REACH pixels on every side, so that the gauge, centred in
        it, reaches the outer box's nearer sides and no further. ValueError when the outer box
        is narrower or lower than 2 * SLIDER_REACH."""
        inner = []
        for name, side in (("width", width), ("height", height)):
            side = checks.integer(f"Label.slider {name}", side, (2 * SLIDER_REACH, checks.INT32[1]))
            inner.append(side - 2 * SLIDER_REACH)
        x = checks.integer("Label.slider x", x, (checks.INT32[0], checks.INT32[1] - SLIDER_REACH))
        y = checks.integer("Label.slider y", y, (checks.INT32[0], checks.INT32[1] - SLIDER_REACH))
        fields.setdefault("kind", LabelKind.SLIDER)
        return cls(x + SLIDER_REACH, y + SLIDER_REACH, inner[0], inner[1], **fields)

    def check(self) -> List[Tuple[str, Any]]:
        """Every field checked (TypeError, ValueError); (record member, C value) pairs."""
        kind = checks.choice("Label.kind", self.kind, LabelKind)
        values: List[Tuple[str, Any]] = []
        for name in ("x", "y", "width", "height"):
            bounds = (0, checks.INT32[1]) if name in ("width", "height") else checks.INT32
            values.append((name, checks.integer(f"Label.{name}", getattr(self, name), bounds)))
        if kind == LabelKind.ICON:
            values.append(("text", checks.image_reference("Label.text", self.text)))
        else:
            values.append(("text", checks.text("Label.text", self.text)))
        values += zip("rgba", checks.colour("Label.color", self.color))
        values.append(("kind", kind))
        values.append(("align", checks.choice("Label.align", self.align, Align)))
        values.append(("font", checks.integer("Label.font", self.font, (0, 3))))
        values.append(("style", checks.flags("Label.style", self.style, Style)))
        values.append(("id", checks.integer("Label.id", self.id, checks.UINT32)))
        for name in ("value", "band_value", "marker_value"):
            values.append((name, checks.real(f"Label.{name}", getattr(self, name))))
        return values


@dataclass
class Screen:
    """A whole screen. background and icon are image references ("image://<name>" or a bare
    name for app/share/marvo/images/background/<name>.webp or icon/..., "file://<path>",
    "data://<base64>") or None; labels are drawn in order, the last on top; buttons is an OR of
    Button values; carousel is (current, count), its dots shown when count > current."""

    background: Optional[str] = None
    icon: Optional[str] = None
    labels: Sequence[Label] = field(default_factory=list)
    buttons: Button = Button.NONE
    carousel: Optional[Tuple[int, int]] = None

    def __post_init__(self) -> None:
        self.buttons = checks.flags("Screen.buttons", self.buttons, Button)
        self.check()

    def check(self) -> Tuple[Optional[bytes], Optional[bytes], Any, int, int, Button]:
        """Every field checked (TypeError, ValueError): kivo_set_screen's arguments after the
        slot, with the labels as an array of records (which keeps the texts alive)."""
        background = icon = None
        if self.background is not None:
            background = checks.image_reference("Screen.background", self.background)
        if self.icon is not None:
            icon = checks.image_reference("Screen.icon", self.icon)
        if isinstance(self.labels, (str, bytes)) or not isinstance(self.labels, Sequence):
            raise TypeError(f"Screen.labels: expected a sequence of Label, got {self.labels!r:.40}")
        records = (LabelRecord * len(self.labels))()
        keep = []
        for i, (label, record) in enumerate(zip(self.labels, records)):
            if not isinstance(label, Label):
                raise TypeError(f"Screen.labels[{i}]: expected a Label, got {label!r:.40}")
            for name, value in label.check():
                if isinstance(value, bytes):
                    keep.append(value)
                setattr(record, name, value)
        records._keep = keep  # type: ignore[attr-defined]  # the texts live as long as the array
        current, count = 0, 0
        if self.carousel is not None:
            if not isinstance(self.carousel, tuple) or len(self.carousel) != 2:
                raise TypeError(f"Screen.carousel: expected (current, count), got {self.carousel!r}")
            current = checks.integer("Screen.carousel[0]", self.carousel[0], checks.UINT32)
            count = checks.integer("Screen.carousel[1]", self.carousel[1], checks.UINT32)
        buttons = checks.flags("Screen.buttons", self.buttons, Button)
        return background, icon, records, current, count, buttons


def display_mode() -> Tuple[int, int]:
    """The framebuffer's visible (width, height); needs no window."""
    width, height, valid = ctypes.c_int32(), ctypes.c_int32(), ctypes.c_bool()
    library().kivo_get_display_mode(ctypes.byref(width), ctypes.byref(height), ctypes.byref(valid))
    return width.value, height.value


class Window:
    """The display, open for the life of a with block:

        with kivo.Window(800, 480, config) as window:
            window.show(screen)
            window.run(30, on_event=handle)

    Entering starts SDL and creates the window, leaving destroys it and stops SDL, so one
    window is open at a time. The library's state is the process's: a second Window object
    drives the same display. config defaults to Config().
    """

    def __init__(self, width: int, height: int, config: Optional[Config] = None) -> None:
        self._size = (
            checks.integer("Window.width", width, (1, checks.INT32[1])),
            checks.integer("Window.height", height, (1, checks.INT32[1])),
        )
        if config is not None and not isinstance(config, Config):
            raise TypeError(f"Window.config: expected a Config, got {config!r:.40}")
        self._config = config if config is not None else Config()
        self._stop = False

    def __enter__(self) -> "Window":
        record, keep = self._config.to_record(self._size[1])
        lib = library()
        lib.kivo_init_sdl()
        lib.kivo_create_window(self._size[0], self._size[1], ctypes.byref(record))
        del keep
        return self

    def __exit__(self, *exc: object) -> None:
        lib = library()
        lib.kivo_destroy_window()
        lib.kivo_quit_sdl()

    @property
    def width(self) -> int:
        return int(library().kivo_surface_width())

    @property
    def height(self) -> int:
        return int(library().kivo_surface_height())

    def show(self, screen: Screen, slot: int = 0) -> None:
        """Replaces screen slot 0 (shown) or 1 (the other screen of a slide) with screen. The
        library copies everything: the screen may change right after."""
        if not isinstance(screen, Screen):
            raise TypeError(f"Window.show: expected a Screen, got {screen!r:.40}")
        slot = checks.integer("Window.show slot", slot, (0, 1))
        background, icon, labels, current, count, buttons = screen.check()
        library().kivo_set_screen(
            slot, background, icon, labels, len(labels), current, count, buttons
        )

    def present(self, offset: int = 0) -> None:
        """Draws slot 0 (offset 0), or slot 0 shifted right by offset with slot 1 beside it,
        and copies the frame to the display after the display's vertical blank."""
        offset = checks.integer("Window.present offset", offset)
        library().kivo_present(offset)

    def poll_events(self, chunk: int = 16) -> List[Event]:
        """Every event queued now, oldest first. Never waits."""
        chunk = checks.integer("Window.poll_events chunk", chunk, (1, 4096))
        buffer = (EventRecord * chunk)()
        events: List[Event] = []
        while True:
            n = library().kivo_poll_events(buffer, chunk)
            events.extend(
                Event(EventKind(e.kind), e.x, e.y, Button(e.button), e.label) for e in buffer[:n]
            )
            if n < chunk:
                return events

    def push_event(self, kind: EventKind, x: int = 0, y: int = 0) -> None:
        """Queues an event as if it came from the panel (x, y in touch coordinates)."""
        record = EventRecord(
            kind=checks.choice("Window.push_event kind", kind, EventKind),
            x=checks.integer("Window.push_event x", x),
            y=checks.integer("Window.push_event y", y),
        )
        library().kivo_push_event(ctypes.byref(record))

    def framebuffer(self) -> bytes:
        """The last drawn frame: rows top to bottom of 32-bit little-endian 0xAARRGGBB words."""
        size = self.width * self.height * 4
        buffer = ctypes.create_string_buffer(size)
        library().kivo_get_framebuffer(buffer, size)
        return buffer.raw

    def stop(self) -> None:
        """Ends Window.run after the frame in progress."""
        self._stop = True

    def run(
        self,
        fps: float = 30,
        on_frame: Optional[Callable[[int], Optional[int]]] = None,
        on_event: Optional[Callable[[Event], object]] = None,
        frames: int = 0,
    ) -> int:
        """The frame loop: each frame calls on_frame(frame number), presents with the offset it
        returns (None for 0: a Slide's offset() fits), then hands every queued event to
        on_event, then sleeps until the next frame is due, fps frames a second (0: as fast as
        the display's vertical blank lets it). It ends after a QUIT event (on_event sees it
        first), after stop(), or after frames frames when that is not 0. Returns the number of
        frames shown.

        The sleep is relative and never longer than one period, so the loop keeps going under
        a clock that does not move (the device emulator's manual clock); a loop that fell
        behind does not hurry to catch up."""
        if isinstance(fps, bool) or not isinstance(fps, (int, float)) or not 0 <= fps < math.inf:
            raise ValueError(f"Window.run fps: expected a number of frames a second, got {fps!r}")
        frames = checks.integer("Window.run frames", frames, (0, 2**63))
        period = 1 / fps if fps else 0.0
        due = time.monotonic() + period
        shown = 0
        self._stop = False
        while not self._stop and (frames == 0 or shown < frames):
            offset = on_frame(shown) if on_frame else None
            self.present(offset or 0)
            shown += 1
            for event in self.poll_events():
                if self._stop:
                    break
                if on_event:
                    on_event(event)
                if event.kind == EventKind.QUIT:
                    self._stop = True
            if period:
                now = time.monotonic()
                time.sleep(max(0.0, min(due - now, period)))
                due += period
                if due < now:  # fell behind: no burst to catch up
                    due = now + period
        return shown

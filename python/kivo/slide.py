"""The two-slot slide between screens, and the touches around it: what every carousel host
needs, as the charging demo does it."""

from dataclasses import dataclass
from typing import Callable, Optional, Union

from . import checks
from .host import Event, Screen, Window
from .records import Button, EventKind

SWIPE_THRESHOLD = 80  # pixels a release must lie to the side of its press to be a swipe
SLIDE_FRAMES = 10  # frames a slide lasts


@dataclass(frozen=True)
class Swipe:
    """A release more than the threshold to the left (direction -1) or the right (+1) of its
    press."""

    direction: int


@dataclass(frozen=True)
class Tap:
    """A press and its release on the same button (button set, label 0) or, away from every
    button, on the same label (button Button.NONE, label its id), both within the threshold of
    each other."""

    button: Button
    label: int


Gesture = Union[Swipe, Tap]


class Slide:
    """Owns slot 1 and the offset of each frame while a screen slides in, and tells a swipe
    from a tap:

        slide = kivo.Slide(window)

        def on_event(event):
            gesture = slide.touch(event)
            if isinstance(gesture, kivo.Swipe):
                slide.start(next_page(gesture.direction), gesture.direction)

        window.run(30, slide.offset, on_event)

    start() shows the entering screen in slot 1; offset() is each frame's offset, easing out
    (fast at first, settling at the end) over `frames` frames to the window's width; on the
    frame the slide ends the entering screen takes slot 0, then() runs, and the offset is 0
    again. Touches are ignored while a screen slides.
    """

    def __init__(
        self,
        window: Window,
        frames: int = SLIDE_FRAMES,
        threshold: int = SWIPE_THRESHOLD,
        width: Optional[int] = None,
    ) -> None:
        self.window = window
        self.frames = checks.integer("Slide.frames", frames, (1, 10**6))
        self.threshold = checks.integer("Slide.threshold", threshold, (0, checks.INT32[1]))
        self.width = None if width is None else checks.integer("Slide.width", width)
        self._entering: Optional[Screen] = None
        self._then: Optional[Callable[[], None]] = None
        self._direction = 0
        self._frame = 0
        self._press: Optional[Event] = None

    @property
    def sliding(self) -> bool:
        return self._entering is not None

    def start(self, screen: Screen, direction: int, then: Optional[Callable[[], None]] = None) -> bool:
        """Slides screen in: from the right for direction -1 (the shown screen leaves to the
        left), from the left for +1. False, and nothing done, while a slide is under way."""
        if direction not in (-1, 1):
            raise ValueError(f"Slide.start direction: expected -1 or 1, got {direction!r}")
        if self._entering is not None:
            return False
        self.window.show(screen, slot=1)
        self._entering, self._then = screen, then
        self._direction, self._frame = direction, 0
        return True

    def offset(self, frame: int = 0) -> int:
        """This frame's offset (frame is not used: Window.run passes it)."""
        if self._entering is None:
            return 0
        self._frame += 1
        if self._frame < self.frames:
            t = self._frame / self.frames
            width = self.width if self.width is not None else self.window.width
            return round(self._direction * (1 - (1 - t) ** 2) * width)
        screen, then = self._entering, self._then
        self._entering = self._then = None
        self.window.show(screen)
        if then:
            then()
        return 0

    def touch(self, event: Event) -> Optional[Gesture]:
        """Follows presses and releases: a Swipe or a Tap when event completes one, else None."""
        if event.kind == EventKind.PRESS:
            self._press = event
            return None
        if event.kind != EventKind.RELEASE or self._press is None or self.sliding:
            return None
        press, self._press = self._press, None
        dx, dy = event.x - press.x, event.y - press.y
        if abs(dx) > self.threshold:
            return Swipe(-1 if dx < 0 else 1)
        if abs(dy) > self.threshold:
            return None
        if press.button and press.button == event.button:
            return Tap(press.button, 0)
        if press.label and press.label == event.label:
            return Tap(Button.NONE, press.label)
        return None

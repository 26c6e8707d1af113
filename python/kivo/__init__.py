"""kivo: Python hosts for libkivo-gui, the touch-screen interface of a charging-station display.

Pure Python over ctypes: nothing to compile. Two levels:

- kivo.records and kivo.native: the exported records (ctypes Structures whose layout is checked
  against kivo.h at import), the constants as enums (LabelKind, Align, Style, Button, EventKind;
  the KIVO_* names without their prefix stay as aliases: kivo.BUTTON_OK is Button.OK), and the
  twelve kivo_* functions with their argument types (kivo.native.library()).
- The Pythonic layer, exported here: Config, Label and Screen dataclasses whose every field is
  checked before the C call; Window, a context manager around the display, whose run() is a
  paced frame loop; Window.poll_events() returning Event named tuples of enums (an event prints
  as Event(kind=EventKind.PRESS, x=400, y=240, button=Button.OK, label=0)); Slide, the two-slot
  slide of a carousel, which also tells a Swipe from a Tap.

    import kivo

    def on_event(event: kivo.Event) -> None:
        if event.kind == kivo.EventKind.PRESS:
            print(event)

    with kivo.Window(800, 480) as window:
        window.show(kivo.Screen(labels=[kivo.Label(200, 200, 400, 80, "Hello", id=1)],
                                buttons=kivo.Button.OK))
        window.run(30, on_event=on_event)

The library is found by its soname, libkivo-gui.so.0, or at the path in the environment variable
KIVO_LIBRARY (for a build tree). Its images are looked up below app/share/marvo/images/ in the
working directory: run a host where that tree is (/usr/share/kivo-gui for the Debian packages).
Without a board, run it under the device emulator or the simulator (kivo-sim), which stand in
for /dev/fb0 and the touch panel; the emulated panel refreshes 60 times a second, and each
present waits for its next refresh, as on the board.

Checks. A value of the wrong type is a TypeError, one out of its C range (or otherwise refused)
a ValueError, both naming the record and the field: "Label.color: expected 4 values 0-255, got
3", "Label.style: 0x10000 is not a Style bit (the bits are 0x3fff)". Integers are never wrapped,
texts must be str without NUL characters, and a "data://" image reference must be base64 that
the library's strict decoder takes (the same message as the library's).

Failures the layer cannot see beforehand take the library's roads. Device, SDL and
missing-image failures end the process with status 1 after one line on standard error, exactly
as in a C host (README.md, "When something goes wrong", lists them); an image that cannot be
loaded is left out with a warning line. The library's C++ exceptions (exhausted memory, and
what the checks above refuse) cannot cross ctypes: they would end the process through
std::terminate (SIGABRT) with no Python exception handler running.

All calls belong to one thread: the library keeps one process-wide state without a lock.
"""

from .checks import base64_error
from .host import SLIDER_REACH, Colour, Config, Event, Label, Screen, Window, display_mode
from . import records
from .native import SONAME, library
from .records import *  # noqa: F401,F403 (the enums, the constants and the records)
from .slide import SLIDE_FRAMES, SWIPE_THRESHOLD, Gesture, Slide, Swipe, Tap

__all__ = [
    "base64_error", "SLIDER_REACH", "Colour", "Config", "Event", "Label", "Screen", "Window", "display_mode",
    "SONAME", "library", "SLIDE_FRAMES", "SWIPE_THRESHOLD", "Gesture", "Slide", "Swipe", "Tap",
]
__all__ += records.__all__

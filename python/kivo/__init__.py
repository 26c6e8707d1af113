"""kivo: Python hosts for libkivo-gui, the touch-screen interface of a charging-station display.

Pure Python over ctypes: nothing to compile. Two levels:

- kivo.records and kivo.native: the exported records (ctypes Structures whose layout is checked
  against kivo.h at import), the KIVO_* constants without their prefix, and the twelve kivo_*
  functions with their argument types (kivo.native.library()).
- The Pythonic layer, exported here: Config, Label and Screen dataclasses, turned into records
  for each call (their strings encoded as UTF-8 and kept alive for the call); Window, a context
  manager around the display; Window.poll_events() returning a list of Event named tuples.

    import kivo
    config = kivo.Config(font0="DejaVu Sans 24", font1="DejaVu Sans 24",
                         font2="DejaVu Sans 24", font3="DejaVu Sans 24", qr_border=4)
    with kivo.Window(800, 480, config) as window:
        window.show(kivo.Screen(labels=[kivo.Label(200, 200, 400, 80, "Hello", id=1)],
                                buttons=kivo.BUTTON_OK))
        while True:
            window.present()
            for event in window.poll_events():
                ...

The library is found by its soname, libkivo-gui.so.0, or at the path in the environment variable
KIVO_LIBRARY (for a build tree). Its images are looked up below app/share/marvo/images/ in the
working directory: run a host where that tree is (/usr/share/kivo-gui for the Debian packages).

Failures. No function returns an error. Device, SDL and missing-image failures end the process
with status 1 after one line on standard error, exactly as in a C host; an image that cannot be
loaded is left out with a warning line. The library's C++ exceptions (a slot above 1, a null
text, a flavour without button images, a malformed data:// reference, exhausted memory) cannot
cross ctypes: in a Python host, as in a C host, they end the process through std::terminate
(SIGABRT) and no Python exception handler runs. The Pythonic layer refuses what it can see
beforehand (a slot other than 0 or 1, a text of None, a flavour other than 0, 1 or 2) with a
ValueError; a malformed data:// reference still ends the process when the frame is drawn.

All calls belong to one thread: the library keeps one process-wide state without a lock.
"""

from .host import Config, Event, Label, Screen, Window, display_mode
from .native import SONAME, library
from .records import *  # noqa: F401,F403 (the constants and the records)

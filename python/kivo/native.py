"""The twelve exported functions of libkivo-gui, with their argument and result types.

library() loads the library on first use: the file named by the environment variable
KIVO_LIBRARY when it is set (a build tree's src/libkivo-gui.so.0, say), otherwise the installed
library by its soname through the dynamic loader's search path.
"""

import ctypes
import os
from typing import Any, Dict, Optional, Sequence, Tuple

from ctypes import POINTER, c_bool, c_char_p, c_int32, c_size_t, c_uint16, c_uint32, c_void_p

from .records import ConfigRecord, EventRecord, LabelRecord

SONAME = "libkivo-gui.so.0"

# name: (result type, argument types)
PROTOTYPES: Dict[str, Tuple[Optional[type], Sequence[Any]]] = {
    "kivo_init_sdl": (None, ()),
    "kivo_quit_sdl": (None, ()),
    "kivo_get_display_mode": (None, (POINTER(c_int32), POINTER(c_int32), POINTER(c_bool))),
    "kivo_create_window": (None, (c_int32, c_int32, POINTER(ConfigRecord))),
    "kivo_destroy_window": (None, ()),
    "kivo_surface_width": (c_int32, ()),
    "kivo_surface_height": (c_int32, ()),
    "kivo_present": (None, (c_int32,)),
    "kivo_get_framebuffer": (None, (c_void_p, c_size_t)),
    # slot, background, icon, labels, label_count, carousel_current, carousel_count, buttons
    "kivo_set_screen": (
        None,
        (c_uint32, c_char_p, c_char_p, POINTER(LabelRecord), c_uint32, c_uint32, c_uint32,
         c_uint16),
    ),
    "kivo_push_event": (None, (POINTER(EventRecord),)),
    "kivo_poll_events": (c_uint32, (POINTER(EventRecord), c_uint32)),
}

_library: Optional[ctypes.CDLL] = None


def load(path: str) -> ctypes.CDLL:
    """Opens the library at path (a file name or a soname) and declares its functions."""
    lib = ctypes.CDLL(path)
    for name, (restype, argtypes) in PROTOTYPES.items():
        function = getattr(lib, name)
        function.restype = restype
        function.argtypes = argtypes
    return lib


def library() -> ctypes.CDLL:
    """The library of this process, loaded on the first call."""
    global _library
    if _library is None:
        path = os.environ.get("KIVO_LIBRARY") or SONAME
        try:
            _library = load(path)
        except OSError as error:
            raise OSError(f"kivo: {error} (set KIVO_LIBRARY to the library's path)") from error
    return _library

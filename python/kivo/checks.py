"""The checks every value passes before it reaches the library: a TypeError for a value of the
wrong type, a ValueError for one out of its C range or otherwise refused, each naming the record
and the field ("Label.color: expected 4 values 0-255, got 3"). Nothing is wrapped or truncated."""

import enum
import math
import re
from typing import Optional, Sequence, Tuple, Type, TypeVar

INT32 = (-(2**31), 2**31 - 1)
UINT32 = (0, 2**32 - 1)

SIZE_ERROR = "Invalid base64 encoded data - Size not divisible by 4"
PADDING_ERROR = "Invalid base64 encoded data - Found more than 2 padding signs"
CHARACTER_ERROR = "Invalid base64 encoded data - Invalid character"

_ALPHABET = re.compile(rb"[A-Za-z0-9+/]*")

E = TypeVar("E", bound=enum.IntEnum)
F = TypeVar("F", bound=enum.IntFlag)


def _type_name(value: object) -> str:
    return type(value).__name__


def integer(where: str, value: object, bounds: Tuple[int, int] = INT32) -> int:
    """An int (not a bool) within bounds."""
    if isinstance(value, bool) or not isinstance(value, int):
        raise TypeError(f"{where}: expected an integer, got {_type_name(value)} {value!r}")
    low, high = bounds
    if not low <= value <= high:
        raise ValueError(f"{where}: expected {low} to {high}, got {value}")
    return int(value)


def real(where: str, value: object) -> float:
    """An int or a float (not a bool); NaN and infinities pass, the library treats them."""
    if isinstance(value, bool) or not isinstance(value, (int, float)):
        raise TypeError(f"{where}: expected a number, got {_type_name(value)} {value!r}")
    result = float(value)
    if math.isfinite(result) and abs(result) > 3.4028234663852886e38:
        raise ValueError(f"{where}: {value} is beyond a 32-bit float")
    return result


def choice(where: str, value: object, kind: Type[E]) -> E:
    """One of the values of the IntEnum kind."""
    number = integer(where, value, (-(2**63), 2**63))
    try:
        return kind(number)
    except ValueError:
        names = ", ".join(f"{m.name} ({m.value})" for m in kind)
        raise ValueError(f"{where}: {number} is not a {kind.__name__}: {names}") from None


def flags(where: str, value: object, kind: Type[F]) -> F:
    """An OR of the bits of the IntFlag kind, and no other bit."""
    number = integer(where, value, (0, 2**63))
    known = 0
    for member in kind:
        known |= member.value
    if number & ~known:
        raise ValueError(
            f"{where}: 0x{number & ~known:x} is not a {kind.__name__} bit"
            f" (the bits are 0x{known:x})"
        )
    return kind(number)


def text(where: str, value: object) -> bytes:
    """A str, as the UTF-8 bytes the library gets; no NUL character (C would end the text there)."""
    if not isinstance(value, str):
        raise TypeError(f"{where}: expected a str, got {_type_name(value)} {value!r:.40}")
    if "\0" in value:
        raise ValueError(f"{where}: contains a NUL character")
    return value.encode("utf-8")


def base64_error(data: bytes) -> Optional[str]:
    """What the library's strict base64 decoder says of data, or None when it decodes: the size
    is checked first, then the padding (more than two "=" among the last four characters), then
    every character but the trailing padding."""
    n = len(data)
    if n == 0:
        return None
    if n % 4:
        return SIZE_ERROR
    padding = data[-4:].count(b"=")
    if padding > 2:
        return PADDING_ERROR
    if not _ALPHABET.fullmatch(data, 0, n - padding):
        return CHARACTER_ERROR
    return None


def image_reference(where: str, value: object) -> bytes:
    """An image reference; a "data://" one must be well-formed base64, as the library decodes it
    while drawing (where a malformed one would end the process)."""
    encoded = text(where, value)
    if encoded.startswith(b"data://"):
        error = base64_error(encoded[7:])
        if error:
            raise ValueError(f"{where}: {error}")
    return encoded


def colour(where: str, value: object) -> Tuple[int, int, int, int]:
    """Four ints 0-255: (r, g, b, a)."""
    if isinstance(value, (str, bytes)) or not isinstance(value, Sequence):
        raise TypeError(f"{where}: expected 4 values 0-255, got {_type_name(value)} {value!r:.40}")
    if len(value) != 4:
        raise ValueError(f"{where}: expected 4 values 0-255, got {len(value)}")
    r, g, b, a = (integer(f"{where}[{i}]", v, (0, 255)) for i, v in enumerate(value))
    return (r, g, b, a)

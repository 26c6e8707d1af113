"""Writes the kivo package's reference, its docstrings on one HTML page (kivo.html in the working
directory), as `python3 -m pydoc -w kivo` does but without the members that classes inherit from
Python's own types (int, Enum, tuple): only what the package itself defines is listed."""

import pydoc
from typing import List, Tuple

_classify = pydoc.classify_class_attrs


def _own(object: object) -> List[Tuple[str, str, type, str]]:
    return [a for a in _classify(object) if a[2].__module__.partition(".")[0] == "kivo"]


pydoc.classify_class_attrs = _own
pydoc.writedoc("kivo")

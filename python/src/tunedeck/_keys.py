"""Keys as both analyses name them: a key code, its name, tonic and mode."""

from __future__ import annotations

import functools
import numbers

from . import _core

__all__ = ["Key", "key_of"]

_PITCHES = ("C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B")
_NATURALS = {"c": 0, "d": 2, "e": 4, "f": 5, "g": 7, "a": 9, "b": 11}
_ACCIDENTALS = {"": 0, "#": 1, "b": -1}


def _code_of_name(name: str) -> int:
    words = name.strip().lower().split()
    if len(words) == 2 and words[1] in ("major", "minor") and 1 <= len(words[0]) <= 2 \
            and words[0][0] in _NATURALS and words[0][1:] in _ACCIDENTALS:
        pitch = (_NATURALS[words[0][0]] + _ACCIDENTALS[words[0][1:]]) % 12
        return pitch + (160 if words[1] == "major" else 60)
    raise ValueError(f"Key takes a name such as 'G major', 'F# minor' or 'Bb major'; not {name!r}")


class Key:
    """One of the 24 keys.

    ``code`` is the number both analyses use: 60 + pitch class for a minor key, 160 + pitch
    class for a major one (0 = C ... 11 = B). ``name`` spells it with the fewer accidentals
    ("Eb major", "F# minor"); ``tonic`` and ``mode`` are its parts, as music21 calls them.

    >>> key_of(169)
    Key('A major')
    >>> key_of(69).tonic, key_of(69).mode, key_of(69).in_notation("camelot")
    ('A', 'minor', '8A')
    """

    __slots__ = ("code", "name")

    def __init__(self, code: int | str):
        """A key by its code, or by a name as repr() shows it: ``Key('G major')``, ``Key('Bb minor')``
        (a tonic in sharps or flats, then major or minor, in any case)."""
        if isinstance(code, str):
            code = _code_of_name(code)
        elif isinstance(code, bool) or not isinstance(code, numbers.Integral):
            raise TypeError(f"Key takes a key code or a name such as 'G major'; not {code!r}")
        elif not (60 <= code < 72 or 160 <= code < 172):
            raise ValueError(f"Key takes a key code (60 to 71 minor, 160 to 171 major) or a name; not {code}")
        self.code = int(code)
        self.name = _core.key_name(self.code)

    @property
    def tonic(self) -> str:
        return self.name.split(" ")[0]

    @property
    def mode(self) -> str:
        return "minor" if self.code < 160 else "major"

    @property
    def pitch_class(self) -> int:
        """The tonic's pitch class, 0 = C ... 11 = B."""
        return self.code - (60 if self.code < 160 else 160)

    @property
    def sharp_name(self) -> str:
        """The name with its tonic spelt in sharps, as the shared corpus labels keys: "A# minor"."""
        return f"{_PITCHES[self.pitch_class]} {self.mode}"

    def in_notation(self, notation: str) -> str:
        """The key in "standard" ("C# Db Minor"), "camelot" ("8B"), "openkey" ("1d") or "german" ("Fis-Dur")."""
        if not isinstance(notation, str):
            raise TypeError(f"notation takes standard, camelot, openkey or german; not {notation!r}")
        return _core.key_in_notation(self.code, notation)

    def __eq__(self, other):
        return isinstance(other, Key) and other.code == self.code

    def __hash__(self):
        return hash(self.code)

    def __repr__(self):
        return f"Key({self.name!r})"

    def __str__(self):
        return self.name


@functools.lru_cache(maxsize=None)
def key_of(code: int) -> Key | None:
    """The key of a code, or None for a code that names no key (0, "no key")."""
    return Key(code) if (60 <= code < 72 or 160 <= code < 172) else None

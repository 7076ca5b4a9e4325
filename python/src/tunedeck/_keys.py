"""Keys as both analyses name them: a key code, its name, tonic and mode."""

from __future__ import annotations

import functools

from . import _core

__all__ = ["Key", "key_of"]

_PITCHES = ("C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B")


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

    def __init__(self, code: int):
        name = _core.key_name(code)
        if not name:
            raise ValueError(f"{code} is no key code (60 to 71 minor, 160 to 171 major)")
        self.code = code
        self.name = name

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

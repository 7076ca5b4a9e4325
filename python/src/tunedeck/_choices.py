"""The run's choices as Python takes them, checked once and handed to the core."""

from __future__ import annotations

import numbers
from collections.abc import Iterable

import numpy as np

from . import _core

# The core's table of choices, as Python spells them.
METERS = tuple(_core.meters())
_TRACK_ONE = _core.track_one("python")
_KEY_COUNTS = {int(word) if word.isdigit() else word: choice for choice, word, _label in _core.key_counts()}


def integer(name: str, value, what: str) -> int:
    """value as an int; bools and other types are refused with what the argument takes."""
    if isinstance(value, bool) or not isinstance(value, numbers.Integral):
        raise TypeError(f"{name} takes {what}; not {value!r} ({type(value).__name__})")
    return int(value)


def flag(name: str, value) -> bool:
    """True or False only: a word such as 'no' would otherwise count as True."""
    if not isinstance(value, (bool, np.bool_)):
        raise TypeError(f"{name} takes True or False; not {value!r} ({type(value).__name__})")
    return bool(value)


def count(name: str, value, least: int = 1) -> int | None:
    """None, or a whole number of at least `least` (jobs, batch, partition_size)."""
    if value is None:
        return None
    number = integer(name, value, f"a whole number from {least}, or None")
    if number < least:
        raise ValueError(f"{name} takes a whole number from {least}, or None; not {value!r}")
    return number


_TRACKS = f"1 to {_core.choosable_tracks} (the window's \"Track 01\" to \"Track {_core.choosable_tracks}\", mido's " \
          f"tracks[1] to tracks[{_core.choosable_tracks}]), or None for all tracks"


def choices(track: int | None = None, sensitive: bool = False, meter: str = "4/4", keys: int | None = 2,
            transpose: int = 0, muted: Iterable[int] = (), split_format0: bool = False,
            key_network: bool = False) -> dict:
    """The keyword arguments every analysis takes, checked: TypeError for a value of the wrong
    type, ValueError for one out of range, each naming the argument. A plain dict, so that
    worker processes can be handed it."""
    if track is not None:
        number = integer("track", track, _TRACKS)
        if _core.track_position(max(-1, min(number, 1 << 16)), "python") is None:
            raise ValueError(f"track takes {_TRACKS}; not {track!r}")
        track = number
    if not isinstance(meter, str):
        raise TypeError(f"meter takes one of {', '.join(METERS)} as a str; not {meter!r}")
    if meter not in METERS:
        raise ValueError(f"meter takes one of {', '.join(METERS)}; not {meter!r}")
    if keys is not None and keys != "unknown":
        keys = integer("keys", keys, "1 to 4, or None for \"I don't know\"")
        if keys not in _KEY_COUNTS:
            raise ValueError(f"keys takes 1 to 4, or None for \"I don't know\"; not {keys!r}")
    transpose = integer("transpose", transpose, "-12 to 12 semitones")
    if not -12 <= transpose <= 12:
        raise ValueError(f"transpose takes -12 to 12 semitones; not {transpose!r}")
    channels = muted_channels(muted)
    return {"track": track, "sensitive": flag("sensitive", sensitive), "meter": meter, "keys": keys,
            "transpose": transpose, "muted": channels, "split_format0": flag("split_format0", split_format0),
            "key_network": flag("key_network", key_network)}


_MUTED = "a collection of channels 0 to 15 as mido numbers them (9 is the drums), such as [9] or range(16)"


def muted_channels(muted: Iterable[int]) -> tuple[int, ...]:
    """The channels muted, sorted; a lone number is refused rather than guessed at (a channel,
    or a mask of them?)."""
    if isinstance(muted, (str, bytes)) or not isinstance(muted, Iterable):
        raise TypeError(f"muted takes {_MUTED}; not {muted!r}")
    channels = sorted({integer("muted", c, _MUTED) for c in muted})
    if any(not 0 <= c <= 15 for c in channels):
        raise ValueError(f"muted takes {_MUTED}; not {channels!r}")
    return tuple(channels)


def core_options(checked: dict, profile: bool = True, transpose_field: bool = False) -> _core.Options:
    """The core's options from choices() as it returned them."""
    track = checked["track"]
    keys = checked["keys"]
    mask = 0
    for channel in checked["muted"]:
        mask |= 1 << channel
    # The core counts "Track 01" as the window's list does; Python from 1, as the table says.
    position = -1 if track is None else track - _TRACK_ONE
    return _core.Options(track=position, sensitive=checked["sensitive"],
                         meter=METERS.index(checked["meter"]), keys=_KEY_COUNTS["unknown" if keys is None else keys],
                         transpose=checked["transpose"], muted=mask, split_format0=checked["split_format0"],
                         key_network=checked.get("key_network", False),
                         profile=profile, transpose_field=transpose_field)

"""The run's choices as Python takes them, checked once and handed to the core."""

from __future__ import annotations

from collections.abc import Iterable

from . import _core

# The core's table of choices, as Python spells them.
METERS = tuple(_core.meters())
_TRACK_ONE = _core.track_one("python")
_KEY_COUNTS = {int(word) if word.isdigit() else word: choice for choice, word, _label in _core.key_counts()}


def choices(track: int | None = None, sensitive: bool = False, meter: str = "4/4", keys: int | None = 2,
            transpose: int = 0, muted: Iterable[int] = (), split_format0: bool = False) -> dict:
    """The keyword arguments every analysis takes, checked; a plain dict, so that worker
    processes can be handed it."""
    if track is not None and (isinstance(track, bool) or not isinstance(track, int) or track < 1):
        raise ValueError(f"track counts from 1 (the window's \"Track 01\", mido's tracks[1]), or is None "
                         f"for all tracks; not {track!r}")
    if meter not in METERS:
        raise ValueError(f"meter is one of {', '.join(METERS)}; not {meter!r}")
    if keys is not None and keys not in tuple(_KEY_COUNTS):
        raise ValueError(f"keys is 1 to 4, or None for \"I don't know\"; not {keys!r}")
    if isinstance(transpose, bool) or not isinstance(transpose, int) or not -12 <= transpose <= 12:
        raise ValueError(f"transpose is -12 to 12 semitones; not {transpose!r}")
    channels = sorted(set(muted))
    if any(isinstance(c, bool) or not isinstance(c, int) or not 0 <= c <= 15 for c in channels):
        raise ValueError(f"muted channels are 0 to 15 (9 is the drums), as mido numbers them; not {channels!r}")
    return {"track": track, "sensitive": bool(sensitive), "meter": meter, "keys": keys,
            "transpose": transpose, "muted": tuple(channels), "split_format0": bool(split_format0)}


def core_options(checked: dict, profile: bool = True) -> _core.Options:
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
                         profile=profile)

"""The key of music as it sounds: listening's live session, the one the window and the page keep."""

from __future__ import annotations

import numbers
from dataclasses import dataclass

from . import _core
from ._choices import integer
from ._keys import Key, key_of

__all__ = ["LiveTracker", "Reading"]


@dataclass(frozen=True)
class Reading:
    """What the tracker shows: the key (None before the first note and after a silence of a
    few seconds), its calibrated confidence, and whether it is sure of it (the window shows
    "?" when it is not)."""
    key: Key | None
    confidence: float
    sure: bool


class LiveTracker:
    """Follows the key of notes as they are played, from the notes before each moment only,
    as the window's listening does (the same session, read once a second): one-second frames,
    a forward filter over the 24 keys, and a key shown only once another stays clearly ahead
    for a few seconds.

    Times are milliseconds on any clock that goes forward (an earlier time counts as the last
    one). Each tracker is independent of the engine and of other trackers; its calls take the
    GIL, so a MIDI input callback on another thread may feed it while the main thread reads.

    >>> tracker = tunedeck.LiveTracker()
    >>> def on_message(event, data=None):          # python-rtmidi's callback
    ...     message, _ = event
    ...     tracker.feed_message(message, clock_ms())
    >>> tracker.reading(clock_ms())
    Reading(key=Key('C major'), confidence=0.8..., sure=True)
    """

    def __init__(self):
        self._session = _core.LiveSession()

    def feed(self, note: int, velocity: int, channel: int, ms: int) -> None:
        """A note-on (velocity 1 to 127) or note-off (velocity 0) on channel 0 to 15 at ms."""
        for name, value, high in (("note", note, 127), ("velocity", velocity, 127), ("channel", channel, 15)):
            if not 0 <= integer(name, value, f"0 to {high}") <= high:
                raise ValueError(f"{name} takes 0 to {high}; not {value!r}")
        self._session.note(_ms(ms), int(note), int(velocity), int(channel))

    def feed_message(self, message, ms: int) -> bool:
        """A raw MIDI message (status and data bytes, as python-rtmidi hands them) at ms; only
        note-ons and note-offs count. True when it was a note."""
        if len(message) < 3 or message[0] & 0xE0 != 0x80:
            return False
        status = message[0]
        velocity = message[2] if status & 0xF0 == 0x90 else 0
        self.feed(message[1], velocity, status & 0x0F, ms)
        return True

    def reading(self, ms: int) -> Reading:
        """What is shown at ms: the key read at the start of its second, from the notes before
        that. Ask before feeding later notes."""
        code, confidence, sure = self._session.reading_at(_ms(ms))
        return Reading(key_of(code), confidence, sure)

    def clear(self) -> None:
        """Forgets everything heard: a new piece."""
        self._session.clear()


def _ms(ms) -> int:
    """Milliseconds as the session counts them: whole, in 64 bits (a float is cut to its whole part)."""
    if isinstance(ms, bool) or not isinstance(ms, numbers.Real):
        raise TypeError(f"ms takes milliseconds, a number; not {ms!r}")
    # Written so that NaN fails too.
    if not -(2.0 ** 63) <= ms < 2.0 ** 63:
        raise ValueError(f"ms takes milliseconds within 64 bits; not {ms!r}")
    return int(ms)

"""The key of music as it sounds: listening's live session, the one the window and the page keep."""

from __future__ import annotations

from dataclasses import dataclass

from . import _core
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
        if not (0 <= note <= 127 and 0 <= velocity <= 127 and 0 <= channel <= 15):
            raise ValueError(f"note and velocity are 0 to 127 and channel 0 to 15; not {note}, {velocity}, {channel}")
        self._session.note(int(ms), note, velocity, channel)

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
        code, confidence, sure = self._session.reading_at(int(ms))
        return Reading(key_of(code), confidence, sure)

    def clear(self) -> None:
        """Forgets everything heard: a new piece."""
        self._session.clear()

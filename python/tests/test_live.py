"""The live tracker on scales played in time: a key once the notes make one, the next key after
a few seconds of it, and none after a silence."""

import pytest

import tunedeck

C_MAJOR = (60, 62, 64, 65, 67, 69, 71, 72)
A_MINOR = (57, 59, 60, 62, 64, 65, 68, 69)  # harmonic: G#


def play(tracker, scale, start_ms, rounds, raw=False):
    """The scale up and down, four notes a second; the time after the last note."""
    ms = start_ms
    for _ in range(rounds):
        for note in scale + scale[::-1]:
            if raw:
                tracker.feed_message([0x90, note, 90], ms)
                tracker.feed_message([0x80, note, 0], ms + 250)
            else:
                tracker.feed(note, 90, 0, ms)
                tracker.feed(note, 0, 0, ms + 250)
            ms += 250
    return ms


def test_scales_as_they_sound():
    tracker = tunedeck.LiveTracker()
    assert tracker.reading(0).key is None
    ms = play(tracker, C_MAJOR, 0, rounds=4)
    c = tracker.reading(ms)
    assert c.key.code == 160 and c.sure
    # Sixteen seconds of A minor, fed as python-rtmidi hands messages over, move it.
    ms = play(tracker, A_MINOR, ms, rounds=4, raw=True)
    a = tracker.reading(ms)
    assert a.key.code == 69 and a.sure
    # After a silence of some seconds no key is shown.
    assert tracker.reading(ms + 6000).key is None
    tracker.clear()
    assert tracker.reading(0).key is None


def test_only_notes_are_fed():
    tracker = tunedeck.LiveTracker()
    assert not tracker.feed_message([0xB0, 7, 100], 0)  # a controller
    assert not tracker.feed_message([0xF8], 0)          # the clock
    with pytest.raises(ValueError):
        tracker.feed(128, 90, 0, 0)

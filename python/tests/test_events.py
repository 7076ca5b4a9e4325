"""Events instead of files: a NumPy array, a list of tuples and a mido file answer as the file."""

import io

import mido
import numpy as np
import pytest

import tunedeck
from conftest import melody, midi_bytes, scale_file


def _events_of(data: bytes):
    """Every channel message of the file as (tick, status, data1, data2, track), tracks last
    to first, so that the order given does not decide."""
    f = mido.MidiFile(file=io.BytesIO(data))
    rows = []
    for index, track in reversed(list(enumerate(f.tracks))):
        tick = 0
        for message in track:
            tick += message.time
            if not message.is_meta:
                raw = message.bytes() + [0]
                rows.append((tick, raw[0], raw[1], raw[2], index))
    return rows, f.ticks_per_beat


def _without_file(analysis):
    return {**analysis.to_dict(), "file": None}


@pytest.mark.parametrize("options", [{}, {"track": 1}, {"transpose": 5, "sensitive": True}])
def test_numpy_and_tuples_answer_as_the_file(options):
    data = scale_file(transpose=4)
    rows, division = _events_of(data)
    expected = _without_file(tunedeck.analyse(data, **options))
    array = np.array(rows, dtype=tunedeck.EVENT_DTYPE)
    assert tunedeck.analyse_events(array, division, 500000, **options).to_dict() == expected
    assert tunedeck.analyse_events(rows, division, 500000, **options).to_dict() == expected


def test_events_without_tracks_are_track_01_at_120_bpm():
    events = [(tick, status, note, velocity) for tick, status, note, velocity, _ in _events_of(scale_file())[0]]
    a = tunedeck.analyse_events(events, division=480)
    assert a.key.code == 160 and a.tracks == 2
    assert a.ms_per_tick == pytest.approx(500 / 480)
    assert (a.notes["track"] == 2).all()  # the core's numbering: the tempo track is 1


def test_mido_answers_as_the_file(tmp_path):
    data = midi_bytes(melody(transpose=7), melody((43, 38, 43), channel=9), melody((31,), channel=1), [])
    for options in ({}, {"track": 2}, {"track": 4}):
        assert tunedeck.from_mido(mido.MidiFile(file=io.BytesIO(data)), **options).to_dict() == \
            _without_file(tunedeck.analyse(data, **options))
    zero = midi_bytes(melody(), melody((48, 43), channel=1), kind=0)
    assert tunedeck.from_mido(mido.MidiFile(file=io.BytesIO(zero)), split_format0=True).to_dict() == \
        _without_file(tunedeck.analyse(zero, split_format0=True))
    with pytest.raises(tunedeck.MidiFileError) as refused:
        tunedeck.from_mido(mido.MidiFile(file=io.BytesIO(zero)))
    assert refused.value.kind == "format-not-supported"


@pytest.mark.parametrize("events, division, tempo, reason", [
    ([(0, 0x90, 60, 100), (-5, 0x80, 60, 0)], 480, None, "event 1: tick -5 is not within 0 to 2147483647"),
    ([(0, 0xFF, 0x2F, 0)], 480, None, "event 0: status 255 is no channel message (128 to 239)"),
    ([(0, 0x90, 60, 200)], 480, None, "event 0: a data byte is not within 0 to 127"),
    ([(0, 0x90, 60, 100, -1)], 480, None, "event 0: track -1 is below 0, the tempo track"),
    ([(0, 0x90, 60, 100)], 0, None, "the division of 0 ticks per quarter note is not within 1 to 32767"),
    ([(0, 0x90, 60, 100)], 480, 1 << 24,
     "the tempo of 16777216 microseconds per quarter note is not within 1 to 16777215"),
    ([(0, 0x90, 60)], 480, None, "each event is (tick, status, data1, data2) or (tick, status, data1, data2, track)"),
])
def test_events_no_file_holds_say_why(events, division, tempo, reason):
    with pytest.raises(ValueError) as wrong:
        tunedeck.analyse_events(events, division, tempo)
    assert str(wrong.value) == reason

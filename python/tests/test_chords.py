"""Chords: records as the JSON's "chords", a DataFrame of one file's and of many files'."""

import mido
import pandas as pd

import tunedeck
from conftest import REPOSITORY, midi_bytes

# C, F, G7, C: a bar each over its root in the bass, at 480 ticks a quarter.
PROGRESSION = [(48, 60, 64, 67), (41, 57, 60, 65), (43, 59, 62, 65, 67), (48, 60, 64, 67)]


def progression(transpose=0):
    """(tick, status, note, velocity), each chord held from its bar to the next."""
    events = []
    for bar, chord in enumerate(PROGRESSION):
        events += [(bar * 1920, 0x90, n + transpose, 90) for n in chord]
        events += [((bar + 1) * 1920, 0x80, n + transpose, 0) for n in chord]
    return events


def progression_file(transpose=0):
    track, now = [], 0
    for tick, status, note, velocity in progression(transpose):
        track.append((tick - now, mido.Message("note_on" if status == 0x90 else "note_off", note=note,
                                               velocity=velocity)))
        now = tick
    return midi_bytes(track, tempo=600000)


def test_a_clear_progression_gives_its_chords():
    # 100 bpm: a 4/4 bar is 2.4 s; in the meter's 3/4 the chords fall on beats 2 and 3 of bars 2 and 3.
    a = tunedeck.analyse_events(progression(), division=480, tempo=600000)
    assert [(c.tick, c.end_tick, c.bar, c.beat, c.ms, c.label, c.symbol) for c in a.chords] == [
        (0, 1920, 1, 1.0, 0, "C:maj", "C"), (1920, 3840, 2, 1.0, 2400, "F:maj", "F"),
        (3840, 5760, 3, 1.0, 4800, "G:7", "G7"), (5760, 7680, 4, 1.0, 7200, "C:maj", "C")]
    three = tunedeck.analyse_events(progression(), division=480, tempo=600000, meter="3/4", bars="meter")
    assert [(c.bar, c.beat) for c in three.chords] == [(1, 1.0), (2, 2.0), (3, 3.0), (5, 1.0)]
    # The music's bars, the default, are the chords' own whatever the meter chosen.
    music = tunedeck.analyse_events(progression(), division=480, tempo=600000, meter="3/4")
    assert [(c.bar, c.beat) for c in music.chords] == [(1, 1.0), (2, 1.0), (3, 1.0), (4, 1.0)]


def test_records_and_frame_are_the_jsons_chords():
    a = tunedeck.analyse(REPOSITORY / "examples" / "twinkle-modulating.mid")
    assert a.chords
    assert [{"tick": c.tick, "endTick": c.end_tick, "bar": c.bar, "beat": c.beat, "ms": c.ms, "label": c.label,
             "symbol": c.symbol, "roman": c.roman, "key": c.key.name if c.key else "", "keyCode": c.key_code,
             "confidence": c.confidence} for c in a.chords] == a.to_dict()["chords"]
    frame = a.chords_dataframe()
    assert list(frame.columns) == list(tunedeck.CHORD_COLUMNS) and len(frame) == len(a.chords)
    assert (frame["file"] == a.file).all()
    # Without a key, both are missing.
    assert frame.drop(columns="file").to_dict("records") == [
        {**vars(c), "key": c.key.name if c.key else None, "key_code": c.key_code if c.key else pd.NA}
        for c in a.chords]


def test_a_chords_repr():
    chord = tunedeck.Chord(tick=5040, end_tick=5760, bar=3, beat=2.5, ms=5250, label="G:7/3", symbol="G7/B",
                           roman="V7/V", key=tunedeck.key_of(160), key_code=160, confidence=0.834)
    assert repr(chord) == "<Chord bar 3 beat 2.5: G7/B, V7/V in C major (0.83)>"
    silent = tunedeck.Chord(7680, 9600, 5, 1.0, 8000, "N", "N.C.", "", tunedeck.key_of(160), 160, 0.9)
    assert repr(silent) == "<Chord bar 5 beat 1: N.C. (0.90)>"


def test_many_files_into_one_frame(tmp_path):
    for name, transpose in (("1-c.mid", 0), ("2-d.mid", 2), ("3-g.mid", 7)):
        (tmp_path / name).write_bytes(progression_file(transpose))
    (tmp_path / "broken.mid").write_bytes(b"MThd\x00")
    (tmp_path / "silent.mid").write_bytes(midi_bytes([]))
    frame = tunedeck.chords_dataframe([tmp_path], jobs=2, batch=2)
    files = [str(tmp_path / n) for n in ("1-c.mid", "2-d.mid", "3-g.mid")]
    assert list(frame["file"]) == [f for f in files for _ in PROGRESSION]
    assert list(frame["symbol"]) == ["C", "F", "G7", "C", "D", "G", "A7", "D", "G", "C", "D7", "G"]
    each = [tunedeck.analyse(f).chords_dataframe() for f in files]
    assert frame.equals(pd.concat(each, ignore_index=True))
    # A refused file and one without notes have no chords.
    assert tunedeck.analyse(tmp_path / "silent.mid").chords == []
    for empty in (tunedeck.analyse(tmp_path / "silent.mid").chords_dataframe(),
                  tunedeck.chords_dataframe([tmp_path / "broken.mid", tmp_path / "silent.mid"], jobs=1)):
        assert empty.empty and dict(empty.dtypes) == dict(frame.dtypes)
        assert list(empty.columns) == list(tunedeck.CHORD_COLUMNS)


def test_chords_read_as_the_commands(tmp_path, detect):
    path = tmp_path / "progression.mid"
    path.write_bytes(progression_file())
    (expected,), _ = detect(str(path))
    assert len(expected["chords"]) == 4 and tunedeck.analyse(path).to_dict() == expected


def test_beat_frames_are_the_chord_analysis_frames():
    from tunedeck import _choices, _core
    options = _choices.core_options(_choices.choices("analyse"))
    raw = _core.beat_frames(progression_file(), options, normalised=False)
    assert raw["frame_ticks"] == 480 and not raw["refused"]
    # A frame a beat over four bars; the first holds C E G and C in the bass, a beat long each.
    assert len(raw["start"]) >= 16 and (raw["end"] - raw["start"] == 480).all()
    assert list(raw["sounding"][0].nonzero()[0]) == [0, 4, 7] and raw["sounding"][0][4] == 480
    assert list(raw["bass"][0].nonzero()[0]) == [0]
    frames = _core.beat_frames(progression_file(), options)
    inputs, network = frames["inputs"], frames["model_inputs"]
    assert inputs.shape[1] == 36
    # The chord model's inputs: shares of the sounding and of the bass time, then presence.
    assert abs(inputs[0][:12].sum() - 1) < 1e-6 and inputs[0][12] == 1 and inputs[0][24] == 1
    # The network's: those, then the present local key (C major) and chord (C, major, bass C).
    assert network.shape == (len(inputs), 98) and (network[:, :36] == inputs).all()
    assert list(network[0][36:].nonzero()[0] + 36) == [36, 60, 73, 86]

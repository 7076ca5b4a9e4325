"""One file: by path, by bytes, a name that is not UTF-8, and every refusal with its reason."""

import base64
import os
import threading

import mido
import pytest

import tunedeck
from conftest import REPOSITORY, melody, midi_bytes, past_the_buffer, scale_file


def test_a_file_and_its_bytes_give_one_answer(tmp_path):
    path = tmp_path / "scale.mid"
    path.write_bytes(scale_file(transpose=2))
    by_path = tunedeck.analyse(path)
    by_bytes = tunedeck.analyse(path.read_bytes())
    # The scale moved up two semitones is D major for both analyses.
    assert by_path.key == tunedeck.key_of(162) and by_path.key.name == "D major"
    assert by_path.profile.key == by_path.key
    assert by_path.file == str(path) and by_bytes.file is None
    assert by_path.to_dict() == {**by_bytes.to_dict(), "file": str(path)}
    assert tunedeck.analyse(memoryview(bytearray(path.read_bytes()))).to_dict() == by_bytes.to_dict()
    assert by_path.to_dict()["key"] == by_path.key_name == "D Major"
    # 15 melody and 8 bass notes; the last note ends at tick 7200, in bar 4 of 4/4.
    assert by_path.counters.events == 46 and by_path.counters.last_bar == 4
    assert [(p.bar, p.tick, p.key.code) for p in by_path.points] == [(1, 0, 162)]
    assert by_path.notes["on"].sum() == 23


def test_a_modulating_piece_in_bars_and_seconds():
    # The project's example: C major, G major from bar 13, C major again from bar 25; 4/4 at 120 bpm.
    a = tunedeck.analyse(REPOSITORY / "examples" / "twinkle-modulating.mid")
    assert [(p.bar, p.seconds, p.key.name) for p in a.points] == [
        (1, 0.0, "C major"), (16, 30.0, "G major"), (26, 50.0, "C major")]
    assert [(k.bar, k.tick, k.seconds, k.key.name) for k in a.profile.local_keys] == [
        (1, 0, 0.0, "C major"), (13, 23040, 24.0, "G major"), (25, 46080, 48.0, "C major")]
    assert [r.key.name for r in a.profile.regions] == ["C major", "G major", "C major"]


def test_options_reach_the_run(tmp_path):
    data = scale_file()
    # Track 2 is the bass alone, C G A F G C G C: five pitch classes.
    assert tunedeck.analyse(data, track=2, sensitive=True).counters.events == 16
    assert tunedeck.analyse(data, muted=[1]).counters.events == 30
    moved = tunedeck.analyse(data, transpose=-3, meter="3/4", keys=None)
    assert moved.key.code == 169 and moved.counters.ticks_per_bar == 1440
    assert moved.to_dict()["transposeLeftOut"] == 0
    assert "transposeLeftOut" not in tunedeck.analyse(data).to_dict()
    assert tunedeck.analyse(data).to_dict(notation="camelot")["keyNotation"] == "8B"
    for wrong in ({"track": 0}, {"meter": "5/4"}, {"keys": 5}, {"transpose": 13}, {"muted": [16]}):
        with pytest.raises(ValueError):
            tunedeck.analyse(data, **wrong)


def _note_zero(channel=0):
    return [(0, mido.Message("note_on", channel=channel, note=0, velocity=80)),
            (480, mido.Message("note_off", channel=channel, note=0))]


@pytest.mark.parametrize("tracks, options, key, note_zero, transposed", [
    # The scale over its bass, and a note 0 in a track of its own: C major all the same.
    ((melody(), _note_zero()), {}, 160, 1, 0),
    # Moved up, the note 0 is note 2 and analysed; moved down, the transposition leaves it out.
    ((melody(), _note_zero()), {"transpose": 2}, 162, 0, 0),
    ((melody(), _note_zero()), {"transpose": -3}, 169, 0, 1),
    # A drum's note 0 is never moved; read with the melody's track alone, it is left out.
    ((melody() + _note_zero(channel=9),), {"track": 1, "transpose": 2}, 162, 1, 0),
    # Nothing but note 0: nothing to analyse, no failure.
    ((_note_zero(),), {}, None, 1, 0),
])
def test_a_note_zero_is_left_out_and_counted(tmp_path, tracks, options, key, note_zero, transposed):
    a = tunedeck.analyse(midi_bytes(*tracks), **options)
    assert a.outcome == ("no-data" if key is None else "reported")
    assert (a.key.code if a.key else None) == key
    assert a.counters.note_zero_left_out == note_zero and a.counters.left_out == transposed
    assert a.to_dict().get("noteZeroLeftOut") == (note_zero or None)
    assert not (a.notes["note"] == 0).any()


def test_a_note_zero_reads_as_the_commands(tmp_path, detect):
    path = tmp_path / "zero.mid"
    path.write_bytes(midi_bytes(melody(), _note_zero()))
    (expected,), _ = detect(str(path))
    assert expected["noteZeroLeftOut"] == 1 and expected["key"] == "C Major"
    assert tunedeck.analyse(path).to_dict() == expected


def test_past_the_event_buffer_the_keys_and_chords_reach_the_limit():
    data = past_the_buffer()
    # The run fails as the command fails the file, with the analysis of the notes up to the limit.
    with pytest.raises(tunedeck.AnalysisError) as failed:
        tunedeck.analyse(data)
    assert failed.value.outcome == "out-of-buffer" and failed.value.short == "Out of buffer"
    a = failed.value.analysis
    assert a.key is None and a.profile.key == tunedeck.Key("C major") and a.limit_bar == 2000
    assert {c.symbol for c in a.chords} == {"C"} and a.chords[-1].bar <= a.limit_bar
    assert a.to_dict()["limitBar"] == a.limit_bar
    row, = tunedeck.analyse_many([data], jobs=1)
    assert (row["outcome"], row["profile_key"]) == ("out-of-buffer", "C major")
    with pytest.raises(tunedeck.AnalysisError) as refused:
        tunedeck.analyse(scale_file(), track=12)
    assert refused.value.outcome == "track-not-found" and refused.value.analysis is None


def test_past_the_event_buffer_python_gives_the_commands_object(tmp_path, detect):
    path = tmp_path / "long.mid"
    path.write_bytes(past_the_buffer())
    with pytest.raises(tunedeck.AnalysisError) as failed:
        tunedeck.analyse(path)
    (expected,), _ = detect(str(path))
    assert failed.value.analysis.to_dict() == expected


def test_a_name_that_is_not_utf8_opens(tmp_path):
    name = os.path.join(os.fsencode(tmp_path), b"caf\xe9 \xe2\x82.mid")
    with open(name, "wb") as f:
        f.write(scale_file())
    as_text = tunedeck.analyse(os.fsdecode(name))
    assert as_text.key.code == 160
    # As the command writes it: one U+FFFD for each byte that is not UTF-8, then the bytes.
    d = as_text.to_dict()
    assert d["file"] == os.fsdecode(os.fsencode(tmp_path)) + "/caf\ufffd \ufffd\ufffd.mid"
    assert base64.b64decode(d["fileBytes"]) == name
    # os.listdir(b".") hands out such names as bytes.
    assert tunedeck.analyse(name).to_dict() == d


def _damaged_files(tmp_path):
    good = scale_file()
    smpte = bytearray(good)
    smpte[12:14] = bytes([0xE7, 0x28])  # 25 frames a second, 40 ticks a frame
    division0 = bytearray(good)
    division0[12:14] = bytes(2)
    format2 = bytearray(good)
    format2[9] = 2
    return [
        # source, kind, the window's text, the reason
        (b"RIFF....", "invalid-header", "Invalid File Header", "it does not begin with a MIDI header (MThd)"),
        (good[:40], "reader", "Midifile1_Error", "file ends inside track 2"),
        (midi_bytes(melody(), kind=0), "format-not-supported", "Format not supported",
         "it is a format 0 file (one track holding every channel), read only when format 0 files are read "
         "one track per channel"),
        (bytes(format2), "format-not-supported", "Format not supported",
         "it is a format 2 file (separate patterns), which cannot be played as one piece"),
        (bytes(smpte), "format-not-supported", "Format not supported",
         "it counts time in SMPTE frames (25 per second), not in ticks per quarter note"),
        (bytes(division0), "format-not-supported", "Format not supported",
         "its time division of 0 ticks per quarter note cannot be timed"),
        (str(tmp_path / "missing.mid"), "file-open", "File Open Error", "No such file or directory"),
        (str(tmp_path), "file-open", "File Open Error", "it is a folder"),
    ]


def test_each_refusal_says_why(tmp_path):
    for source, kind, short, reason in _damaged_files(tmp_path):
        with pytest.raises(tunedeck.MidiFileError) as refused:
            tunedeck.analyse(source)
        e = refused.value
        assert (e.kind, e.short, e.reason, e.outcome) == (kind, short, reason, "file-refused")
        where = f"{source}: " if isinstance(source, str) else ""
        assert str(e) == f"{where}{short} ({reason})"


def test_refusals_read_as_the_commands(tmp_path, detect):
    paths = []
    # The command walks a folder for files: only the others.
    for i, (source, kind, *_) in enumerate(_damaged_files(tmp_path)[:-1]):
        if isinstance(source, bytes):
            (tmp_path / f"damaged{i}.mid").write_bytes(source)
            source = tmp_path / f"damaged{i}.mid"
        paths.append(str(source))
    objects, stderr = detect(*paths, jobs=1)
    lines = stderr.decode().splitlines()[:-1]  # then the summary
    assert len(lines) == len(paths)
    for path, line, obj in zip(paths, lines, objects):
        with pytest.raises(tunedeck.MidiFileError) as refused:
            tunedeck.analyse(path)
        assert line == f"tunedeck-detect: {refused.value}"
        assert refused.value.reason == obj["reason"]


def test_a_split_format0_file_reads_as_the_commands(tmp_path, detect):
    path = tmp_path / "zero.mid"
    path.write_bytes(midi_bytes(melody(), melody((48, 43, 48), channel=1), kind=0))
    (expected,), _ = detect("--split-format0", str(path))
    a = tunedeck.analyse(path, split_format0=True)
    assert a.split_format0 and a.to_dict() == expected


def test_a_run_that_fails_raises_with_the_commands_words(tmp_path):
    with pytest.raises(tunedeck.AnalysisError) as failed:
        tunedeck.analyse(scale_file(), track=5)
    assert not isinstance(failed.value, tunedeck.MidiFileError)
    assert failed.value.outcome == "track-not-found"
    # A file without notes is no failure: it reports no key.
    empty = tunedeck.analyse(midi_bytes([]))
    assert (empty.outcome, empty.key, empty.probability) == ("no-data", None, None)


def test_threads_take_turns_with_the_one_engine():
    files = [scale_file(transpose=t) for t in range(12)]
    expected = [tunedeck.analyse(f).to_dict() for f in files]
    results = [None] * 48

    def work(i):
        results[i] = tunedeck.analyse(files[i % 12]).to_dict()

    threads = [threading.Thread(target=work, args=(i,)) for i in range(48)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert results == expected * 4

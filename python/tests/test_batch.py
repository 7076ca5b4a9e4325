"""The core's batch library and table of choices as Python reads them."""

import os
import subprocess

import pytest

import tunedeck
from tunedeck import _core
from conftest import scale_file

DETECT = os.environ.get("TUNEDECK_DETECT", "")


def test_columns_are_the_csvs_in_snake_case(tmp_path):
    # Every CSV column the table has too, by the same name spelled for Python.
    path = tmp_path / "a.mid"
    path.write_bytes(scale_file(transpose=2))
    if not os.access(DETECT, os.X_OK):
        pytest.skip("no tunedeck-detect to compare with")
    header = subprocess.run([DETECT, "--format", "csv", str(path)], capture_output=True, check=True,
                            text=True).stdout.splitlines()[0].split(",")
    snake = ["".join("_" + c.lower() if c.isupper() else c for c in name) for name in header]
    assert [c for c in tunedeck.COLUMNS if c in snake] == snake
    assert "key_code" in snake and "keyCode" in header


def test_walk_takes_kar_and_skips_the_rest(tmp_path):
    for name in ("b.KAR", "a.midi", "c.txt", "d.Mid"):
        (tmp_path / name).write_bytes(b"MThd")
    (tmp_path / "loop").symlink_to(tmp_path)
    files = [os.path.basename(f) for f in tunedeck.midi_files(tmp_path)]
    assert files == ["a.midi", "b.KAR", "d.Mid"]
    _, problems = _core.midi_files([os.fsencode(tmp_path)])
    assert [os.path.basename(p) for p, _why in problems] == [b"loop"]


@pytest.mark.parametrize("track", [1, 2])
def test_track_counts_meet_in_the_same_track(tmp_path, track):
    # analyse(track=n) reads the track the notes number n + 1 (the file's count, tempo track 1).
    path = tmp_path / "two.mid"
    path.write_bytes(scale_file())
    notes = tunedeck.analyse(path, track=track).notes
    assert len(notes) and set(notes["track"]) == {track - _core.track_one("python") + _core.track_one("file")}


def test_file_fields_keep_the_bytes():
    assert _core.file_fields(b"caf\xe9.mid") == {"file": "caf\ufffd.mid", "fileBytes": "Y2Fm6S5taWQ="}
    assert _core.file_fields("é.mid".encode()) == {"file": "é.mid"}

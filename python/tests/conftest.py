"""Files the tests write with mido, and where the command and the shared corpus are."""

import io
import json
import os
import struct
import subprocess
from pathlib import Path

import mido
import pytest

REPOSITORY = Path(__file__).resolve().parents[2]
DETECT = Path(os.environ.get("TUNEDECK_DETECT", REPOSITORY / "build" / "bin" / "tunedeck-detect"))
SCALE = (60, 62, 64, 65, 67, 69, 71, 72, 71, 69, 67, 65, 64, 62, 60)  # C major up and down


def midi_bytes(*tracks, kind=1, division=480, tempo=500000) -> bytes:
    """A file of a tempo track, then one track per list of (delta, message) pairs."""
    f = mido.MidiFile(type=kind, ticks_per_beat=division)
    conductor = mido.MidiTrack([mido.MetaMessage("set_tempo", tempo=tempo, time=0)])
    f.tracks.append(conductor)
    for events in tracks:
        f.tracks.append(mido.MidiTrack(message.copy(time=delta) for delta, message in events))
    if kind == 0:
        f.tracks = [mido.merge_tracks(f.tracks)]
    out = io.BytesIO()
    f.save(file=out)
    return out.getvalue()


def melody(notes=SCALE, channel=0, length=480, transpose=0):
    """Each note for `length` ticks, one after the other."""
    events = []
    for note in notes:
        events.append((0, mido.Message("note_on", channel=channel, note=note + transpose, velocity=90)))
        events.append((length, mido.Message("note_off", channel=channel, note=note + transpose)))
    return events


def scale_file(transpose=0) -> bytes:
    """The C major scale in quarter notes over a bass, moved by `transpose` semitones."""
    bass = melody((48, 43, 45, 41, 43, 48, 43, 48), channel=1, length=900, transpose=transpose)
    return midi_bytes(melody(transpose=transpose), bass)


def past_the_buffer() -> bytes:
    """8,000 beats of C major chords (64,000 note events, the most a run reads), then 200 of
    F# major: a file over the event buffer, written byte by byte for speed."""
    body = bytearray()
    for beat in range(8200):
        root = 48 if beat < 8000 else 54
        chord = (root, root + 4, root + 7, root + 12)
        for note in chord:
            body += bytes((0, 0x90, note, 90))
        for i, note in enumerate(chord):
            body += (b"\x83\x60" if i == 0 else b"\x00") + bytes((0x80, note, 0))  # 480 ticks on
    body += b"\x00\xff\x2f\x00"
    tempo = b"\x00\xff\x51\x03\x07\xa1\x20\x00\xff\x2f\x00"
    return (b"MThd" + struct.pack(">IHHH", 6, 1, 2, 480) + b"MTrk" + struct.pack(">I", len(tempo)) + tempo
            + b"MTrk" + struct.pack(">I", len(body)) + bytes(body))


@pytest.fixture(scope="session")
def detect():
    """Runs tunedeck-detect (the Qt build's, or $TUNEDECK_DETECT) and gives its JSON objects."""
    if not DETECT.is_file():
        pytest.skip(f"no tunedeck-detect at {DETECT} (build the program, or set TUNEDECK_DETECT)")

    def run(*arguments, jobs=2):
        done = subprocess.run([DETECT, "--json", "--jobs", str(jobs), *arguments], capture_output=True)
        return json.loads(done.stdout), done.stderr

    return run


@pytest.fixture(scope="session")
def corpus():
    path = Path(os.environ.get("TUNEDECK_CORPUS", REPOSITORY.parent / "shared" / "corpus"))
    if not path.is_dir():
        pytest.skip(f"no shared corpus at {path}")
    return path

"""Pieces given as events rather than files: a NumPy array, a list of tuples, a mido file."""

from __future__ import annotations

from collections.abc import Sequence

import numpy as np

from . import _core
from ._analysis import Analysis, checked_run
from ._choices import choices, core_options, integer

__all__ = ["EVENT_DTYPE", "analyse_events", "from_mido"]

EVENT_DTYPE = np.dtype([("tick", np.int64), ("status", np.uint8), ("data1", np.uint8), ("data2", np.uint8),
                        ("track", np.int32)])


def _columns(events):
    """tick, status, data1, data2 and track as five sequences."""
    if isinstance(events, np.ndarray) and events.dtype.names:
        names = events.dtype.names
        missing = [n for n in ("tick", "status", "data1", "data2") if n not in names]
        if missing:
            raise ValueError(f"the event array has no field {', '.join(missing)}")
        track = events["track"] if "track" in names else np.ones(len(events), np.int64)
        return events["tick"], events["status"], events["data1"], events["data2"], track
    rows = list(events)
    if not rows:
        return [], [], [], [], []
    widths = {len(row) for row in rows}
    if not widths <= {4, 5}:
        raise ValueError("each event is (tick, status, data1, data2) or (tick, status, data1, data2, track)")
    if widths == {4}:
        return (*zip(*rows), [1] * len(rows))
    return tuple(zip(*(row if len(row) == 5 else (*row, 1) for row in rows)))


def _analyse(events, division: int, tempo: int | None, tracks: int | None, file_format: int, options: dict,
             ) -> Analysis:
    tick, status, data1, data2, track = _columns(events)
    track = np.asarray(track, dtype=np.int64)
    if len(track) and track.min() < 0:
        index = int(np.argmax(track < 0))
        raise ValueError(f"event {index}: track {track[index]} is below 0, the tempo track")
    # The core counts the tempo track as track 1, mido as track 0.
    track = track + 1
    division = integer("division", division, "ticks per quarter note, a whole number")
    tempo = None if tempo is None else integer("tempo", tempo, "microseconds per quarter note, or None")
    tracks = 0 if tracks is None else integer("tracks", tracks, "a number of tracks, or None")
    for name, value in (("division", division), ("tempo", tempo), ("tracks", tracks)):
        if value is not None and not 0 <= value < 1 << 31:
            raise ValueError(f"{name} is out of range: {value}")
    # As arrays, so that the Analysis pickles as what it read.
    read = {"ticks": np.asarray(tick, np.int64), "status": np.asarray(status, np.int64),
            "data1": np.asarray(data1, np.int64), "data2": np.asarray(data2, np.int64), "tracks": track,
            "division": division, "tempo": tempo, "track_count": tracks, "format": file_format}
    run = _core.analyse_events(**read, options=core_options(options))
    return checked_run(run, None, ("events", read, options))


def analyse_events(events: np.ndarray | Sequence[tuple], division: int, tempo: int | None = None, *,
                   tracks: int | None = None, **options) -> Analysis:
    """Analyses a piece given as channel events, exactly as the MIDI file holding them would be.

    ``events``: a NumPy structured array with the fields tick, status, data1, data2 and, if
    it likes, track (``EVENT_DTYPE``), or a list of (tick, status, data1, data2[, track])
    tuples. Ticks count from the start of the piece; status is a channel message (0x80 to
    0xEF: a note-on of velocity 0 ends the note); track is numbered as mido numbers a file's
    tracks, 0 being the tempo track, and is 1 ("Track 01") when left out. Events of one track
    may come in any order; those at one tick keep theirs.

    ``division``: ticks per quarter note; ``tempo``: microseconds per quarter note, as a
    Set Tempo holds it (None: 500000, 120 bpm); ``tracks``: how many tracks the piece has,
    when more than its events name. The other options are analyse()'s.

    >>> tunedeck.analyse_events([(0, 0x90, 60, 100), (480, 0x80, 60, 0)], division=480)

    Raises ValueError for an event no file can hold, saying which.
    """
    return _analyse(events, division, tempo, tracks, 1, choices("analyse_events", **options))


def from_mido(midi_file, **options) -> Analysis:
    """Analyses a ``mido.MidiFile`` as analyse() would analyse the file it was read from.

    A format 0 file is read only with ``split_format0=True`` and a format 2 file is refused, as
    the file would be; the options are analyse()'s.
    """
    checked = choices("from_mido", **options)
    ticks, status, data1, data2, tracks = [], [], [], [], []
    tempo = None
    # Only the notes are analysed, and only the first Set Tempo in file order times them.
    for index, track in enumerate(midi_file.tracks):
        tick = 0
        for message in track:
            tick += message.time
            kind = message.type
            if kind == "note_on" or kind == "note_off":
                ticks.append(tick)
                status.append((0x90 if kind == "note_on" else 0x80) | message.channel)
                data1.append(message.note)
                data2.append(message.velocity)
                tracks.append(index)
            elif kind == "set_tempo" and tempo is None:
                tempo = message.tempo
    events = np.zeros(len(ticks), EVENT_DTYPE)
    for field, values in zip(EVENT_DTYPE.names, (ticks, status, data1, data2, tracks)):
        events[field] = values
    return _analyse(events, midi_file.ticks_per_beat, tempo, len(midi_file.tracks), midi_file.type, checked)

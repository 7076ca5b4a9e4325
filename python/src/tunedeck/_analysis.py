"""One file's analysis: the one fast run of the core, read as typed attributes."""

from __future__ import annotations

import os
from functools import cached_property
from typing import TYPE_CHECKING, Union

from . import _core
from ._choices import choices, core_options, with_choices
from ._collection import chord_frame
from ._errors import AnalysisError, MidiFileError
from ._keys import Key, key_of
from ._results import (Candidate, Chord, Counters, KeyPoint, LocalKey, ProfileAnalysis, Region, RankedKey,
                       chord_of)
from ._sources import contents_note, source_path

if TYPE_CHECKING:
    import pandas as pd

__all__ = ["Analysis", "ProfileAnalysis", "RankedKey", "KeyPoint", "Candidate", "LocalKey", "Region", "Chord",
           "Counters", "analyse"]

Source = Union[str, "os.PathLike[str]", "os.PathLike[bytes]", bytes, bytearray, memoryview]


def _file_fields(name: bytes | None) -> dict:
    """"file" and "fileBytes" as tunedeck-detect writes them (the core's putFileName)."""
    return {"file": None} if name is None else _core.file_fields(name)


class Analysis:
    """What one fast run found: the library's answer and the profile analysis.

    >>> a = tunedeck.analyse("song.mid")
    >>> a.key, a.probability, a.profile.key, a.profile.confidence
    (Key('F# major'), 100, Key('F# major'), 0.993...)
    >>> a.to_dict() == json.loads(subprocess.check_output(["tunedeck-detect", "--json", "song.mid"]))[0]
    True
    """

    def __init__(self, run: _core.Run, name: bytes | None, made: tuple | None = None):
        self._run = run
        self._name = name
        self._made = made

    def __reduce__(self):
        # The run is the core's: pickled as what it read and the choices, analysed again where
        # it is loaded (a fraction of a millisecond), so joblib and multiprocessing can return it.
        if self._made is None:
            raise TypeError("this Analysis cannot be pickled: it was not made by analyse() or analyse_events()")
        kind, read, checked = self._made
        return _again, (kind, self._run.source if read is None else read, checked, self._name)

    @property
    def file(self) -> str | None:
        """The path as given (its bytes as os.fsdecode gives them); None for bytes and events."""
        return None if self._name is None else os.fsdecode(self._name)

    @property
    def outcome(self) -> str:
        """"reported", or "no-data" for a piece without notes; "out-of-buffer" for the analysis
        an AnalysisError holds of a file past the event buffer."""
        return self._run.outcome

    @property
    def limit_bar(self) -> int | None:
        """Past the event buffer: the last bar the profile analysis and the chords reach."""
        return self._run.limit_bar or None

    @cached_property
    def ranked(self) -> list[RankedKey]:
        """The library's keys, most probable first."""
        return [RankedKey(key_of(code), percent) for code, percent in self._run.ranked]

    @property
    def key(self) -> Key | None:
        """The library's overall key; None when it found none."""
        return self.ranked[0].key if self.ranked else None

    @property
    def key_code(self) -> int:
        """The key code the library ended in, as "keyCode" holds it (0 for none)."""
        return self._run.key_code

    @property
    def key_name(self) -> str:
        """The window's name of the key ("F# Gb Major"); "" for none."""
        return self._run.key_text

    @property
    def signature(self) -> str:
        """The key signature as the window shows it: "00", "3#", "2b"; "" for none."""
        return self._run.signature

    @property
    def probability(self) -> int | None:
        """The overall key's share in percent."""
        return self._run.probability

    @cached_property
    def points(self) -> list[KeyPoint]:
        """The timeline: where the music enters each of the main keys, the first at bar 1."""
        return [KeyPoint(bar, tick, self.seconds(tick), key_of(code)) for bar, code, tick in self._run.points]

    @cached_property
    def counters(self) -> Counters:
        return Counters(**self._run.counters)

    @cached_property
    def key_counts(self) -> dict[Key, int]:
        """The library's count for each key it named (its statistics)."""
        return {key_of(code): count for code, count in self._run.key_counts.items()}

    @cached_property
    def _facts(self) -> tuple:
        return self._run.facts

    @property
    def tracks(self) -> int:
        return self._facts[0]

    @property
    def ticks_per_quarter(self) -> int:
        return self._facts[1]

    @property
    def ms_per_tick(self) -> float:
        """At the file's first tempo, which times everything (as in a play)."""
        return self._facts[2]

    def seconds(self, tick: int) -> float:
        """When a play reaches the tick, to the millisecond, as the player times it."""
        # Rounded half to even, as the play list's times are.
        return round(self.ms_per_tick * tick) / 1000.0

    @property
    def split_format0(self) -> bool:
        """A format 0 file read one track per channel."""
        return self._facts[3]

    @cached_property
    def profile(self) -> ProfileAnalysis | None:
        p = self._run.profile
        if p is None:
            return None
        seconds = self.seconds
        per_bar, bar_start, pickup = p["bar_ticks"]
        first = 0 if pickup else 1

        def start(bar):  # the first bar from tick 0
            return 0 if bar <= first else bar_start + (bar - 1) * per_bar

        def bar_keys(pairs):
            return [LocalKey(bar, start(bar), seconds(start(bar)), key_of(code)) for bar, code in pairs]

        return ProfileAnalysis(
            key=key_of(p["key_code"]), confidence=p["confidence"], ambiguous=p["ambiguous"],
            candidates=[Candidate(key_of(code), confidence, relation) for code, confidence, relation in p["candidates"]],
            local_keys=bar_keys(p["changes"]), bars=bar_keys(p["bars"]),
            regions=[Region(start, end, seconds(start), seconds(end), key_of(code)) for start, end, code in p["regions"]],
            change_rate=p["change_rate"])

    @property
    def notes(self):
        """The note events analysed, in the order the library was fed: a NumPy structured array
        of tick, note, velocity, on, channel (0 to 15) and track (1 for the tempo track)."""
        return self._run.notes

    @cached_property
    def chords(self) -> list[Chord]:
        """The chords beat by beat, in the local keys of the profile analysis: one Chord a
        stretch of one chord, in time order; empty for a piece without notes.

        >>> [(c.bar, c.beat, c.symbol, c.roman) for c in a.chords[:3]]
        [(1, 1.0, 'C', 'I'), (2, 1.0, 'F', 'IV'), (2, 3.0, 'C', 'I')]
        """
        return [chord_of(c) for c in self._run.chords]

    def chords_dataframe(self) -> pd.DataFrame:
        """The chords as a pandas DataFrame, one row a chord, the columns of
        ``tunedeck.CHORD_COLUMNS``: "file" (the path, None for bytes and events), then a
        Chord's fields, the key by its name; ``key`` and ``key_code`` are missing where no key
        is in force. ``tunedeck.chords_dataframe(paths)`` gives the same for many files.

        >>> a.chords_dataframe()[["bar", "beat", "symbol", "roman", "key"]].head(2)
           bar  beat symbol roman      key
        0    1   1.0      C     I  C major
        1    2   1.0      F    IV  C major
        """
        columns = self._run.chord_columns
        columns["file"] = [self.file] * len(columns["tick"])
        return chord_frame(columns)

    def to_dict(self, notation: str | None = None) -> dict:
        """Exactly the object ``tunedeck-detect --json`` prints for the same file and options,
        "chords" included (``"file"`` is None for bytes and events); ``notation`` adds
        "keyNotation" as ``--notation`` does."""
        if notation is not None and not isinstance(notation, str):
            raise TypeError(f"notation takes standard, camelot, openkey or german; not {notation!r}")
        d = self._run.json(notation)
        d.update(_file_fields(self._name))
        return d

    def to_musicxml(self) -> bytes:
        """The score this analysis read, as uncompressed MusicXML (UTF-8), with its chord symbols
        above the top staff of the first part, Roman numerals (MusicXML 4.0 ``<numeral>``) below
        the lowest staff of the last, and the local key's name where it changes, each at its
        chord's onset; the notes as they were. ``tunedeck-detect --write-musicxml`` writes the same.

        Raises ValueError for a MIDI file, events, or a run with ``unfold_repeats`` or ``transpose``:
        their chords are not where the written notes are.
        """
        if self._made is None or self._made[0] != "bytes":
            raise ValueError("the analysis is written into the score it read; this one was made from events")
        _, read, checked = self._made
        source = self._run.source if read is None else read
        return _core.annotated_score(source, self._run, core_options(checked))

    def to_romantext(self) -> str:
        """The chords' Roman numerals in their local keys as RomanText, the document
        ``tunedeck-detect --format rntxt`` writes for the same file and options: a score's
        measures as printed with its title and composer, a MIDI file's bars of the meter; the
        title is the file's name without its extension where the score names none.

        >>> print(tunedeck.analyse("ode-to-joy.mid").to_romantext())
        Composer: 
        Title: ode-to-joy
        Analyst: Tunedeck 1.2.6
        <BLANKLINE>
        Time Signature: 4/4
        <BLANKLINE>
        m1 D: I
        m2 V b3 I
        ...
        """
        name = b"" if self._name is None else os.path.splitext(os.path.basename(self._name))[0]
        return self._run.romantext(name)

    def __repr__(self):
        where = f"{self.file!r}" if self._name is not None else "bytes"
        if self.outcome == "no-data":
            return f"<Analysis {where}: no notes to analyse>"
        if self.limit_bar:
            return f"<Analysis {where}: past the event buffer; profile {self.profile.key} up to bar {self.limit_bar}>"
        profile = self.profile.key if self.profile else None
        return f"<Analysis {where}: {self.key}, {self.probability}%; profile {profile}>"


def checked_run(run: _core.Run, name: bytes | None, made: tuple | None = None, source=None) -> Analysis:
    """The analysis, or the error the command gives for the file. ``made`` is how to make the
    run again: ("bytes" or "events", what it read, the choices), so that it can be pickled."""
    if not run.succeeded:
        file = None if name is None else os.fsdecode(name)
        if run.refusal is not None:
            raise contents_note(MidiFileError(*run.refusal, file=file), source)
        # Past the event buffer the notes up to the limit were analysed all the same.
        raise AnalysisError(run.outcome, run.error, "", file, Analysis(run, name, made) if run.limit_bar else None)
    return Analysis(run, name, made)


def _again(kind: str, read, checked: dict, name: bytes | None) -> Analysis:
    """An Analysis made anew where it is unpickled: the same bytes or events, the same choices."""
    if kind == "bytes":
        run = _core.analyse_bytes(read, core_options(checked))
    else:
        run = _core.analyse_events(**read, options=core_options(checked))
    return checked_run(run, name, (kind, read, checked))


@with_choices
def analyse(source: Source, *args, **options) -> Analysis:
    """Analyses one MIDI file, by path or by its bytes, as "2- Fast Detect" and
    ``tunedeck-detect`` do.

    ``source``: a path (``str``, ``os.PathLike``), or the file's contents (``bytearray``,
    ``memoryview``, or ``bytes`` beginning with "MThd"); other ``bytes`` are a path when they
    name an existing file (as os.listdir(b".") gives names), else contents.
    ``track``: None for all tracks (the drums on channel 9 left out), or 1 to 12 for "Track 01"
    to "Track 12", as mido's ``tracks[1]`` to ``tracks[12]``; ``sensitive``: "More sensitive"
    (True or False); ``meter``: "2/4", "3/4", "4/4" or "6/8"; ``keys``: the main keys of the
    timeline, 1 to 4 or None ("I don't know"); ``transpose``: -12 to 12 semitones; ``muted``:
    a collection of channels 0 to 15 left out of both analyses (``[9]``, ``range(16)``);
    ``split_format0``: read a format 0 file one track per channel; ``key_network``:
    experimental, the local keys, their confidences and the chords in them from the key and
    harmony network (the command's ``--key-network``). Each takes the default shown in the
    signature when left out.

    Raises TypeError or ValueError for a wrong argument, MidiFileError for a file the reader
    refuses, AnalysisError for a run that fails.
    """
    checked = choices("analyse", *args, **options)
    core = core_options(checked)
    name = source_path(source)
    if name is not None:
        return checked_run(_core.analyse_path(name, core, keep_bytes=True), name, ("bytes", None, checked))
    # Kept as it was read: a bytearray may change afterwards.
    read = source if isinstance(source, bytes) else bytes(source)
    return checked_run(_core.analyse_bytes(read, core), None, ("bytes", read, checked), source)

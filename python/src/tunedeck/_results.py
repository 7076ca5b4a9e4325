"""What one file's analysis holds: the keys, points, candidates, regions, chords and counts the
core's run gives, as frozen records."""

from __future__ import annotations

from dataclasses import dataclass

from ._keys import Key, key_of

__all__ = ["RankedKey", "KeyPoint", "Candidate", "LocalKey", "Region", "Chord", "Counters", "ProfileAnalysis", "chord_of"]


@dataclass(frozen=True)
class RankedKey:
    """A key the library found, with its share of the run in whole percent."""
    key: Key
    percent: int


@dataclass(frozen=True)
class KeyPoint:
    """Where the timeline enters a key: the bar (from 1), its first tick and its time."""
    bar: int
    tick: int
    seconds: float
    key: Key


@dataclass(frozen=True)
class Candidate:
    """One of the profile analysis' keys, its calibrated confidence, and how it stands to the
    first ("same", "relative", "parallel", "dominant", "subdominant" or "none")."""
    key: Key
    confidence: float
    relation: str


@dataclass(frozen=True)
class LocalKey:
    """The profile analysis' key of a bar: the bar (from 1, 0 for a pickup), its first tick and time."""
    bar: int
    tick: int
    seconds: float
    key: Key | None


@dataclass(frozen=True)
class Region:
    """A stretch the profile analysis hears in one key, in ticks and seconds."""
    start_tick: int
    end_tick: int
    start_seconds: float
    end_seconds: float
    key: Key | None


@dataclass(frozen=True, repr=False)
class Chord:
    """One chord of the piece: the chord sounding from ``tick`` to ``end_tick``, in the local
    key of the profile analysis there; "chords" of ``tunedeck-detect --json``, field by field.

    ``bar`` counts from 1 in the meter chosen, ``beat`` from 1 in quarter notes (to a
    thousandth where the chord starts off the beat), ``ms`` is when a play reaches it (at the
    first tempo). ``label`` is Harte's syntax, as chord datasets write it ("G:7/3", "N" for no
    chord); ``symbol`` the lead-sheet symbol ("G7/B", "N.C."); ``roman`` the Roman numeral in
    ``key`` ("V7/V"; "" for no chord or no key), the local key (None where none is in force);
    ``key_code`` its code, as "keyCode" holds it (0 for none); ``confidence`` how often a
    chord shown so is right.

    >>> a = tunedeck.analyse("examples/twinkle-modulating.mid")
    >>> a.chords[1]
    <Chord bar 2 beat 1: F, IV in C major (0.97)>
    >>> a.chords[1].label, a.chords[1].key.code
    ('F:maj', 160)
    """
    tick: int
    end_tick: int
    bar: int
    beat: float
    ms: int
    label: str
    symbol: str
    roman: str
    key: Key | None
    key_code: int
    confidence: float

    def __repr__(self):
        where = f"bar {self.bar} beat {self.beat:g}"
        what = f"{self.symbol}, {self.roman} in {self.key}" if self.roman else self.symbol
        return f"<Chord {where}: {what} ({self.confidence:.2f})>"


def chord_of(c: dict) -> Chord:
    """A chord from its object in the JSON."""
    return Chord(tick=c["tick"], end_tick=c["endTick"], bar=c["bar"], beat=float(c["beat"]), ms=c["ms"],
                 label=c["label"], symbol=c["symbol"], roman=c["roman"], key=key_of(c["keyCode"]),
                 key_code=c["keyCode"], confidence=c["confidence"])


@dataclass(frozen=True)
class Counters:
    """What the run counted: note events gathered and fed, note-ons a transposition left out,
    the bar of the last event, ticks per bar, the library's count over all keys, and the
    note-ons of note 0 left out of both analyses (the library refuses note 0)."""
    events: int
    fed: int
    left_out: int
    last_bar: int
    ticks_per_bar: int
    counted: int
    note_zero_left_out: int = 0


@dataclass(frozen=True)
class ProfileAnalysis:
    """The profile analysis (key profiles and a hidden Markov model over the 24 keys).

    ``local_keys`` holds the bars where the key changes, however far the piece goes; ``bars``
    every bar's key (the first 65,536); ``regions`` the stretches in one key, in ticks.
    """
    key: Key | None
    confidence: float
    ambiguous: bool
    candidates: list[Candidate]
    local_keys: list[LocalKey]
    bars: list[LocalKey]
    regions: list[Region]
    change_rate: float

"""Tunedeck's key analyses of MIDI files and scores (MusicXML), from one file to a cluster.

One fast run gives two answers: the Tonalyte library's (key, probability, ranked keys and a
timeline by bar) and the profile analysis' (key profiles and a hidden Markov model: a key with
a calibrated confidence, candidates, and the local keys bar by bar), with the chords beat by
beat in those local keys::

    import tunedeck
    a = tunedeck.analyse("song.mid")
    a.key, a.probability, a.profile.key, a.profile.local_keys
    a.chords                         # [<Chord bar 1 beat 1: C, I in C major (1.00)>, ...]
    a.to_dict()                      # what `tunedeck-detect --json song.mid` prints for it

    rows = tunedeck.analyse_many(["folder/"], jobs=4, progress=True)
    df = tunedeck.to_dataframe(rows)
    chords = tunedeck.chords_dataframe(["folder/"], jobs=4)    # every chord, a row each
    notes = tunedeck.notes_dataframe("song.mxl")               # a score's notes, spelled

Threads: every analysis has an engine of its own and releases the GIL while it works, so
threads run side by side (analyse_many uses them; processes=True for worker processes).
"""

from importlib import metadata as _metadata

from ._analysis import (Analysis, Candidate, Chord, Counters, KeyPoint, LocalKey, ProfileAnalysis, RankedKey,
                        Region, analyse)
from ._choices import METERS
from ._collection import (CHORD_COLUMNS, COLUMNS, NOTE_COLUMNS, analyse_many, chords_dataframe, midi_files,
                          notes_dataframe, to_dataframe)
from ._errors import AnalysisError, FileWarning, MidiFileError
from ._events import EVENT_DTYPE, analyse_events, from_mido
from ._keys import Key, key_of
from ._live import LiveTracker, Reading

__all__ = ["analyse", "analyse_events", "from_mido", "analyse_many", "to_dataframe", "chords_dataframe", "notes_dataframe",
           "midi_files", "LiveTracker", "Reading", "Analysis", "ProfileAnalysis", "RankedKey", "KeyPoint", "Candidate",
           "LocalKey", "Region", "Chord", "Counters", "Key", "key_of", "AnalysisError", "MidiFileError", "FileWarning", "COLUMNS",
           "CHORD_COLUMNS", "NOTE_COLUMNS", "METERS", "EVENT_DTYPE", "__version__"]

# The installed package's version: setup.py takes it from the project's CMakeLists.txt, its one place.
__version__ = _metadata.version("tunedeck")


def __getattr__(name):
    # Dask takes a while to import: tunedeck.dask loads it when it is first used.
    if name == "dask":
        import importlib

        return importlib.import_module(".dask", __name__)
    raise AttributeError(f"module {__name__!r} has no attribute {name!r}")

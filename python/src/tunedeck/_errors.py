"""How an analysis fails, in the words tunedeck-detect uses."""

from __future__ import annotations

import warnings

__all__ = ["AnalysisError", "MidiFileError", "FileWarning", "ERRORS", "errors_choice", "reported"]


class AnalysisError(Exception):
    """A run that ended without its reports, where tunedeck-detect fails the file.

    ``outcome`` is the command's word ("out-of-buffer", "track-not-found", ...), ``short`` the
    window's error text ("Out of buffer !", ...), ``reason`` the words behind it ("" when there
    are none) and ``file`` the path as given (None for bytes and events). ``str()`` is the
    command's line on stderr without its "tunedeck-detect: ". Past the event buffer
    ("out-of-buffer") the library names no key, but ``analysis`` holds the profile analysis
    and the chords of the notes up to the limit, as a play shows them (``analysis.limit_bar``
    is the last bar they reach); it is None for every other outcome.

    >>> try:
    ...     tunedeck.analyse("long.mid")
    ... except tunedeck.AnalysisError as e:
    ...     print(e.analysis.profile.key, e.analysis.limit_bar)
    C major 2000
    """

    def __init__(self, outcome: str, short: str, reason: str = "", file: str | None = None, analysis=None):
        self.outcome = outcome
        self.short = short
        self.reason = reason
        self.file = file
        self.analysis = analysis
        message = f"{short} ({reason})" if reason else short
        super().__init__(f"{file}: {message}" if file is not None else message)


class MidiFileError(AnalysisError):
    """A file the reader refused. ``kind`` says which check refused it: "file-open" (``short``
    "File Open Error"), "invalid-header" ("Invalid File Header"), "reader" ("Midifile1_Error")
    or "format-not-supported" ("Format not supported"); ``reason`` is the system's or the
    reader's words, as ``OpenFailure::reason`` gives them.

    >>> try:
    ...     tunedeck.analyse(b"RIFF....")
    ... except tunedeck.MidiFileError as e:
    ...     print(e.kind, "|", e)
    invalid-header | Invalid File Header (it does not begin with a MIDI header (MThd))
    """

    def __init__(self, kind: str, short: str, reason: str, file: str | None = None):
        self.kind = kind
        super().__init__("file-refused", short, reason, file)


class FileWarning(UserWarning):
    """A batch's file that gave no analysis (refused, unreadable, past a limit) or an entry
    its walk could not use, with ``errors="warn"``; the message names the file and why."""


# What a batch does with such a file, as pandas' readers ask it: raise its error, warn, or
# pass over it in silence.
ERRORS = ("raise", "warn", "ignore")


def errors_choice(errors) -> str:
    if not isinstance(errors, str) or errors not in ERRORS:
        raise ValueError(f'errors takes "raise", "warn" or "ignore"; not {errors!r}')
    return errors


def reported(problems, names: list, errors: str) -> None:
    """Each (index, kind, outcome, short, reason) of a table's problems, the file ``names[index]``
    (None for bytes), raised as analyse() raises it or warned of, as ``errors`` says."""
    if errors == "ignore":
        return
    for index, kind, outcome, short, reason in problems:
        file = names[index]
        error = MidiFileError(kind, short, reason, file) if kind is not None else AnalysisError(outcome, short, reason, file)
        if errors == "raise":
            raise error
        where = "" if file is not None else f"bytes (item {index}): "
        warnings.warn(FileWarning(where + str(error)), stacklevel=3)

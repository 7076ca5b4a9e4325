"""What a source names: a file by its path, or a file's contents.

The rule, for analyse() and the batches alike: ``str`` and ``os.PathLike`` are paths;
``bytearray`` and ``memoryview`` are contents; ``bytes`` are contents when they begin with a
file's header ("MThd", or "RIFF" for the wrapped form) or name nothing on disk, and a path when
they name an existing entry (os.listdir(b".") hands out names as bytes).
"""

from __future__ import annotations

import os

from ._errors import MidiFileError

__all__ = ["source_path", "contents_note", "SOURCE_TYPES"]

SOURCE_TYPES = (str, os.PathLike, bytes, bytearray, memoryview)
_HEADERS = (b"MThd", b"RIFF")
# Longer bytes, or bytes with a NUL, cannot be a path.
_LONGEST_PATH = 4096


def source_path(source, argument: str = "source") -> bytes | None:
    """The path's bytes when the source names a file; None for a file's contents."""
    if isinstance(source, (bytearray, memoryview)):
        return None
    if isinstance(source, bytes):
        return source if not source.startswith(_HEADERS) and os.path.lexists(source) else None
    if not isinstance(source, (str, os.PathLike)):
        raise TypeError(f"{argument} takes a path (str or os.PathLike) or a MIDI file's bytes; "
                        f"not {type(source).__name__}")
    return os.fsencode(source)


def could_be_a_path(source) -> bool:
    return isinstance(source, bytes) and len(source) < _LONGEST_PATH and b"\0" not in source \
        and not source.startswith(_HEADERS)


def contents_note(error: MidiFileError, source) -> MidiFileError:
    """The refusal of bytes that look like a missing file's name, saying how they were read."""
    if error.kind == "invalid-header" and could_be_a_path(source):
        shown = repr(source[:80] + b"..." if len(source) > 80 else source)
        error.args = (f"{error}; the bytes {shown} were read as a file's contents, since no file is called so "
                      f"(a path is a str or os.PathLike, or bytes naming an existing file)",)
    return error

"""The package as a user meets it: wrong arguments, what it says of itself, pickling, its
command, its repr of a piece without notes."""

import ast
import inspect
import os
import pickle
import re
import subprocess
import sys
from pathlib import Path

import numpy as np
import pytest

import tunedeck
from tunedeck import _choices, _core
from conftest import DETECT, REPOSITORY, melody, midi_bytes, scale_file

PACKAGE = Path(tunedeck.__file__).parent


@pytest.mark.parametrize("call, error, argument", [
    (lambda: tunedeck.analyse(scale_file(), sensitive="no"), TypeError, "sensitive"),
    (lambda: tunedeck.analyse(scale_file(), keys=True), TypeError, "keys"),
    (lambda: tunedeck.analyse(scale_file(), track=10**30), ValueError, "track"),
    (lambda: tunedeck.analyse(scale_file(), track=13), ValueError, "track"),
    (lambda: tunedeck.analyse(scale_file(), track="1"), TypeError, "track"),
    (lambda: tunedeck.analyse(scale_file(), muted=5), TypeError, "muted"),
    (lambda: tunedeck.analyse(scale_file(), meter=4), TypeError, "meter"),
    (lambda: tunedeck.analyse(scale_file(), transpose=1.5), TypeError, "transpose"),
    (lambda: tunedeck.analyse(scale_file(), split_format0="yes"), TypeError, "split_format0"),
    (lambda: tunedeck.analyse(5), TypeError, "source"),
    (lambda: tunedeck.analyse(scale_file()).to_dict(notation=1), TypeError, "notation"),
    (lambda: tunedeck.Key("G major!"), ValueError, "Key"),
    (lambda: tunedeck.Key(10**30), ValueError, "Key"),
    (lambda: tunedeck.Key(1.0), TypeError, "Key"),
    (lambda: tunedeck.analyse_many([], jobs=0), ValueError, "jobs"),
    (lambda: tunedeck.analyse_many([], profile="no"), TypeError, "profile"),
    (lambda: tunedeck.analyse_events([(0, 0x90, 60, 90)], division="480"), TypeError, "division"),
    (lambda: tunedeck.LiveTracker().feed(60, 90, 16, 0), ValueError, "channel"),
    (lambda: tunedeck.LiveTracker().reading(10**30), ValueError, "ms"),
])
def test_a_wrong_argument_is_named(call, error, argument):
    with pytest.raises(error) as raised:
        call()
    assert type(raised.value) is error and str(raised.value).split()[0] == argument


_TRACKS = "1 to 12 (the window's \"Track 01\" to \"Track 12\", mido's tracks[1] to tracks[12]), or None for all tracks"
_MUTED = "a collection of channels 0 to 15 as mido numbers them (9 is the drums), such as [9] or range(16)"


# The core checks the choices against its table, in the words the Python layer always used.
@pytest.mark.parametrize("wrong, error, message", [
    ({"track": 13}, ValueError, f"track takes {_TRACKS}; not 13"),
    ({"track": "1"}, TypeError, f"track takes {_TRACKS}; not '1' (str)"),
    ({"sensitive": "no"}, TypeError, "sensitive takes True or False; not 'no' (str)"),
    ({"meter": 4}, TypeError, "meter takes one of 2/4, 3/4, 4/4, 6/8 as a str; not 4"),
    ({"meter": "5/4"}, ValueError, "meter takes one of 2/4, 3/4, 4/4, 6/8; not '5/4'"),
    ({"keys": True}, TypeError, 'keys takes 1 to 4, or None for "I don\'t know"; not True (bool)'),
    ({"keys": 5}, ValueError, 'keys takes 1 to 4, or None for "I don\'t know"; not 5'),
    ({"transpose": 1.5}, TypeError, "transpose takes -12 to 12 semitones; not 1.5 (float)"),
    ({"transpose": 10**30}, ValueError, f"transpose takes -12 to 12 semitones; not {10**30}"),
    ({"muted": 5}, TypeError, f"muted takes {_MUTED}; not 5"),
    ({"muted": [3, "a"]}, TypeError, f"muted takes {_MUTED}; not 'a' (str)"),
    ({"muted": [16, 3, -1]}, ValueError, f"muted takes {_MUTED}; not [-1, 3, 16]"),
])
def test_a_wrong_choice_is_refused_in_its_words(wrong, error, message):
    with pytest.raises(error) as raised:
        tunedeck.analyse(scale_file(), **wrong)
    assert type(raised.value) is error and str(raised.value) == message


def test_the_choices_come_from_the_cores_table():
    defaults = _core.Options.defaults()
    assert list(inspect.signature(tunedeck.analyse).parameters) == ["source", *defaults]
    assert tunedeck.analyse.__signature__.parameters["meter"].default == defaults["meter"]
    # By position in the table's order, as by keyword; the checked values in Python's spelling.
    assert (tunedeck.analyse(scale_file(), 1, True, "3/4", None).to_dict()
            == tunedeck.analyse(scale_file(), keys="unknown", meter="3/4", sensitive=np.bool_(True), track=1).to_dict())
    checked = _choices.choices("analyse", track=2, keys="unknown", muted=range(2), sensitive=np.bool_(True))
    assert checked == {**defaults, "track": 2, "keys": None, "muted": (0, 1), "sensitive": True}
    assert _core.Options(checked).choices() == checked
    # Arguments it does not take are named with the function, as Python names them.
    for call, message in ((lambda: tunedeck.analyse(scale_file(), bogus=1),
                           "analyse() got an unexpected keyword argument 'bogus'"),
                          (lambda: tunedeck.analyse(scale_file(), 1, track=1),
                           "analyse() got multiple values for argument 'track'"),
                          (lambda: tunedeck.analyse_many([], bogus=1),
                           "analyse_many() got an unexpected keyword argument 'bogus'")):
        with pytest.raises(TypeError) as raised:
            call()
        assert str(raised.value) == message
    with pytest.raises(TypeError):
        _core.Options(bogus=1)


def test_bytes_that_name_no_file_are_read_as_contents(tmp_path):
    with pytest.raises(tunedeck.MidiFileError) as refused:
        tunedeck.analyse(b"missing.mid")
    assert refused.value.kind == "invalid-header" and "b'missing.mid' were read as a file's contents" in str(refused.value)
    (tmp_path / "here.mid").write_bytes(scale_file())
    assert tunedeck.analyse(bytes(tmp_path / "here.mid")).file == str(tmp_path / "here.mid")
    assert tunedeck.Key("g MAJOR") == tunedeck.Key("G major") == tunedeck.key_of(167)
    assert tunedeck.Key("Bb minor") == tunedeck.Key("A# minor") == tunedeck.key_of(70)


def test_the_package_describes_itself():
    version = re.search(r"project\(Tunedeck VERSION ([0-9.]+)", (REPOSITORY / "CMakeLists.txt").read_text())
    assert tunedeck.__version__ == version.group(1)
    assert (PACKAGE / "py.typed").is_file()
    stub = ast.parse((PACKAGE / "_core.pyi").read_text())
    stubbed = {n.name for n in stub.body if isinstance(n, (ast.FunctionDef, ast.ClassDef))}
    stubbed |= {n.target.id for n in stub.body if isinstance(n, ast.AnnAssign)}
    assert stubbed == {name for name in dir(_core) if not name.startswith("__")}


@pytest.mark.parametrize("make", [
    lambda path: tunedeck.analyse(path, track=1, transpose=2),
    lambda path: tunedeck.analyse(path.read_bytes(), meter="3/4"),
    lambda path: tunedeck.analyse_events([(0, 0x90, 60, 90), (480, 0x80, 60, 0)], division=480, keys=None),
])
def test_an_analysis_pickles(tmp_path, make):
    path = tmp_path / "scale.mid"
    path.write_bytes(scale_file())
    a = make(path)
    path.unlink()  # the copy needs no file
    b = pickle.loads(pickle.dumps(a))
    assert b.to_dict() == a.to_dict() and b.file == a.file and repr(b) == repr(a)


def test_a_piece_with_every_channel_muted_says_so():
    a = tunedeck.analyse(scale_file(), muted=range(16))
    assert repr(a) == "<Analysis bytes: no notes to analyse>"


def run(program, *arguments):
    done = subprocess.run([*program, *arguments], capture_output=True)
    # The summary line's time is the run's own.
    return done.stdout, re.sub(rb" in [0-9.]+ s", b"", done.stderr.replace(b"tunedeck-detect: ", b"tunedeck: ")), \
        done.returncode


@pytest.fixture(scope="module")
def programs(detect, tmp_path_factory):
    """Both commands, and what they read: the examples, a folder with a refused file and a
    format 0 one, and a missing file."""
    folder = tmp_path_factory.mktemp("command")
    (folder / "refused.mid").write_bytes(b"MThd\x00")
    (folder / "zero.mid").write_bytes(midi_bytes(melody(), kind=0))
    files = [str(REPOSITORY / "examples"), str(folder), str(folder / "missing.mid")]
    ours = [sys.executable, "-m", "tunedeck"]
    return ours, [DETECT], files  # detect: skipped without the command


@pytest.mark.parametrize("options", [
    [], ["--json"], ["--format", "csv"], ["--format", "jsonl", "--notation", "camelot"],
    ["--second-key", "-t", "1", "--keys", "unknown"], ["--summary", "--format", "csv", "--notation", "german"],
    ["--meter", "3/4", "-s", "more", "--transpose", "0", "--json"], ["--split-format0", "--jobs", "1"],
    ["--key-network", "--json"], ["--chords"], ["--chords", "--roman", "--second-key"], ["--chords", "--format", "csv"],
])
def test_python_m_tunedeck_prints_what_the_command_prints(programs, options):
    ours, theirs, files = programs
    assert run(ours, *options, *files) == run(theirs, *options, *files)


# Each case: where the copies go (a folder of their own, or inside the folder read, where the
# plan refuses them) and the options beside --write-chords.
@pytest.mark.parametrize("into, options", [
    ("elsewhere", []), ("elsewhere", ["--chords", "--format", "csv", "--jobs", "2"]), ("input", ["--json"]),
])
def test_python_m_tunedeck_writes_the_commands_chord_copies(programs, tmp_path, into, options):
    ours, theirs, _files = programs
    source = tmp_path / "in"
    (source / "sub").mkdir(parents=True)
    (source / "scale.mid").write_bytes(scale_file())
    (source / "sub" / "scale.mid").write_bytes(scale_file(2))
    answers, copies = [], []
    for name, program in (("ours", ours), ("theirs", theirs)):
        folder = tmp_path / name if into == "elsewhere" else source / "sub"
        out, err, status = run(program, *options, "--write-chords", str(folder), str(source))
        answers.append((out, err.replace(os.fsencode(folder), b"DIR"), status))
        copies.append({p.relative_to(folder): p.read_bytes() for p in folder.rglob("*") if p.is_file()})
    assert answers[0] == answers[1]
    assert copies[0] == copies[1]
    if into == "elsewhere":
        assert sorted(map(str, copies[0])) == ["scale.mid", "sub/scale.mid"]
    else:  # the walk leaves sub out, and the copy would replace its file
        assert b"chord markers not written (will not write over" in answers[0][1]


@pytest.mark.parametrize("options", [["--track", "13"], ["--format", "xml"], ["--jobs", "0"]])
def test_python_m_tunedeck_refuses_a_wrong_option(programs, options):
    ours, _theirs, files = programs
    out, err, status = run(ours, *options, *files)
    assert (out, status) == (b"", 2) and options[0].encode() + b" takes" in err

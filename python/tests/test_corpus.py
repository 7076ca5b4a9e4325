"""Over the whole shared corpus, to_dict() is the command's JSON object, with its options and
without; and the files are listed as the command walks the folders."""

import mido
import pytest

import tunedeck


def test_every_file_answers_as_the_command(corpus, detect):
    objects, _ = detect(str(corpus))
    assert len(objects) > 400
    assert [o["file"] for o in objects] == list(tunedeck.midi_files(corpus))
    differing = [o["file"] for o in objects if tunedeck.analyse(o["file"]).to_dict() != o]
    assert differing == []


def test_options_answer_as_the_commands(corpus, detect):
    folder = corpus / "bach"
    objects, _ = detect("--track", "2", "--sensitivity", "more", "--meter", "6/8", "--keys", "unknown",
                        "--transpose", "-5", "--notation", "openkey", str(folder))
    options = {"track": 2, "sensitive": True, "meter": "6/8", "keys": None, "transpose": -5}
    differing = [o["file"] for o in objects
                 if tunedeck.analyse(o["file"], **options).to_dict(notation="openkey") != o]
    assert differing == []


def test_mido_files_answer_as_the_command(corpus, detect):
    objects, _ = detect(str(corpus / "pop909"))
    for o in objects[:10]:
        assert tunedeck.from_mido(mido.MidiFile(o["file"])).to_dict() == {**o, "file": None}

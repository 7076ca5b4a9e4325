"""Scores (MusicXML) in Python: analysed as the MIDI file they make, their notes as a table."""
import os
import subprocess
import sys

import pytest

import tunedeck

_SCALE = ("<score-partwise><part-list><score-part id='P1'><part-name>Voice</part-name></score-part></part-list>"
          "<part id='P1'><measure number='0' implicit='yes'><attributes><divisions>2</divisions><key><fifths>-1"
          "</fifths></key><time><beats>3</beats><beat-type>4</beat-type></time></attributes>"
          "<note><pitch><step>F</step><octave>4</octave></pitch><duration>2</duration></note></measure>"
          "<measure number='1'><barline location='left'><repeat direction='forward'/></barline>"
          "<note><pitch><step>B</step><alter>-1</alter><octave>4</octave></pitch><duration>1</duration></note>"
          "<note><grace/><pitch><step>D</step><octave>5</octave></pitch></note>"
          "<note><pitch><step>C</step><alter>1</alter><octave>5</octave></pitch><duration>3</duration>"
          "<tie type='start'/></note>"
          "<note><pitch><step>C</step><alter>1</alter><octave>5</octave></pitch><duration>2</duration>"
          "<tie type='stop'/></note>"
          "<barline location='right'><repeat direction='backward'/></barline></measure></part></score-partwise>")


def test_notes_of_a_score_spelled_with_printed_measures():
    df = tunedeck.notes_dataframe(_SCALE.encode())
    assert list(df.columns) == tunedeck.NOTE_COLUMNS
    assert df.to_dict("list") == {
        "part": [0, 0, 0], "measure": ["0", "1", "1"], "onset": [0.0, 1.0, 1.5], "duration": [1.0, 0.5, 2.5],
        "tick": [0, 480, 720], "pitch": [65, 70, 73], "name": ["F4", "Bb4", "C#5"]}


def test_repeats_unfolded_on_request(tmp_path):
    path = tmp_path / "scale.musicxml"
    path.write_text(_SCALE)
    assert list(tunedeck.notes_dataframe(path).tick) == [0, 480, 720]
    assert list(tunedeck.notes_dataframe(str(path), unfold_repeats=True).tick) == [0, 480, 720, 1920, 2160]


def test_notes_of_a_midi_file_as_mido_reads_them():
    mido = pytest.importorskip("mido")
    path = os.path.join(os.path.dirname(__file__), "..", "..", "examples", "twinkle-modulating.mid")
    expected = []
    for number, track in enumerate(mido.MidiFile(path).tracks[1:]):
        tick = 0
        for message in track:
            tick += message.time
            if message.type == "note_on" and message.velocity > 0:
                expected.append((tick, number, message.note))
    df = tunedeck.notes_dataframe(path)
    assert list(zip(df.tick, df.part, df.pitch)) == sorted(expected)
    names = {60: "C4", 61: "C#4", 66: "F#4", 70: "A#4"}
    assert all(names[p] == n for p, n in zip(df.pitch, df.name) if p in names)


def test_a_score_is_analysed_as_the_midi_file_it_makes():
    plain = tunedeck.analyse(_SCALE.encode())
    unfolded = tunedeck.analyse(_SCALE.encode(), unfold_repeats=True)
    assert plain.counters.events < unfolded.counters.events


def test_a_refused_score_says_why():
    with pytest.raises(tunedeck.MidiFileError) as refused:
        tunedeck.notes_dataframe(_SCALE.replace("<divisions>2", "<divisions>0").encode())
    assert refused.value.reason == "part P1, measure 0: its divisions of 0 a quarter note are not a positive number"
    with pytest.raises(tunedeck.MidiFileError) as analysed:
        tunedeck.analyse(_SCALE.replace("<divisions>2", "<divisions>0").encode())
    assert analysed.value.reason == "part P1, measure 0: its divisions of 0 a quarter note are not a positive number"


def _bar(notes):
    """One bar of a whole-note chord, the notes as (step, alter, octave)."""
    pitch = "<pitch><step>{}</step><alter>{}</alter><octave>{}</octave></pitch><duration>4</duration>"
    return "".join("<note>" + ("<chord/>" if i else "") + pitch.format(*n) + "</note>" for i, n in enumerate(notes))


def _in_g_flat():
    """Gb major in six flats: I IV ii7 V7 I V7 I I, four times."""
    one = _bar([("G", -1, 3), ("B", -1, 4), ("D", -1, 5), ("G", -1, 5)])
    four = _bar([("C", -1, 4), ("E", -1, 4), ("G", -1, 4), ("C", -1, 5)])
    two = _bar([("A", -1, 3), ("C", -1, 4), ("E", -1, 4), ("G", -1, 4)])
    five = _bar([("D", -1, 4), ("F", 0, 4), ("A", -1, 4), ("C", -1, 5)])
    bars = [one, four, two, five, one, five, one, one] * 4
    return ("<score-partwise><part-list><score-part id='P1'><part-name>Piano</part-name></score-part></part-list>"
            "<part id='P1'>" + "".join(
                "<measure number='{}'>{}{}</measure>".format(
                    i + 1, "<attributes><divisions>1</divisions><key><fifths>-6</fifths></key></attributes>"
                    if i == 0 else "", b) for i, b in enumerate(bars)) + "</part></score-partwise>")


def test_chords_of_a_score_spelled_as_written():
    score = _in_g_flat()
    assert {c.symbol for c in tunedeck.analyse(score.encode()).chords} == {"Gb", "Cb", "Abm7", "Db7"}
    assert {c.label for c in tunedeck.analyse(score.encode()).chords} == {"Gb:maj", "Cb:maj", "Ab:min7", "Db:7"}


_CADENCE_BARS = [("C3", "E4", "G4", "C5"), ("F3", "F4", "A4", "C5"), ("G3", "F4", "B4", "D5"), ("C3", "E4", "G4", "C5")]


def _cadences() -> bytes:
    """I IV V7 I in C major, a whole-note chord a bar, eight times."""
    def note(name, chord):
        return (f"<note>{'<chord/>' if chord else ''}<pitch><step>{name[0]}</step><octave>{name[1]}</octave></pitch>"
                "<duration>4</duration></note>")
    measures = "".join(
        f"<measure number='{n + 1}'>" + ("<attributes><divisions>1</divisions></attributes>" if n == 0 else "")
        + "".join(note(p, i > 0) for i, p in enumerate(_CADENCE_BARS[n % 4])) + "</measure>" for n in range(32))
    return ("<score-partwise version='3.1'><part-list><score-part id='P1'/></part-list><part id='P1'>" + measures
            + "</part></score-partwise>").encode()


def test_the_analysis_written_into_the_score(tmp_path):
    path = tmp_path / "cadence.xml"
    path.write_bytes(_cadences())
    analysis = tunedeck.analyse(path)
    written = {analysis.to_musicxml(), tunedeck.analyse(_cadences()).to_musicxml()}
    assert len(written) == 1  # by path and from bytes alike
    score = written.pop()
    sounding = [c for c in analysis.chords if c.symbol != "N.C."]
    assert len(sounding) > 16
    assert score.count(b'<harmony placement="above">') == score.count(b'<harmony placement="below">') == len(sounding)
    assert b'<numeral-root text="V7">5</numeral-root>' in score
    assert tunedeck.notes_dataframe(score).equals(tunedeck.notes_dataframe(_cadences()))


def test_what_cannot_be_written_into_a_score():
    midi = os.path.join(os.path.dirname(__file__), "..", "..", "examples", "ode-to-joy.mid")
    for analysis, words in [(tunedeck.analyse(midi), "not a score"),
                            (tunedeck.analyse(_cadences(), unfold_repeats=True), "without unfolding repeats")]:
        with pytest.raises(ValueError, match=words):
            analysis.to_musicxml()


def test_romantext_is_the_commands(tmp_path):
    from conftest import DETECT, REPOSITORY
    if not DETECT.is_file():
        pytest.skip(f"no tunedeck-detect at {DETECT}")
    import subprocess
    score = tmp_path / "scale.musicxml"
    score.write_text(_SCALE)
    for path, meter in ((score, "4/4"), (REPOSITORY / "examples" / "greensleeves.mid", "6/8")):
        printed = subprocess.run([DETECT, "--format", "rntxt", "--meter", meter, path], capture_output=True).stdout
        document = tunedeck.analyse(path, meter=meter).to_romantext()
        assert document + "\n" == printed.decode()
        assert f"Title: {path.stem}\n" in document


# Each row: how the output is made, and the names it must hold: the score's, never the
# program's own (F# major, B).
@pytest.mark.parametrize("output, names", [
    (lambda path: subprocess.run([sys.executable, "-m", "tunedeck", "--second-key", str(path)],
                                 capture_output=True, check=True).stdout.decode(),
     ["Profile analysis  Gb major", "Local keys        0001: Gb major"]),
    (lambda path: next(tunedeck.analyse_many([str(path)], jobs=1))["profile_key"], ["Gb major"]),
    (lambda path: " ".join(tunedeck.chords_dataframe([str(path)], jobs=1)["key"].astype(str)), ["Gb major"]),
])
def test_every_output_names_a_scores_keys_as_written(tmp_path, output, names):
    path = tmp_path / "g-flat.musicxml"
    path.write_text(_in_g_flat())
    shown = output(path)
    for name in names:
        assert name in shown
    assert "F# major" not in shown

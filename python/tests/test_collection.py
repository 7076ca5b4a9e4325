"""Many files: rows in order from worker processes, a DataFrame, and a Dask cluster."""

import warnings

import pytest

import tunedeck
from conftest import scale_file

# The scale in each of the twelve major keys, named so that the names' order is not the keys'.
KEYS = [(t * 7) % 12 for t in range(12)]


@pytest.fixture(scope="module")
def folder(tmp_path_factory):
    root = tmp_path_factory.mktemp("collection")
    (root / "sub").mkdir()
    for i, t in enumerate(KEYS):
        (root / ("sub" if i % 3 == 0 else "") / f"{11 - i:02}-song.MID").write_bytes(scale_file(transpose=t))
    (root / "broken.mid").write_bytes(b"MThd\x00")
    (root / "notes.txt").write_text("not a MIDI file")
    return root


def expected_code(path):
    return 160 + KEYS[11 - int(path.rsplit("/", 1)[-1][:2])]


def test_rows_come_in_the_order_asked(folder):
    files = list(tunedeck.midi_files(folder))
    # Byte order in each folder, a subfolder at its place: "sub" after the digits and "broken".
    assert [f[len(str(folder)) + 1:] for f in files] == [
        *(f"{n:02}-song.MID" for n in (0, 1, 3, 4, 6, 7, 9, 10)), "broken.mid",
        *(f"sub/{n:02}-song.MID" for n in (2, 5, 8, 11))]
    wanted = files[::-1] + files[:3]
    rows = list(tunedeck.analyse_many(wanted, jobs=2, batch=2))
    assert [row["file"] for row in rows] == wanted
    for row in rows:
        if row["file"].endswith("broken.mid"):
            assert (row["outcome"], row["message"], row["key"]) == ("file-refused", row["reason"], None)
            assert row["reason"] == "file ends inside the header"
        else:
            assert row["key_code"] == row["profile_key_code"] == expected_code(row["file"])


def test_rows_into_a_dataframe(folder):
    df = tunedeck.to_dataframe(tunedeck.analyse_many([folder], jobs=1))
    assert list(df.columns) == list(tunedeck.COLUMNS) and len(df) == 13
    assert str(df["key_code"].dtype) == "Int64" and df["key_code"].isna().sum() == 1
    assert (df["outcome"] == "reported").sum() == 12
    # One spelling for both analyses' keys, where "key" is the window's ("F# Gb Major").
    reported = df[df["outcome"] == "reported"]
    assert reported["key_name"].equals(reported["profile_key"]) and not reported["key"].equals(reported["key_name"])
    # Without the profile analysis, as the command's CSV runs.
    quick = tunedeck.to_dataframe(tunedeck.analyse_many([folder], jobs=1, profile=False))
    assert quick["profile_key"].isna().all() and (quick["key_code"].equals(df["key_code"]))


@pytest.fixture(scope="module")
def client():
    distributed = pytest.importorskip("dask.distributed")
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None) as cluster:
        with distributed.Client(cluster) as c:
            yield c


def contents(folder):
    return [open(f, "rb").read() for f in tunedeck.midi_files(folder)]


def test_bytes_among_paths(folder):
    files = list(tunedeck.midi_files(folder))
    by_path = list(tunedeck.analyse_many(files, jobs=1))
    mixed = [bytearray(b) if i % 2 else b for i, b in enumerate(contents(folder))]
    mixed[3] = files[3]
    rows = list(tunedeck.analyse_many(mixed, jobs=2, batch=2))
    assert rows == [{**row, "file": row["file"] if i == 3 else None} for i, row in enumerate(by_path)]
    chords = tunedeck.chords_dataframe(files, jobs=1)
    named = chords["file"].where(chords["file"] == files[3], None)
    assert tunedeck.chords_dataframe(mixed, jobs=2, batch=3, processes=True).equals(chords.assign(file=named))


def test_dask_on_a_local_cluster(folder, client):
    expected = tunedeck.to_dataframe(tunedeck.analyse_many([folder], jobs=1))
    by_path = tunedeck.dask.analyse([folder], partition_size=3)
    assert by_path.npartitions == 5
    assert by_path.compute().equals(expected)
    # Workers that cannot see the files take their bytes: a bag's rows are numbered through.
    by_bytes = tunedeck.dask.analyse(tunedeck.dask.read_files([folder], partition_size=4)).compute()
    assert by_bytes.equals(expected)
    assert tunedeck.dask.analyse(contents(folder), partition_size=4).compute().equals(expected.assign(file=None))
    # Every chord, a row each, from paths and from contents alike.
    chords = tunedeck.chords_dataframe([folder], jobs=1)
    assert chords["file"].nunique() == 12
    for source in ([folder], tunedeck.dask.read_files([folder], partition_size=4)):
        assert tunedeck.dask.chords(source, partition_size=3).compute().reset_index(drop=True).equals(chords)


def test_threads_give_the_serial_results(folder):
    # Each analysis has an engine of its own: side by side they answer as one after another.
    import concurrent.futures

    files = [f for f in tunedeck.midi_files(folder) if not f.endswith("broken.mid")] * 3
    serial = [tunedeck.analyse(f, sensitive=i % 2 == 1).to_dict() for i, f in enumerate(files)]
    with concurrent.futures.ThreadPoolExecutor(4) as pool:
        threaded = list(pool.map(lambda a: tunedeck.analyse(a[1], sensitive=a[0] % 2 == 1).to_dict(),
                                 enumerate(files)))
    assert threaded == serial
    rows = list(tunedeck.analyse_many([folder], jobs=1))
    assert list(tunedeck.analyse_many([folder], jobs=3, batch=1)) == rows
    assert list(tunedeck.analyse_many([folder], jobs=2, batch=3, processes=True)) == rows


# Each batch function, asked for the same files: two songs, a misspelt path and a damaged file.
BATCHES = {
    "analyse_many": lambda files, **e: list(tunedeck.analyse_many(files, jobs=2, batch=1, **e)),
    "chords_dataframe": lambda files, **e: tunedeck.chords_dataframe(files, jobs=1, **e),
    "dask.analyse": lambda files, **e: tunedeck.dask.analyse(files, 2, **e).compute(scheduler="sync"),
    "dask.chords": lambda files, **e: tunedeck.dask.chords(files, 2, **e).compute(scheduler="sync"),
}


@pytest.mark.parametrize("batch", BATCHES)
def test_batches_say_what_they_drop(folder, batch):
    songs = list(tunedeck.midi_files(folder))[:2]
    gone, broken = str(folder / "gone.mid"), str(folder / "broken.mid")
    files = [songs[0], gone, songs[1], broken]
    run = BATCHES[batch]
    with pytest.warns(tunedeck.FileWarning) as caught:
        warned = run(files)
    assert [str(w.message) for w in caught if w.category is tunedeck.FileWarning] == [f"{gone}: File Open Error (No such file or directory)",
                                                                                  f"{broken}: Midifile1_Error (file ends inside the header)"]
    with pytest.raises(tunedeck.MidiFileError, match="gone.mid: File Open Error") as raised:
        run(files, errors="raise")
    assert raised.value.kind == "file-open"
    with warnings.catch_warnings():
        warnings.simplefilter("error", tunedeck.FileWarning)
        quiet = run(files, errors="ignore")
    assert str(quiet) == str(warned)
    with pytest.raises(ValueError, match='errors takes "raise", "warn" or "ignore"'):
        run(files, errors="skip")


def test_the_walk_says_what_it_cannot_use(tmp_path):
    (tmp_path / "song.mid").write_bytes(scale_file())
    (tmp_path / "lost.mid").symlink_to(tmp_path / "nowhere.mid")
    with pytest.warns(tunedeck.FileWarning, match="lost.mid: File Open Error"):
        assert list(tunedeck.midi_files(tmp_path)) == [str(tmp_path / "song.mid")]
    with pytest.raises(tunedeck.MidiFileError, match="lost.mid"):
        list(tunedeck.midi_files(tmp_path, errors="raise"))

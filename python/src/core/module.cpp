// tunedeck._core: the core's one fast run of a file, of bytes and of events, tables of runs
// and of their chords over many files, and the live profile tracker, for the Python layer in
// tunedeck/.
//
// Every run has an engine of its own and releases the GIL for its whole length, so runs from
// several threads go on side by side.
#include "core/analysis/eventanalysis.h"
#include "core/score/noterows.h"
#include "annotate.h"
#include "copies.h"
#include "batch.h"
#include "choices.h"
#include "core/chords/chordanalysis.h"
#include "core/chords/chordmodel.h"
#include "core/keymodel/keymodelanalysis.h"
#include "core/keymodel/keymodelinputs.h"
#include "detect.h"
#include "core/tonalyte/linkedtonalyte.h"
#include "core/playback/livesession.h"
#include "pyjson.h"
#include "run.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>

namespace py = pybind11;

namespace tunedeck::python {

namespace {

template <typename Analyse>
Run runAlone(const Options &options, Analyse &&analyse)
{
    FileAnalysis a;
    {
        py::gil_scoped_release release;
        LinkedTonalyte engine;
        a = analyse(engine, options.choices);
    }
    return Run(std::move(a), options.transposeGiven);
}

// A bytes-like object's bytes, held while the run reads them (a bytearray cannot resize meanwhile).
class HeldBytes {
public:
    explicit HeldBytes(const py::handle &data)
    {
        // Simple: a buffer whose bytes do not lie one after the other is refused.
        if (PyObject_GetBuffer(data.ptr(), &view_, PyBUF_SIMPLE) != 0)
            throw py::error_already_set();
    }
    ~HeldBytes() { PyBuffer_Release(&view_); }
    HeldBytes(const HeldBytes &) = delete;
    HeldBytes &operator=(const HeldBytes &) = delete;
    std::string_view bytes() const { return {static_cast<const char *>(view_.buf), std::size_t(view_.len)}; }

private:
    Py_buffer view_{};
};

Run analyseBuffer(const py::object &data, const Options &options)
{
    const HeldBytes held(data);
    return runAlone(options,
                     [&](TonalyteEngine &e, const AnalysisChoices &c) { return analyseBytes(e, held.bytes(), c); });
}

// keepBytes: the run keeps the bytes read, so that an Analysis can be pickled without its file.
Run analysePathBytes(const py::bytes &path, const Options &options, bool keepBytes = false)
{
    const std::string name = path;
    std::string read;
    Run run = runAlone(options, [&](TonalyteEngine &e, const AnalysisChoices &c) {
        return analysePath(e, name, c, {}, keepBytes ? &read : nullptr);
    });
    run.source = std::move(read);
    return run;
}

// A score's or MIDI file's notes as columns, one entry a note; ValueError with the reader's
// words for bytes it refuses.
py::dict noteColumns(const py::object &data, bool unfoldRepeats)
{
    const HeldBytes held(data);
    Result<std::vector<score::NoteRow>> rows;
    {
        py::gil_scoped_release release;
        rows = score::noteRows(held.bytes(), {unfoldRepeats});
    }
    if (!rows)
        throw py::value_error(rows.error().reason);
    py::list part, measure, onset, duration, tick, pitch, name;
    for (const score::NoteRow &r : *rows) {
        part.append(r.part);
        measure.append(r.measure);
        onset.append(r.onset);
        duration.append(r.duration);
        tick.append(r.tick);
        pitch.append(r.pitch);
        name.append(r.name);
    }
    py::dict columns;
    columns["part"] = part;
    columns["measure"] = measure;
    columns["onset"] = onset;
    columns["duration"] = duration;
    columns["tick"] = tick;
    columns["pitch"] = pitch;
    columns["name"] = name;
    return columns;
}

// The chord analysis' beat frames of a file's run, from the core's own grid and sums, so a
// model trained in Python reads what the core would hand it. normalised: the chord model's
// inputs (share, bass share, presence: 36 a frame) and the key network's (those and the present
// local key and chord); else the raw sounding and bass ticks.
py::dict beatFrames(const py::object &data, const Options &options, bool normalised)
{
    const HeldBytes held(data);
    FileAnalysis a;
    chords::ChordFrames frames;
    std::vector<float> modelInputs;
    {
        py::gil_scoped_release release;
        LinkedTonalyte engine;
        AnalysisChoices c = options.choices;
        // The network's inputs hold the present local keys and chords too.
        c.withProfile = true;
        c.withChords = true;
        a = analyseBytes(engine, held.bytes(), c);
        if (!a.refusal && a.profile) {
            frames = chords::chordFrames(a.run.events, a.file.ticksPerQuarter);
            modelInputs = keymodel::modelInputs(frames, *a.profile, a.chords);
        }
    }
    const py::ssize_t n = py::ssize_t(frames.features.size());
    py::array_t<std::int64_t> start(n), end(n);
    py::array_t<bool> onBeat(n);
    auto s = start.mutable_unchecked<1>();
    auto e = end.mutable_unchecked<1>();
    auto b = onBeat.mutable_unchecked<1>();
    for (py::ssize_t f = 0; f < n; ++f) {
        s(f) = frames.start + f * frames.length;
        e(f) = s(f) + frames.length;
        b(f) = frames.onBeat[std::size_t(f)];
    }
    py::dict out;
    out["refused"] = bool(a.refusal);
    out["ticks_per_quarter"] = int(a.file.ticksPerQuarter);
    out["frame_ticks"] = frames.length;
    out["last_tick"] = frames.lastTick;
    out["start"] = start;
    out["end"] = end;
    out["on_beat"] = onBeat;
    if (normalised) {
        py::array_t<float> x({n, py::ssize_t(chords::FeatureCount)});
        py::array_t<bool> silent(n);
        auto xv = x.mutable_unchecked<2>();
        auto sv = silent.mutable_unchecked<1>();
        for (py::ssize_t f = 0; f < n; ++f) {
            const chords::FrameInput &in = frames.inputs[std::size_t(f)];
            for (py::ssize_t i = 0; i < py::ssize_t(chords::FeatureCount); ++i)
                xv(f, i) = in.x[std::size_t(i)];
            sv(f) = in.silent;
        }
        out["inputs"] = x;
        out["silent"] = silent;
        py::array_t<float> m({n, py::ssize_t(keymodel::InputCount)});
        if (n)
            std::copy(modelInputs.begin(), modelInputs.end(), m.mutable_data());
        out["model_inputs"] = m;
    } else {
        py::array_t<double> sounding({n, py::ssize_t(12)}), bass({n, py::ssize_t(12)});
        auto sv = sounding.mutable_unchecked<2>();
        auto bv = bass.mutable_unchecked<2>();
        for (py::ssize_t f = 0; f < n; ++f)
            for (py::ssize_t pc = 0; pc < 12; ++pc) {
                sv(f, pc) = frames.features[std::size_t(f)].sounding[std::size_t(pc)];
                bv(f, pc) = frames.features[std::size_t(f)].bass[std::size_t(pc)];
            }
        out["sounding"] = sounding;
        out["bass"] = bass;
    }
    return out;
}

template <typename T>
py::array_t<T> column(const py::object &values)
{
    return py::array_t<T, py::array::c_style | py::array::forcecast>::ensure(values);
}

Run analyseEventColumns(const py::object &ticks, const py::object &status, const py::object &data1,
                        const py::object &data2, const py::object &tracks, int division,
                        std::optional<std::int32_t> tempo, int trackCount, int format, const Options &options)
{
    const auto t = column<std::int64_t>(ticks), s = column<std::int64_t>(status), d1 = column<std::int64_t>(data1),
               d2 = column<std::int64_t>(data2), tr = column<std::int64_t>(tracks);
    if (!t || !s || !d1 || !d2 || !tr)
        throw py::type_error("event columns must be sequences of integers");
    const py::ssize_t n = t.size();
    if (s.size() != n || d1.size() != n || d2.size() != n || tr.size() != n)
        throw py::value_error("event columns differ in length");
    EventPiece piece;
    piece.ticksPerQuarter = division;
    piece.tempo = tempo;
    piece.trackCount = trackCount;
    piece.format = format;
    piece.events.resize(std::size_t(n));
    const auto clamp = [](std::int64_t v) { return int(std::clamp<std::int64_t>(v, -1, 1 << 16)); };
    for (py::ssize_t i = 0; i < n; ++i)
        piece.events[std::size_t(i)] = {t.at(i), clamp(s.at(i)), clamp(d1.at(i)), clamp(d2.at(i)),
                                        std::int32_t(std::clamp<std::int64_t>(tr.at(i), -1, 1 << 16))};
    std::optional<Failure> refused;
    Run run = runAlone(options, [&](TonalyteEngine &e, const AnalysisChoices &c) {
        Result<FileAnalysis> r = analyseEvents(e, piece, c);
        if (r)
            return std::move(*r);
        refused = r.error();
        return FileAnalysis{};
    });
    if (refused)
        throw py::value_error(refused->reason);
    return run;
}

// Many files into one table, by path (bytes) or by contents (any bytes-like object): a row
// a file (Table) or a row a chord (ChordTable).
template <typename Rows>
py::dict tableOfPaths(const py::list &paths, const Options &options)
{
    Rows table;
    for (const py::handle path : paths)
        table.add(analysePathBytes(path.cast<py::bytes>(), options));
    return table.columns();
}

template <typename Rows>
py::dict tableOfContents(const py::list &contents, const Options &options)
{
    Rows table;
    for (const py::handle data : contents)
        table.add(analyseBuffer(py::reinterpret_borrow<py::object>(data), options));
    return table.columns();
}

py::tuple readingTuple(const profile::ProfileReading &r)
{
    return py::make_tuple(r.keyCode, r.confidence, r.sure);
}

} // namespace

} // namespace tunedeck::python

PYBIND11_MODULE(_core, m)
{
    using namespace tunedeck;
    using namespace tunedeck::python;
    m.doc() = "The core of Tunedeck: one fast run of a file, bytes or events, and the live profile tracker.";
    registerByteWise();
    registerNoteType();
    registerBatch(m);

    registerChoices(m);
    // The key network, an experiment Python offers (key_network=True).
    keymodel::installKeyModel();

    py::class_<Run>(m, "Run")
        .def("json", &Run::json, py::arg("notation") = py::none())
        .def_property_readonly("outcome", [](const Run &r) { return outcomeName(r.analysis.run.outcome); })
        .def_property_readonly("succeeded", [](const Run &r) { return succeeded(r.analysis); })
        .def_property_readonly("refusal", &Run::refusal)
        .def_property_readonly("error", [](const Run &r) { return r.texts.error; })
        .def_property_readonly("key_code", [](const Run &r) { return r.analysis.run.keyCode; })
        .def_property_readonly("key_text", [](const Run &r) { return r.texts.keyStr; })
        .def_property_readonly("signature", [](const Run &r) { return r.texts.signat; })
        .def_property_readonly("probability", &Run::probability)
        .def_property_readonly("ranked", &Run::ranked)
        .def_property_readonly("points", &Run::points)
        .def_property_readonly("counters", &Run::counters)
        .def_property_readonly("key_counts", &Run::keyCounts)
        .def_property_readonly("facts", &Run::facts)
        .def_property_readonly("profile", &Run::profile)
        .def_property_readonly("notes", &Run::notes)
        .def_property_readonly("chords", &Run::chords)
        .def_property_readonly("chord_columns", &Run::chordColumns)
        .def_property_readonly("limit_bar", [](const Run &r) { return r.analysis.limitBar; })
        .def_property_readonly("source", [](const Run &r) { return py::bytes(r.source); });

    registerDetect(m);
    registerAnnotate(m);
    registerCopies(m);
    m.def("analyse_path", &analysePathBytes, py::arg("path"), py::arg("options"), py::arg("keep_bytes") = false);
    m.def("analyse_bytes", &analyseBuffer, py::arg("data"), py::arg("options"));
    m.def("note_columns", &noteColumns, py::arg("data"), py::arg("unfold_repeats") = false);
    m.def("beat_frames", &beatFrames, py::arg("data"), py::arg("options"), py::arg("normalised") = true);
    m.def("analyse_events", &analyseEventColumns, py::arg("ticks"), py::arg("status"), py::arg("data1"),
          py::arg("data2"), py::arg("tracks"), py::arg("division"), py::arg("tempo"), py::arg("track_count"),
          py::arg("format"), py::arg("options"));
    m.def("table_of_paths", &tableOfPaths<Table>, py::arg("paths"), py::arg("options"));
    m.def("table_of_contents", &tableOfContents<Table>, py::arg("contents"), py::arg("options"));
    m.def("chord_table_of_paths", &tableOfPaths<ChordTable>, py::arg("paths"), py::arg("options"));
    m.def("chord_table_of_contents", &tableOfContents<ChordTable>, py::arg("contents"), py::arg("options"));

    m.def("key_name", [](int code) { return analysisKeyName(code); }, py::arg("code"));
    m.def("key_in_notation", [](int code, const std::string &notation) {
        const std::optional<Notation> n = parseNotation(notation);
        if (!n)
            throw py::value_error("no notation is called " + notation);
        return keyName(code, *n);
    }, py::arg("code"), py::arg("notation"));

    // Listening's live session, as the window's listening keeps it.
    py::class_<LiveSession>(m, "LiveSession")
        .def(py::init([] {
            LiveSession session;
            session.start();
            return session;
        }))
        .def("clear", [](LiveSession &s) { s.start(); })
        .def("note", [](LiveSession &s, std::int64_t ms, int note, int velocity, int channel) {
            NoteEvent e;
            e.note = std::uint8_t(note);
            e.on = velocity > 0;
            e.velocity = e.on ? std::uint8_t(velocity) : 0;
            e.channel = std::uint8_t(channel);
            s.note(ms, e);
        }, py::arg("ms"), py::arg("note"), py::arg("velocity"), py::arg("channel"))
        .def("reading_at", [](LiveSession &s, std::int64_t ms) {
            s.update(ms);
            return readingTuple(s.shown().reading);
        }, py::arg("ms"));
}

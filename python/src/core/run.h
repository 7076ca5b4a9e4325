// One fast run as the module keeps it, and what the Python layer reads of it: plain tuples,
// lists and a NumPy array, which tunedeck/ turns into its classes only when they are read.
#ifndef TUNEDECK_PYTHON_RUN_H
#define TUNEDECK_PYTHON_RUN_H

#include "core/analysis/analysisjson.h"

#include <pybind11/pybind11.h>

#include <cstdint>
#include <optional>
#include <string>

namespace tunedeck::python {

// The NumPy type of Run::notes, registered once as the module loads.
void registerNoteType();

struct Run {
    FileAnalysis analysis;
    LabelTexts texts;
    bool transposeField = false; // the command's --transpose was given: "transposeLeftOut"
    std::string source;          // the bytes read, where the path's run was asked to keep them

    Run(FileAnalysis a, bool transposeGiven);

    pybind11::object json(const std::optional<std::string> &notation) const;
    pybind11::object refusal() const; // None, or (kind, short text, reason)
    pybind11::object probability() const;
    pybind11::list ranked() const;  // (key code, percent), best first
    pybind11::list points() const;  // (bar, key code, tick)
    pybind11::dict counters() const;
    pybind11::dict keyCounts() const; // the library's count of each key it named
    pybind11::tuple facts() const;    // (tracks, ticks per quarter, ms per tick, split format 0, format 0)
    pybind11::object profile() const; // None, or a dict of tuples and lists
    pybind11::object notes() const;   // the note events in feed order, a structured array
    pybind11::list chords() const;    // "chords" of the JSON, its objects as dicts
    pybind11::dict chordColumns() const; // the chords as ChordTable's columns, without "file"
};

// A run as one row of a table, appended column by column, for many files at once. Both tables
// hold "problems" too: (the run's place, refusal kind or None, outcome, error text, reason)
// for each run that did not succeed, so that a batch can warn or raise as asked.
class Table {
public:
    Table();
    void add(const Run &run);
    pybind11::dict columns() const { return columns_; }

private:
    pybind11::dict columns_;
    std::int64_t runs_ = 0;
};

// The chords of runs, one row a chord, each with "file": the run's place among those added.
// The values are "chords" of the JSON, so that a table and the command always agree.
class ChordTable {
public:
    ChordTable();
    void add(const Run &run);
    pybind11::dict columns() const { return columns_; }

private:
    pybind11::dict columns_;
    std::int64_t runs_ = 0;
};

} // namespace tunedeck::python

#endif

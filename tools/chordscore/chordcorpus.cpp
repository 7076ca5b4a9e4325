#include "chordscore/chordcorpus.h"

#include "core/base/keycodes.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace tunedeck::chordscore {

namespace {

bool isSet(const std::filesystem::path &folder)
{
    return std::filesystem::exists(folder / "chords.tsv") && std::filesystem::exists(folder / "labels.tsv");
}

// chords.tsv's rows by file: file, start_tick, end_tick, label, then roman and keycode where
// the set has them.
std::map<std::string, std::vector<ChordRow>> readChords(const std::filesystem::path &path,
                                                        std::vector<std::string> &warnings)
{
    std::map<std::string, std::vector<ChordRow>> rows;
    std::ifstream in(path);
    std::string line;
    std::getline(in, line); // the header
    for (int number = 2; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        std::vector<std::string> f;
        std::stringstream fields(line);
        for (std::string field; std::getline(fields, field, '\t');)
            f.push_back(field);
        f.resize(std::max<std::size_t>(f.size(), 6));
        ChordRow row;
        try {
            row.start = std::stoll(f[1]);
            row.end = std::stoll(f[2]);
            row.keyCode = f[5].empty() ? NoKey : std::stoi(f[5]);
        } catch (const std::exception &) {
            warnings.push_back(path.string() + ":" + std::to_string(number) + ": not a row of chords");
            continue;
        }
        row.label = f[3];
        row.roman = f[4];
        rows[f[0]].push_back(std::move(row));
    }
    return rows;
}

} // namespace

std::vector<std::filesystem::path> chordSets(const std::vector<std::filesystem::path> &paths)
{
    std::vector<std::filesystem::path> sets;
    for (std::filesystem::path path : paths) {
        // "pop909/" names the folder pop909 too.
        path = std::filesystem::absolute(path).lexically_normal();
        if (!path.has_filename())
            path = path.parent_path();
        if (isSet(path)) {
            sets.push_back(path);
            continue;
        }
        std::vector<std::filesystem::path> inside;
        std::error_code ec;
        for (const auto &entry : std::filesystem::directory_iterator(path, ec))
            if (entry.is_directory() && isSet(entry.path()))
                inside.push_back(entry.path());
        std::sort(inside.begin(), inside.end());
        sets.insert(sets.end(), inside.begin(), inside.end());
    }
    return sets;
}

std::vector<ChordFile> loadChordFiles(const std::vector<std::filesystem::path> &sets, bool scored,
                                      std::vector<std::string> &warnings, const keyscore::ScoreFolders &scores)
{
    std::vector<ChordFile> files;
    for (const std::filesystem::path &set : sets) {
        std::map<std::string, std::vector<ChordRow>> chords = readChords(set / "chords.tsv", warnings);
        for (keyscore::CorpusFile &f : keyscore::loadSet(set, warnings, scores)) {
            auto rows = chords.find(f.name);
            if (rows == chords.end()) {
                warnings.push_back(set.string() + "/" + f.name + ": no annotated chords, left out");
                continue;
            }
            ChordFile c{std::move(f), set, set.filename().string(), std::move(rows->second), scored};
            std::stable_sort(c.reference.begin(), c.reference.end(),
                             [](const ChordRow &a, const ChordRow &b) { return a.start < b.start; });
            files.push_back(std::move(c));
            chords.erase(rows);
        }
        for (const auto &[name, rows] : chords)
            if (scores.empty() || !keyscore::scoreFor(name, scores).empty()) // those without one are counted
                warnings.push_back(set.string() + "/" + name + ": chords for a file not in labels.tsv or not read");
    }
    return files;
}

void nameSets(std::vector<ChordFile> &files)
{
    std::map<std::string, std::set<std::filesystem::path>> folders; // the folders of each name
    for (const ChordFile &f : files)
        folders[f.set].insert(f.folder);
    for (ChordFile &f : files)
        if (folders[f.set].size() > 1)
            f.set = (f.folder.parent_path().filename() / f.folder.filename()).string();
}

} // namespace tunedeck::chordscore

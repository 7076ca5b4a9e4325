// A RomanText reader for the tests: only what the writer writes (the header fields, meter
// lines, measure lines with beats, keys and numerals), each chord with the key in force.
#ifndef TUNEDECK_TESTS_ROMANTEXT_ROMANTEXTREADER_H
#define TUNEDECK_TESTS_ROMANTEXT_ROMANTEXTREADER_H

#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace tunedeck::romantext::test {

struct ReadChord {
    std::size_t line = 0; // among the measure lines, from 0
    std::int64_t measure = 0;
    double beat = 1;
    std::string key; // in force: "G", "bb"
    bool keyWritten = false;
    std::string numeral;
    std::string meter; // in force: "6/8"
};

struct ReadDocument {
    std::map<std::string, std::string> header; // "Composer", "Title", "Analyst", the first "Time Signature"
    std::vector<ReadChord> chords;
    std::vector<std::string> problems; // lines it could not read
};

inline ReadDocument readRomanText(const std::string &text)
{
    ReadDocument doc;
    std::istringstream in(text);
    std::string line, key, meter;
    std::size_t lines = 0;
    while (std::getline(in, line)) {
        if (line.empty())
            continue;
        if (line[0] != 'm') {
            const std::size_t colon = line.find(": ");
            if (colon == std::string::npos && line.back() != ':') {
                doc.problems.push_back(line);
                continue;
            }
            const std::string name = line.substr(0, line.find(':'));
            const std::string value = colon == std::string::npos ? "" : line.substr(colon + 2);
            if (name == "Time Signature")
                meter = value;
            doc.header.try_emplace(name, value);
            continue;
        }
        std::istringstream words(line.substr(1));
        std::int64_t measure = -1;
        words >> measure;
        double beat = 1;
        bool keyWritten = false;
        std::string word;
        while (words >> word) {
            if (word.size() > 1 && word[0] == 'b' && (std::isdigit(static_cast<unsigned char>(word[1])))) {
                beat = std::stod(word.substr(1));
            } else if (word.back() == ':') {
                key = word.substr(0, word.size() - 1);
                keyWritten = true;
            } else {
                doc.chords.push_back({lines, measure, beat, key, keyWritten, word, meter});
                keyWritten = false;
            }
        }
        if (measure < 0)
            doc.problems.push_back(line);
        ++lines;
    }
    return doc;
}

} // namespace tunedeck::romantext::test

#endif

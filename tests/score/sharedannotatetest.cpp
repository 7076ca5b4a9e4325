// Annotated scores checked by other readers: the MusicXML schema (xmllint) over the 712
// shared scores, each also read back by our reader to the same MIDI bytes and written alike
// from the analysis' kept score and from the score read again, and MuseScore's import of one. Skipped without ../shared, xmllint or mscore3.
#include "core/annotate/annotatedscore.h"
#include "core/score/scoremidi.h"
#include "core/score/scorereader.h"
#include "core/tonalyte/linkedtonalyte.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

namespace tunedeck::annotate {
namespace {

namespace fs = std::filesystem;
const fs::path Shared = TUNEDECK_SHARED_DIR;

std::string bytesOf(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool write(const fs::path &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary);
    return bool(out << bytes);
}

bool installed(const char *program)
{
    return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

// A command's standard output and error.
std::string output(const std::string &command)
{
    std::string out;
    if (FILE *pipe = ::popen((command + " 2>&1").c_str(), "r")) {
        char block[4096];
        for (std::size_t n; (n = std::fread(block, 1, sizeof block, pipe)) > 0;)
            out.append(block, n);
        ::pclose(pipe);
    }
    return out;
}

class TemporaryFolder {
public:
    TemporaryFolder()
    {
        std::string name = (fs::temp_directory_path() / "tunedeck-annotate-XXXXXX").string();
        path_ = ::mkdtemp(name.data()) ? fs::path(name) : fs::path();
    }
    ~TemporaryFolder()
    {
        std::error_code ec;
        if (!path_.empty())
            fs::remove_all(path_, ec);
    }
    const fs::path &path() const { return path_; }

private:
    fs::path path_;
};

std::string quoted(const fs::path &p)
{
    std::string text = p.string(); // the temporary folder's and the shared folder's names hold no quote
    text.insert(text.begin(), '\'');
    text += '\'';
    return text;
}

Result<std::string> annotated(TonalyteEngine &engine, const std::string &score)
{
    return annotatedScore(score, analyseBytes(engine, score, {}), {});
}

TEST(SharedAnnotatedScores, EveryScoreValidatesAndReadsBackToTheSameNotes)
{
    const fs::path schema = Shared / "scores/musicxml-schema";
    if (!fs::exists(schema) || !installed("xmllint"))
        GTEST_SKIP() << "needs " << schema << " and xmllint (libxml2-utils)";
    TemporaryFolder out;
    ASSERT_FALSE(out.path().empty());
    LinkedTonalyte engine;
    std::string files;
    int count = 0;
    for (const char *set : {"corpus-wir", "training-wir"})
        for (const auto &entry : fs::directory_iterator(Shared / "scores" / set)) {
            if (entry.path().extension() != ".mxl")
                continue;
            SCOPED_TRACE(entry.path().string());
            const std::string score = bytesOf(entry.path());
            // As the command writes it, from the score the analysis kept; the same read again.
            AnalysisChoices keeping;
            keeping.withScorePlaces = true;
            const Result<std::string> written = annotatedScore(score, analyseBytes(engine, score, keeping), {});
            ASSERT_TRUE(written) << written.error().reason;
            EXPECT_EQ(*written, *annotated(engine, score));
            const auto before = score::readScore(score, {}), after = score::readScore(*written, {});
            ASSERT_TRUE(before && after);
            EXPECT_EQ(score::midiBytes(*after), score::midiBytes(*before));
            const fs::path copy = out.path() / (std::to_string(count++) + ".musicxml");
            ASSERT_TRUE(write(copy, *written));
            files.append(" ").append(quoted(copy));
        }
    EXPECT_EQ(count, 712);
    const std::string said = output("XML_CATALOG_FILES=" + quoted(schema / "catalog.xml")
                                    + " xmllint --nonet --noout --schema " + quoted(schema / "musicxml.xsd") + files);
    int valid = 0;
    for (std::size_t at = said.find(" validates\n"); at != std::string::npos; at = said.find(" validates\n", at + 1))
        ++valid;
    EXPECT_EQ(valid, count) << said.substr(0, 2000);
}

TEST(SharedAnnotatedScores, MuseScoreReadsTheChordSymbols)
{
    const fs::path lied = Shared / "scores/corpus-wir/Lieder-Schubert_Franz-Schwanengesang_D_957-06_In_der_Ferne.mxl";
    if (!fs::exists(lied) || !installed("mscore3"))
        GTEST_SKIP() << "needs " << lied << " and mscore3 (musescore3)";
    TemporaryFolder out;
    LinkedTonalyte engine;
    const Result<std::string> written = annotated(engine, bytesOf(lied));
    ASSERT_TRUE(written) << written.error().reason;
    ASSERT_TRUE(write(out.path() / "in.musicxml", *written));
    const std::string said = output("QT_QPA_PLATFORM=offscreen mscore3 -o " + quoted(out.path() / "out.musicxml") + " "
                                    + quoted(out.path() / "in.musicxml"));
    const std::string exported = bytesOf(out.path() / "out.musicxml");
    ASSERT_FALSE(exported.empty()) << said;
    // Our symbols in order, root and suffix, against MuseScore's export of them.
    const std::regex symbol("<root-step>([A-G])</root-step>(?:\\s*<root-alter>(-?\\d)</root-alter>)?\\s*</root>\\s*"
                            "<kind(?: text=\"([^\"]*)\")?>");
    const auto symbols = [&](const std::string &text) {
        std::string found;
        for (auto m = std::sregex_iterator(text.begin(), text.end(), symbol); m != std::sregex_iterator(); ++m)
            found += (*m)[1].str() + (*m)[2].str() + (*m)[3].str() + " ";
        return found;
    };
    const std::string ours = symbols(*written);
    EXPECT_GT(ours.size(), 100u);
    EXPECT_EQ(symbols(exported), ours);
}

} // namespace
} // namespace tunedeck::annotate

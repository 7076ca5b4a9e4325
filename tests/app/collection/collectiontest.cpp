// Which files a collection run reads, in which order, and how its results are written.
#include "core/batch/filewalk.h"
#include "core/batch/jsonwriter.h"
#include "core/batch/summary.h"
#include "qt/collection/fileresult.h"
#include "qt/collection/filenames.h"
#include "qt/collection/outputformats.h"
#include "qt/collection/workerprotocol.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <filesystem>
#include <fstream>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace fs = std::filesystem;
using namespace tunedeck;
using namespace tunedeck::batch;
using namespace tunedeck::collection;

class CollectionTest : public QObject {
    Q_OBJECT

private slots:
    // Named files stay where they are among the arguments; a folder's entries come in byte
    // order with subfolders at their place; links are followed but loops, folders met
    // twice and broken links are reported and skipped.
    void walksFoldersInStableOrder()
    {
        QTemporaryDir tmp;
        const fs::path root = fs::path(tmp.path().toStdString()) / "music";
        for (const char *dir : {"a", "z/deep", "locked"})
            fs::create_directories(root / dir);
        for (const char *file : {"b.MID", "a/x.mid", "a/y.txt", "a.kar", "A.Midi", "c.midi.txt", "z/deep/w.mid",
                                 "locked/hidden.mid"})
            std::ofstream(root / file) << "MThd";
        fs::create_directory_symlink(root, root / "loop");
        fs::create_directory_symlink(root / "a", root / "linked");
        fs::create_symlink(root / "nowhere.mid", root / "broken.mid");
        bool lockable = false;
#ifndef _WIN32
        lockable = geteuid() != 0; // root reads every folder
#endif
        if (lockable)
            fs::permissions(root / "locked", fs::perms::none);

        const std::string r = root.string();
        const WalkResult walk = collectFiles({"first.txt", r, "last.mid"});
        if (lockable)
            fs::permissions(root / "locked", fs::perms::owner_all);

        std::vector<FileEntry> files = {{"first.txt", "first.txt"}, {r + "/A.Midi", "A.Midi"}, {r + "/a/x.mid", "a/x.mid"},
                                        {r + "/a.kar", "a.kar"},     {r + "/b.MID", "b.MID"},   {r + "/z/deep/w.mid", "z/deep/w.mid"},
                                        {"last.mid", "last.mid"}};
        if (!lockable)
            files.insert(files.begin() + 5, {r + "/locked/hidden.mid", "locked/hidden.mid"});
        QCOMPARE(walk.files, files);
        std::vector<WalkProblem> problems = {{r + "/broken.mid", "broken symbolic link"},
                                             {r + "/linked", "same folder as one walked before"},
                                             {r + "/loop", "symbolic link loop"}};
        if (lockable)
            problems.insert(problems.begin() + 2, {r + "/locked", "cannot open folder: Permission denied"});
        QCOMPARE(walk.problems, problems);

        for (const FileEntry &odd : {FileEntry{"dir/line\nbreak.mid", "line\nbreak.mid"}, FileEntry{"b/song.mid", "song.mid"}})
            QCOMPARE(entryFromJob(jobText(odd)), odd);
    }

    // Odd file names survive CSV (RFC 4180), JSON and a worker's answer; the fixed columns
    // come first.
    void writesOddNamesInCsvAndJson_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("field");
        QTest::newRow("plain") << "a/plain.mid" << "a/plain.mid";
        QTest::newRow("comma") << "Bach, J.S./bwv1.mid" << "\"Bach, J.S./bwv1.mid\"";
        QTest::newRow("quotes") << "the \"best\".mid" << "\"the \"\"best\"\".mid\"";
        QTest::newRow("line end") << "two\r\nlines.mid" << "\"two\r\nlines.mid\"";
        QTest::newRow("non-ASCII") << "Dvořák/Humoreska ♪.mid" << "Dvořák/Humoreska ♪.mid";
    }
    void writesOddNamesInCsvAndJson()
    {
        QFETCH(QString, path);
        QFETCH(QString, field);
        FileResult r;
        r.path = path.toStdString();
        r.key = "F# Gb Major";
        r.keyCode = 166;
        r.signature = "6#";
        r.probability = 81;
        r.candidates = {{"F# Gb Major", 166, 81}, {"D# Eb Minor", 63, 12}, {"C# Db Major", 161, 7}};
        r.timelinePoints = 3;
        r.outcome = "reported";
        r.message = "Status, \"ok\"";

        QVERIFY(csvHeader().rfind("file,key,keyCode,signature,probability,outcome,message,", 0) == 0);
        QCOMPARE(QString::fromStdString(csvRow(r)),
                 field + ",F# Gb Major,166,6#,81,reported,\"Status, \"\"ok\"\"\",D# Eb Minor,63,12,C# Db Major,161,7,3,0\r\n");
        QCOMPARE(QString::fromStdString(csvRow(r, Notation::Camelot)),
                 field + ",F# Gb Major,166,6#,81,reported,\"Status, \"\"ok\"\"\",2B,D# Eb Minor,63,12,2A,C# Db Major,161,7,3B,3,0\r\n");

        QCOMPARE(fromJson(toJson(r)), std::optional<FileResult>(r));
        QVERIFY(!fromJson(QJsonValue(QStringLiteral("not an object"))));

        FileResult bare; // no probability, no candidates
        bare.path = r.path;
        bare.format0 = true;
        for (const FileResult &result : {r, bare}) {
            FieldWriter out;
            addFields(out.add("before"), result);
            const std::string payload = unescapeLine(escapeLine(out.take()));
            FieldReader in(payload);
            QCOMPARE(in.next(), std::optional<std::string_view>("before"));
            QCOMPARE(readFields(in), std::optional<FileResult>(result));
            QVERIFY(in.atEnd());
            FieldReader cut(std::string_view(payload).substr(0, payload.size() - 1));
            cut.next();
            QVERIFY(!readFields(cut));
        }
    }

    // A line's escapes undo exactly, wherever the bytes to escape stand.
    void escapesLinesBothWays()
    {
        for (const std::string &text : {std::string(), std::string("\\"), std::string("end\\"),
                                       std::string("\\n is not\na line end\r\n"), std::string("nul\0in\0", 7),
                                       std::string("\n\n\\\\x\\")}) {
            const std::string line = escapeLine(text);
            QVERIFY(line.find_first_of(std::string("\n\r\0", 3)) == std::string::npos);
            QCOMPARE(unescapeLine(line), text);
        }
        QCOMPARE(unescapeLine("trailing\\"), std::string("trailing\\"));
    }

    // Any bytes come back whole from their text, also through a worker's JSON; valid UTF-8
    // reads as Qt reads it, and only a name that is not gets "fileBytes".
    void namesKeepTheirBytes()
    {
        const std::pair<std::string, bool> names[] = {
            {"plain.mid", true}, {"Dvo\xc5\x99\xc3\xa1k \xe2\x99\xaa.mid", true}, {"\xf0\x9f\x93\xa9 mail.mid", true},
            {"caf\xe9.mid", false}, {"cut \xe2\x82.mid", false}, {"overlong \xc0\xaf", false},
            {"surrogate \xed\xb3\xa9", false}, {"past \xf4\x90\x80\x80", false}, {"\xf0\x9f\x93\xa9\xe9\xff", false}};
        for (const auto &[bytes, utf8] : names) {
            const QByteArray raw = QByteArray::fromStdString(bytes);
            QCOMPARE(isUtf8(bytes), utf8);
            QCOMPARE(nameBytes(nameText(bytes)), bytes);
            if (utf8)
                QCOMPARE(nameText(bytes), QString::fromUtf8(raw));
            nlohmann::json o;
            putFileName(o, bytes);
            QCOMPARE(QString::fromStdString(o["file"].get<std::string>()), QString::fromUtf8(raw));
            QCOMPARE(QByteArray::fromBase64(QByteArray::fromStdString(o.value("fileBytes", std::string()))),
                     utf8 ? QByteArray() : raw);

            FileResult r;
            r.path = bytes;
            r.message = "cannot write " + bytes;
            const QByteArray sent = QJsonDocument(toJson(r)).toJson(QJsonDocument::Compact);
            QCOMPARE(fromJson(QJsonDocument::fromJson(sent).object()), std::optional<FileResult>(r));
        }
    }

    // --format json prints element by element exactly what Qt prints of the whole array
    // indented, and a JSON Lines line what it prints compact: the same bytes as before the
    // command wrote its JSON itself.
    void writesJsonAsQtDid()
    {
        const std::string odd = "x\xe9y \xe2\x82z \xed\xa0\x80 \x01\x1f\x7f\b\f\t\"\\/\xe2\x99\xaa";
        nlohmann::json file = {{"file", "two\nlines.mid"}, {"odd", odd},
                               {"points", {{{"bar", 1}}, nlohmann::json::object()}},
                               {"candidates", nlohmann::json::array()}, {"probability", nullptr},
                               {"profileAnalysis", {{"key", "C Major"}, {"ambiguous", false}}},
                               {"numbers", {0.0, -0.0, 1.0, 0.5, 0.0005, 0.0003, 1.234e-05, 1e15, 1e16, 6.5117616932401e18,
                                            1e21, 0.1, -2.5e-7, 123456.789, 2.0 / 3.0, -7, 1234567890123LL}}};
        // The document as the command built it before: each value through Qt's own.
        const std::function<QJsonValue(const nlohmann::json &)> qt = [&qt](const nlohmann::json &v) -> QJsonValue {
            if (v.is_object() || v.is_array()) {
                QJsonObject o;
                QJsonArray a;
                for (auto it = v.begin(); it != v.end(); ++it)
                    v.is_object() ? void(o.insert(QString::fromStdString(it.key()), qt(*it))) : a.append(qt(*it));
                return v.is_object() ? QJsonValue(o) : QJsonValue(a);
            }
            if (v.is_string())
                return QString::fromStdString(v.get<std::string>());
            if (v.is_number_integer())
                return qint64(v.get<std::int64_t>());
            if (v.is_number_float())
                return v.get<double>();
            return v.is_boolean() ? QJsonValue(v.get<bool>()) : QJsonValue();
        };
        const QJsonObject expected = qt(file).toObject();
        for (int count : {0, 1, 3}) {
            QJsonArray whole;
            JsonArrayWriter writer;
            std::string streamed(writer.begin());
            for (int i = 0; i < count; ++i) {
                whole.append(expected);
                streamed += writer.next();
                streamed += JsonArrayWriter::item(file);
            }
            streamed += writer.end();
            QCOMPARE(QByteArray::fromStdString(streamed), QJsonDocument(whole).toJson(QJsonDocument::Indented));
        }
        std::string line;
        writeCompact(line, file);
        QCOMPARE(QByteArray::fromStdString(line), QJsonDocument(expected).toJson(QJsonDocument::Compact));
        for (OutputFormat f : {OutputFormat::Text, OutputFormat::Json, OutputFormat::JsonLines, OutputFormat::Csv})
            QCOMPARE(parseOutputFormat(QString::fromStdString(std::string(outputFormatName(f))).toUpper().toStdString()),
                     std::optional(f));
        QVERIFY(!parseOutputFormat("xml"));
    }

    void summarisesTheRun()
    {
        RunCounts counts;
        KeyTally tally;
        const auto add = [&](int code, const char *outcome, bool format0 = false) {
            FileResult r;
            r.keyCode = code;
            r.outcome = outcome;
            r.format0 = format0;
            counts.add(r);
            tally.add(r);
        };
        for (int code : {160, 69, 160, 167})
            add(code, "reported");
        add(0, "file-refused", true);
        add(0, "worker-failed");
        QCOMPARE(summaryLine(counts, 2.04),
                 std::string("4 files read, 1 refused, 1 failed in 2.0 s; 1 of the refused files is format 0, "
                             "which --split-format0 reads"));
        const std::vector<std::string> lines = keySummaryLines(tally, Notation::Camelot);
        QCOMPARE(lines.size(), std::size_t(4));
        QVERIFY(lines[0].rfind("C Major (8B)", 0) == 0 && lines[0].find(" 2   50.0 %") != std::string::npos);
        QCOMPARE(lines[3], std::string("Major 75.0 % (3 files), minor 25.0 % (1 file), without a key: 2 files"));
    }
};

QTEST_GUILESS_MAIN(CollectionTest)
#include "collectiontest.moc"

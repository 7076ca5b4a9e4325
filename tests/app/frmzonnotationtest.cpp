// The key names chosen in the mix reach the key map, the keys' bars and the profile line,
// leave the window's own labels as they are, and are remembered.
#include "frmzontestsupport.h"

#include <QComboBox>
#include <QSettings>

#include "keymap/keymaptext.h"
#include "keymap/keymapwidget.h"
#include "pianoroll/keybarchart.h"
#include "windows/mixpanel.h"
#include "windows/pianorollpanel.h"

class FrmZonNotationTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void keysAreSpeltInTheChosenNotationAndRemembered()
    {
        auto p = startedProgram();
        QVERIFY(p);
        const QString path = dir.filePath(QStringLiteral("c.mid"));
        cadenceFile(60).save(path.toStdString());
        p->window.selectMidiFile(path);
        p->child<QPushButton>("CmdFastDetect")->click();
        const auto own = [&] { // the specified key, signature and key lists
            QStringList texts{p->text("LblKeyStr"), p->text("LblSignat")};
            for (const char *name : {"CmbKeyList", "CmbKeyPoint"})
                for (int i = 0; i < p->child<QComboBox>(name)->count(); ++i)
                    texts << p->child<QComboBox>(name)->itemText(i);
            return texts;
        };
        const QStringList standard = own();
        QVERIFY(standard.size() > 3);
        // Notation, a stretch's label, the tooltip's key, the first bar's label, the line's key.
        const std::tuple<Notation, const char *, const char *, const char *, const char *> cases[] = {
            {Notation::German, "C-Dur", "C-Dur", "C-Dur", "C-Dur"}, {Notation::Camelot, "8B", "8B", "8B", "8B"},
            {Notation::OpenKey, "1d", "1d", "1d", "1d"}, {Notation::Standard, "C", "C Major", "C major", "C major"}};
        for (const auto &[notation, stretch, hover, bar, line] : cases) {
            p->window.mix()->notationBox()->setCurrentIndex(int(notation));
            const KeyMapData &map = p->window.keyMap()->data();
            QCOMPARE(keyMapLabel(map.rows.at(0).segments.at(0).keyCode, map.notation), QLatin1String(stretch));
            QVERIFY(hoverText(map, 1).startsWith(QStringLiteral("Bar 1: %1 (").arg(QLatin1String(hover))));
            const KeyBarChart *bars = p->window.pianoRoll()->tonalyteBars();
            QCOMPARE(shareLabel(bars->shares().at(0), bars->notation()), std::string(bar));
            QVERIFY(p->text("LblProfileKey").startsWith(QStringLiteral("Profile analysis: %1, ").arg(QLatin1String(line))));
            QCOMPARE(own(), standard);
        }
        QSettings settings(dir.filePath(QStringLiteral("notation.conf")), QSettings::IniFormat);
        p->window.mix()->setNotation(Notation::German);
        writeWindowChoices(settings, p->window.choices());
        auto again = startedProgram();
        again->window.applyChoices(readWindowChoices(settings));
        QCOMPARE(again->window.view().notation(), Notation::German);
        QCOMPARE(again->window.pianoRoll()->profileBars()->notation(), Notation::German);
    }
};

TUNEDECK_WINDOW_TEST_MAIN(FrmZonNotationTest)

#include "frmzonnotationtest.moc"

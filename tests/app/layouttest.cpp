// The window's layout, offscreen, as it starts on a large screen and on one of 1024 x 600:
// nothing moves as the key map fills during a play, and texts too long for their place end
// in an ellipsis, the whole text in a tool tip.
#include "frmzontestsupport.h"

#include <QHelpEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolTip>

#include "base/keycodes.h"
#include "keymap/keymaplayout.h"
#include "keymap/keymaprows.h"
#include "windows/elidingcombobox.h"
#include "windows/portchoices.h"

namespace {

void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

} // namespace

class LayoutTest : public QObject {
    Q_OBJECT

private slots:
    void nothingMovesAsTheKeyMapFills_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<bool>("scrolled"); // the controls do not all fit
        QTest::newRow("default size") << QSize(1280, 1024) << false;
        QTest::newRow("1024 x 600") << QSize(1024, 600) << true;
    }

    // A live map naming every key, as a long play may: its legend needs lines of its own,
    // yet the sections above keep their place and width, and what it cannot show it says.
    void nothingMovesAsTheKeyMapFills()
    {
        QFETCH(QSize, screen);
        QFETCH(bool, scrolled);
        auto p = startedProgram();
        QVERIFY(p);
        p->window.fitTo(screen);
        settle();
        auto *scroll = p->child<QScrollArea>("CentralScroll");
        QWidget *results = p->child<QGroupBox>("FraOutput");
        const QRect before(results->mapTo(&p->window, QPoint()), results->size());
        QCOMPARE(scroll->verticalScrollBar()->isVisible(), scrolled);
        QVERIFY(!scroll->horizontalScrollBar()->isVisible());

        KeyMapWidget *map = p->window.keyMap();
        KeyMapData live;
        live.unit = KeyMapUnit::Second;
        live.rows = {{TonalyteLiveRow, {}}, {ProfileRow, {}}};
        for (int i = 0; i < 24; ++i)
            recordKey(live, 0, 2 * i, i < 12 ? 160 + i : 60 + i - 12);
        map->setData(live);
        settle();
        QCOMPARE(QRect(results->mapTo(&p->window, QPoint()), results->size()), before);
        QCOMPARE(scroll->verticalScrollBar()->isVisible(), scrolled);

        const KeyMapLayout drawn = layoutKeyMap(map->data(), map->size(), QFontMetricsF(map->font(), map));
        for (const KeyMapLayout::LegendItem &item : drawn.legend)
            QVERIFY(QRectF(map->rect()).contains(item.text));
    }

    void textsFitOrElide_data() { nothingMovesAsTheKeyMapFills_data(); }

    // The ports' lists show their choice whole, or cut with an ellipsis and whole in the tool
    // tip; the built-in synthesizer always whole. Every one-line label's text fits it, or its
    // tool tip holds it.
    void textsFitOrElide()
    {
        QFETCH(QSize, screen);
        auto p = startedProgram();
        QVERIFY(p);
        p->window.fitTo(screen);
        settle();
        for (const char *name : {"CmbOutput", "CmbInput"}) {
            const auto *box = p->child<ElidingComboBox>(name);
            QVERIFY2(box->fontMetrics().horizontalAdvance(box->shownText()) <= box->textField().width(), name);
            if (box->shownText() != box->currentText()) {
                QVERIFY2(box->shownText().endsWith(QChar(0x2026)), qPrintable(box->shownText()));
                QVERIFY2(box->toolTip().startsWith(box->currentText()), name);
            }
        }
        QCOMPARE(p->child<ElidingComboBox>("CmbOutput")->shownText(), QStringLiteral("Built-in synthesizer"));
        // No section is squeezed below what its controls need side by side.
        for (const QGroupBox *section : p->window.findChildren<QGroupBox *>())
            QVERIFY2(section->width() >= section->minimumSizeHint().width(),
                     qPrintable(QStringLiteral("%1: %2 < %3").arg(section->objectName()).arg(section->width())
                                    .arg(section->minimumSizeHint().width())));
        for (const QLabel *label : p->window.findChildren<QLabel *>()) {
            if (!label->isVisibleTo(&p->window) || label->wordWrap() || label->text().isEmpty()
                || label->toolTip().contains(label->text()))
                continue;
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->contentsRect().width(),
                     qPrintable(label->objectName() + QStringLiteral(": ") + label->text()));
        }
    }

    // A list's entry too long for its box: an ellipsis, and the whole in the tool tip.
    void longEntryElides()
    {
        ElidingComboBox box;
        box.addItem(QStringLiteral("No MIDI ports: no ALSA sequencer (/dev/snd/seq: No such file or directory)"));
        box.setToolTip(QStringLiteral("The MIDI input port"));
        box.resize(160, box.sizeHint().height());
        box.show();
        QVERIFY(box.shownText().endsWith(QChar(0x2026)));
        QVERIFY(box.fontMetrics().horizontalAdvance(box.shownText()) <= box.textField().width());
        QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), box.mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(&box, &help);
        QCOMPARE(QToolTip::text(), box.currentText() + QStringLiteral("\nThe MIDI input port"));
    }

    // Where no input port is listed, the status bar says why, whole, and so does "3- Listen".
    void unlistedInputsSayWhy()
    {
        auto p = startedProgram();
        QVERIFY(p);
        const PortListing &inputs = p->window.portChoices().inputs();
        if (!inputs.ports.empty() || inputs.reason.empty())
            QSKIP("this machine lists MIDI input ports");
        const QString reason = QString::fromStdString(inputs.reason);
        QCOMPARE(p->window.statusBar()->currentMessage(), QStringLiteral("No MIDI input ports: ") + reason);
        p->child<QPushButton>("CmdListen")->click();
        QVERIFY(p->window.statusBar()->currentMessage().contains(reason));
        QVERIFY(p->text("LblError").contains(reason));
    }
};

TUNEDECK_WINDOW_TEST_MAIN(LayoutTest)

#include "layouttest.moc"

// The window's layout, offscreen, at its default size and at 1024 x 600: nothing moves as the
// key map fills during a play, and texts too long for their place are cut with an ellipsis,
// the whole text in a tool tip.
#include "frmzontestsupport.h"

#include <QScrollArea>
#include <QScrollBar>

#include "base/keycodes.h"
#include "keymap/keymaplayout.h"
#include "keymap/keymaprows.h"

namespace {

const QSize SmallSize(1024, 600);

void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

// The size the window takes on a screen large enough: its controls just in view.
QSize defaultSize(FrmZon &window)
{
    const QWidget *central = window.findChild<QScrollArea *>(QStringLiteral("CentralScroll"))->widget();
    const int chrome = window.menuBar()->sizeHint().height() + window.statusBar()->sizeHint().height();
    return {1044, central->sizeHint().height() + chrome};
}

} // namespace

class LayoutTest : public QObject {
    Q_OBJECT

private slots:
    void nothingMovesAsTheKeyMapFills_data()
    {
        QTest::addColumn<QSize>("size"); // empty: the default size
        QTest::newRow("default") << QSize();
        QTest::newRow("1024 x 600") << SmallSize;
    }

    // A live map naming every key, as a long play may: its legend needs lines of its own,
    // yet the sections above keep their place and width, and what it cannot show it says.
    void nothingMovesAsTheKeyMapFills()
    {
        QFETCH(QSize, size);
        auto p = startedProgram();
        QVERIFY(p);
        p->window.resize(size.isEmpty() ? defaultSize(p->window) : size);
        settle();
        auto *scroll = p->child<QScrollArea>("CentralScroll");
        QWidget *results = p->child<QGroupBox>("FraOutput");
        const QRect before(results->mapTo(&p->window, QPoint()), results->size());
        const bool scrolled = scroll->verticalScrollBar()->isVisible();
        QCOMPARE(scrolled, !size.isEmpty());

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

        if (qEnvironmentVariableIsSet("LAYOUT_SHOTS"))
            p->window.grab().save(QStringLiteral("/tmp/edges-shots/layout-%1.png").arg(p->window.height()));
        const KeyMapLayout drawn = layoutKeyMap(map->data(), map->size(), QFontMetricsF(map->font(), map));
        for (const KeyMapLayout::LegendItem &item : drawn.legend)
            QVERIFY(QRectF(map->rect()).contains(item.text));
    }
};

TUNEDECK_WINDOW_TEST_MAIN(LayoutTest)

#include "layouttest.moc"

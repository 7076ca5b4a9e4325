// keymap-example: writes an example key map (a piece that moves round C major) as PNG or
// SVG, to look at the drawing and to make the README's picture.
#include "qt/keymap/keymapexport.h"
#include "core/keymap/keymaprows.h"

#include <QGuiApplication>
#include <QStringList>

#include <cstdio>

using namespace tunedeck;

namespace {

KeyMapData exampleMap()
{
    KeyMapData data;
    data.unit = KeyMapUnit::Bar;
    data.bars = 56;
    const KeyChangePoint timeline[] = {{1, 160}, {9, 167}, {17, 64}, {21, 69}, {25, 160},
                                       {33, 165}, {41, 62}, {45, 167}, {49, 160}};
    data.rows.push_back(rowFromChangePoints(TonalyteTimelineRow, timeline, data.first(), data.last()));

    // One key per bar, as the profile analysis gives them: it hears the moves a bar or two
    // apart and passes through neighbouring keys.
    std::vector<int> perBar;
    const std::pair<int, int> runs[] = {{8, 160}, {1, 0}, {7, 167}, {1, 171}, {3, 64}, {5, 69},
                                        {2, 62},  {6, 160}, {9, 165}, {4, 62}, {3, 167}, {2, 162},
                                        {5, 160}};
    for (auto [count, code] : runs)
        perBar.insert(perBar.end(), count, code);
    data.rows.push_back(rowFromBarKeys(ProfileRow, perBar));
    return data;
}

QPalette darkPalette()
{
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2b));
    palette.setColor(QPalette::WindowText, QColor(0xe8, 0xe8, 0xe8));
    palette.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
    palette.setColor(QPalette::Mid, QColor(0x60, 0x60, 0x60));
    palette.setColor(QPalette::Highlight, QColor(0x5a, 0x9b, 0xf0));
    return palette;
}

} // namespace

int main(int argc, char **argv)
{
    const auto app = startHeadlessGui(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    const bool dark = args.removeAll(QStringLiteral("--dark")) > 0;
    if (args.size() != 1 && args.size() != 3) {
        std::fprintf(stderr, "usage: keymap-example out.png|out.svg [width height] [--dark]\n");
        return 2;
    }
    const QSize size = args.size() == 3 ? QSize(args[1].toInt(), args[2].toInt()) : QSize(900, 170);
    const Result<> saved = saveKeyMap(exampleMap(), args[0], size, dark ? darkPalette() : keyMapPicturePalette());
    if (!saved) {
        std::fprintf(stderr, "%s\n", qPrintable(QString::fromStdString(saved.error().reason)));
        return 1;
    }
    return 0;
}

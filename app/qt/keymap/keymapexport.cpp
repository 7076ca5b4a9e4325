#include "qt/keymap/keymapexport.h"

#include "qt/keymap/keymappainter.h"

#include <QBuffer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>

namespace tunedeck {

namespace {

Unexpected<Failure> fail(const QString &reason)
{
    return failure(reason.toStdString());
}

bool haveGui()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
}

QByteArray svgOf(const KeyMapData &data, QSize size, const QPalette &palette)
{
    QBuffer buffer;
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    // The resolution of a QImage, so that text takes the same room in both pictures.
    svg.setResolution(96);
    svg.setTitle(QStringLiteral("Key map"));
    QPainter painter(&svg);
    paintKeyMap(painter, data, size, palette);
    painter.end();
    return buffer.data();
}

} // namespace

QPalette keyMapPicturePalette()
{
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(Qt::white));
    palette.setColor(QPalette::WindowText, QColor(Qt::black));
    palette.setColor(QPalette::Base, QColor(0xf4, 0xf4, 0xf4));
    palette.setColor(QPalette::Mid, QColor(0x9a, 0x9a, 0x9a));
    palette.setColor(QPalette::Highlight, QColor(0x30, 0x60, 0xd0));
    return palette;
}

QImage renderKeyMap(const KeyMapData &data, QSize size, const QPalette &palette)
{
    if (!haveGui() || size.isEmpty())
        return {};
    QImage image(size, QImage::Format_RGB32);
    image.fill(palette.color(QPalette::Window));
    QPainter painter(&image);
    paintKeyMap(painter, data, size, palette);
    return image;
}

Result<> saveKeyMap(const KeyMapData &data, const QString &path, QSize size, const QPalette &palette)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("png") && suffix != QLatin1String("svg"))
        return fail(QStringLiteral("Cannot save the key map as \"%1\": the name must end in .png or .svg.").arg(path));
    if (size.isEmpty())
        return fail(QStringLiteral("Cannot save the key map at %1 x %2 pixels.").arg(size.width()).arg(size.height()));
    if (!haveGui())
        return fail(QStringLiteral("Cannot paint the key map without a QGuiApplication."));

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("Cannot write \"%1\": %2").arg(path, file.errorString()));
    bool written = false;
    if (suffix == QLatin1String("svg")) {
        const QByteArray svg = svgOf(data, size, palette);
        written = !svg.isEmpty() && file.write(svg) == svg.size();
    } else {
        written = renderKeyMap(data, size, palette).save(&file, "PNG");
    }
    if (!written || !file.commit())
        return fail(QStringLiteral("Cannot write \"%1\": %2").arg(path, file.errorString()));
    return {};
}

std::unique_ptr<QGuiApplication> startHeadlessGui(int &argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}

} // namespace tunedeck

#include "qt/windows/recentfiles.h"

#include <QDir>
#include <QFileInfo>

namespace tunedeck {

namespace {

// Paths name the same file on a case-insensitive file system only by folding case.
#ifdef Q_OS_WIN
constexpr Qt::CaseSensitivity PathCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity PathCase = Qt::CaseSensitive;
#endif

QString normalised(const QString &path)
{
    return path.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

void RecentFiles::add(const QString &path)
{
    const QString file = normalised(path);
    if (file.isEmpty())
        return;
    remove(file);
    paths_.prepend(file);
    while (paths_.size() > Limit)
        paths_.removeLast();
}

void RecentFiles::remove(const QString &path)
{
    const QString file = normalised(path);
    paths_.removeIf([&](const QString &listed) { return listed.compare(file, PathCase) == 0; });
}

int RecentFiles::removeMissing()
{
    return int(paths_.removeIf([](const QString &listed) { return !QFileInfo(listed).isFile(); }));
}

void RecentFiles::setPaths(const QStringList &paths)
{
    paths_.clear();
    // Added oldest first, so the newest ends in front and duplicates collapse.
    for (auto it = paths.crbegin(); it != paths.crend(); ++it)
        add(*it);
}

std::vector<RecentFile> RecentFiles::entries() const
{
    std::vector<RecentFile> out;
    out.reserve(std::size_t(paths_.size()));
    for (const QString &path : paths_)
        out.push_back({path, QFileInfo(path).isFile()});
    return out;
}

} // namespace tunedeck

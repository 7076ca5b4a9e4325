// The files opened last, newest first: what File > Open Recent lists and the settings keep.
#ifndef TUNEDECK_QT_WINDOWS_RECENTFILES_H
#define TUNEDECK_QT_WINDOWS_RECENTFILES_H

#include <QString>
#include <QStringList>

#include <vector>

namespace tunedeck {

struct RecentFile {
    QString path;
    bool present = false; // still a file that can be opened
};

class RecentFiles {
public:
    static constexpr int Limit = 10;

    // To the front; a path already listed moves there, and the oldest beyond Limit go.
    void add(const QString &path);
    void remove(const QString &path);
    // Forgets the files that are no longer there; returns how many.
    int removeMissing();
    void clear() { paths_.clear(); }

    // Replaces the list (read from the settings), keeping its order and the limit.
    void setPaths(const QStringList &paths);
    const QStringList &paths() const { return paths_; }
    // The list as the menu shows it, each file looked up now.
    std::vector<RecentFile> entries() const;

private:
    QStringList paths_;
};

} // namespace tunedeck

#endif

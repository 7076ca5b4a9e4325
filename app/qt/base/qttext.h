// The reports' texts as Qt shows them: for the Qt edges only (tunedeck_reportsqt); the
// reports themselves know no Qt.
#ifndef TUNEDECK_QT_BASE_QTTEXT_H
#define TUNEDECK_QT_BASE_QTTEXT_H

#include <QString>
#include <QStringList>

#include <string>
#include <string_view>
#include <vector>

namespace tunedeck {

inline QString qtext(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

inline QStringList qtexts(const std::vector<std::string> &utf8)
{
    QStringList out;
    out.reserve(qsizetype(utf8.size()));
    for (const std::string &s : utf8)
        out.append(qtext(s));
    return out;
}

} // namespace tunedeck

#endif

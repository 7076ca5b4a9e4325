#include "qt/run/librarycheck.h"

#include "core/tonalyte/tonalyteengine.h"

namespace tunedeck {

std::optional<std::int32_t> LibraryCheck::version()
{
    std::int32_t version = 0;
    if (!library_.checkVersion(version))
        return std::nullopt;
    return version;
}

QString LibraryCheck::problem() const
{
    return QString::fromStdString(library_.bindError());
}

void LibraryCheck::setTestLog(bool on)
{
    library_.KeySetTestOn(on ? 1 : 0);
}

} // namespace tunedeck

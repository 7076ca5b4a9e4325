// A widget with its name as objectName, in one expression: the window's controls are found
// by their names.
#ifndef TUNEDECK_QT_WINDOWS_NAMED_H
#define TUNEDECK_QT_WINDOWS_NAMED_H

#include <QString>

namespace tunedeck {

template <typename W>
W *named(W *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace tunedeck

#endif

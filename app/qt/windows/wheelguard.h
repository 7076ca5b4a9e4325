// Scrolling the window with the wheel over a drop-down must not change the choice (and
// have it remembered): such controls take the wheel only once they have focus.
#ifndef TUNEDECK_QT_WINDOWS_WHEELGUARD_H
#define TUNEDECK_QT_WINDOWS_WHEELGUARD_H

class QWidget;

namespace tunedeck {

// Every drop-down, spin box and slider below root, as they are now.
void guardWheel(QWidget *root);

} // namespace tunedeck

#endif

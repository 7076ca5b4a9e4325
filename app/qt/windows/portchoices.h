// The main window's MIDI port choices, in a group below "B- Processing mode": where a play
// goes (the built-in synthesizer or an output port), which input port "3- Listen" listens
// to, and whether what it hears is played through. The lists follow the ports as they come
// and go; the choices are remembered by name.
#ifndef TUNEDECK_QT_WINDOWS_PORTCHOICES_H
#define TUNEDECK_QT_WINDOWS_PORTCHOICES_H

#include "qt/ports/portentries.h"

#include <QObject>
#include <QString>

#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QSettings;
class QWidget;

namespace tunedeck {

class PortWatcher;

// What is remembered between runs, by port name.
struct PortSettings {
    std::string output; // empty: the built-in synthesizer
    std::string input;  // empty: none chosen yet
    bool thru = false;
};

// QSettings "ports/output", "ports/input", "ports/thru", beside the window's choices.
PortSettings readPortSettings(QSettings &settings);
void writePortSettings(QSettings &settings, const PortSettings &choices);

class PortChoices : public QObject {
    Q_OBJECT
public:
    // Builds the group in parent and lists the ports (at once, then every second).
    explicit PortChoices(QWidget *parent);

    QGroupBox *box() const { return box_; }

    // The entries chosen now (null while a list is empty): for the output the built-in
    // synthesizer, a port, or one away; for the input a port, one away, or the entry
    // saying there are none.
    const PortEntry *output() const;
    const PortEntry *input() const;
    // What the input list shows, for the user when there is nothing to listen to.
    QString inputText() const;
    bool thru() const;

    // As --output and --input name them (findPort); "built-in" is the built-in synthesizer.
    // False when nothing matches: the choice stays.
    bool chooseOutput(const QString &pattern);
    bool chooseInput(const QString &pattern);

    PortSettings settings() const;
    void restore(const PortSettings &settings);

    const PortListing &inputs() const { return inputs_; }
    const PortListing &outputs() const { return outputs_; }
    // Lists the ports now (the watcher does it every second).
    void refresh();

signals:
    // The lists were filled again after the ports changed.
    void portsChanged();

private:
    void relist();
    void fill();

    QGroupBox *box_ = nullptr;
    QLabel *LblOutput = nullptr;
    QComboBox *CmbOutput = nullptr;
    QLabel *LblInput = nullptr;
    QComboBox *CmbInput = nullptr;
    QCheckBox *ChkThru = nullptr;

    PortWatcher *watcher_ = nullptr;
    PortListing inputs_, outputs_;
    std::vector<PortEntry> inputEntries_, outputEntries_;
    std::string wantedOutput_, wantedInput_; // the user's choices, kept while away
};

} // namespace tunedeck

#endif

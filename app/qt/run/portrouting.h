// Where the runs meet the machine's MIDI ports: the output a play goes to (the built-in
// synthesizer or a port), the input port listening hears and what it plays through, and
// what fails on the way. The runner routes each play and listening here; the window tells
// it when the port lists change.
#ifndef TUNEDECK_QT_RUN_PORTROUTING_H
#define TUNEDECK_QT_RUN_PORTROUTING_H

#include "core/midi/noteevents.h"
#include "qt/ports/portentries.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace tunedeck {

class MidiSink;
class PlayListOutput;
class PortInput;
class PortSink;

// Why listening to input cannot start: nothing for a listed port, else that the chosen port
// is not connected, or an empty text when none is chosen.
std::optional<QString> inputRefusal(const PortEntry *input);

class PortRouting : public QObject {
    Q_OBJECT
public:
    // output may be null: nothing plays, and any output is taken as chosen.
    explicit PortRouting(PlayListOutput *output, QObject *parent = nullptr);
    ~PortRouting() override;

    // Where plays go: the built-in synthesizer (null or its entry) or an output port;
    // false, with outputFailed, when the port cannot be opened.
    bool chooseOutput(const PortEntry *entry);

    // What listening plays through: with thru, where plays go (output chosen as for a play,
    // and started now), else nowhere (null). Nothing, with outputFailed, when the output
    // cannot be opened.
    std::optional<std::shared_ptr<MidiSink>> thruSink(const PortEntry *output, bool thru);
    // Listening to port, every channel message it sends also sent to thru. False, with
    // inputProblem(), when the port cannot be opened.
    bool openInput(const MidiPort &port, std::shared_ptr<MidiSink> thru);
    // Harmless when closed; what was played through is silenced.
    void closeInput();
    bool inputOpen() const;
    QString inputProblem() const;

    // The port lists changed: an input port gone ends listening to it (inputFailed), and
    // an output port gone that listening plays through says so (outputFailed).
    void portsChanged(const std::vector<MidiPort> &inputs, const std::vector<MidiPort> &outputs);

signals:
    void heard(const tunedeck::NoteEvent &note);
    // Listening failed or its port went away; the input has stopped.
    void inputFailed(const QString &message);
    // An output port could not be opened, or the one listening plays through has gone.
    void outputFailed(const QString &message);

private:
    PlayListOutput *output_;
    PortInput *input_ = nullptr;
    std::shared_ptr<PortSink> portSink_; // the output port plays go to, kept while chosen
    std::shared_ptr<MidiSink> thru_;     // what listening plays through, while it lasts
};

} // namespace tunedeck

#endif

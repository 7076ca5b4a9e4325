// The mix: tempo and transposition (each with a button back to its default), the volume with
// its percentage, and the file's channels with their instrument, mute and solo. Tempo,
// transposition and the channels are read when a play or a fast run starts; the volume
// applies at once.
#ifndef TUNEDECK_QT_WINDOWS_MIXPANEL_H
#define TUNEDECK_QT_WINDOWS_MIXPANEL_H

#include "core/base/keynames.h"
#include "core/base/playadjust.h"
#include "core/midi/channeluse.h"

#include <QWidget>

#include <cstdint>

class QComboBox;
class QLabel;
class QSlider;
class QSpinBox;
class QTableWidget;

namespace tunedeck {

class MixPanel : public QWidget {
    Q_OBJECT
public:
    enum Column { ChannelColumn, InstrumentColumn, MuteColumn, SoloColumn };

    explicit MixPanel(QWidget *parent = nullptr);

    PlayAdjust adjust() const;
    void setAdjust(const PlayAdjust &adjust);
    int volume() const;
    void setVolume(int percent);
    // Bit n: channel n + 1.
    std::uint16_t muted() const { return muted_; }
    std::uint16_t soloed() const { return soloed_; }
    void setMuteSolo(std::uint16_t muted, std::uint16_t soloed);
    // What a run leaves out. A solo kept on a channel the file does not play silences nothing.
    ChannelMask channels() const { return mixMask(muted_, std::uint16_t(soloed_ & used_)); }
    // What the mix leaves out of the file's channels, in a few words; empty when nothing.
    QString channelsNote() const;

    // The channels a file plays notes on; the others are hidden, keeping their mute and solo.
    void showChannels(const ChannelUses &uses);

    QSpinBox *tempoBox() const { return tempo_; }
    QSpinBox *transposeBox() const { return transpose_; }
    QSlider *volumeSlider() const { return volume_; }
    QLabel *volumeValue() const { return volumeValue_; }
    // How the key map, the keys' bars and the "Profile analysis" line name keys.
    Notation notation() const;
    void setNotation(Notation notation);
    QComboBox *notationBox() const { return notation_; }
    QTableWidget *channelTable() const { return table_; }

signals:
    void volumeChanged(int percent);
    void notationChanged(Notation notation);

private:
    void checkChanged(int row, int column);
    void showMuteSolo();

    QSpinBox *tempo_;
    QSpinBox *transpose_;
    QSlider *volume_;
    QLabel *volumeValue_;
    QComboBox *notation_;
    QTableWidget *table_;
    QLabel *noChannels_;
    std::uint16_t muted_ = 0;
    std::uint16_t soloed_ = 0;
    std::uint16_t used_ = 0xFFFF; // the channels the file plays notes on
    bool showing_ = false; // the table is being filled: its changes are not the user's
};

} // namespace tunedeck

#endif

#include "qt/windows/mixpanel.h"

#include "core/base/gmprograms.h"
#include "core/midi/noteevents.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace tunedeck {

namespace {

QSpinBox *spinBox(const char *name, int low, int high, int value, QWidget *parent)
{
    auto *box = new QSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(low, high);
    box->setValue(value);
    return box;
}

// The box with a button beside it that sets it back to its default; enabled while it is not
// there already.
QHBoxLayout *withReset(QSpinBox *box, int value, const QString &toolTip)
{
    auto *reset = new QToolButton(box->parentWidget());
    reset->setObjectName(box->objectName() + QStringLiteral("Reset"));
    reset->setText(QObject::tr("Reset"));
    reset->setToolTip(toolTip);
    reset->setEnabled(box->value() != value);
    QObject::connect(reset, &QToolButton::clicked, box, [box, value] { box->setValue(value); });
    QObject::connect(box, &QSpinBox::valueChanged, reset, [reset, value](int now) { reset->setEnabled(now != value); });
    auto *row = new QHBoxLayout;
    row->addWidget(box, 1);
    row->addWidget(reset);
    return row;
}

QString instrumentText(int channel, const ChannelUse &use)
{
    // On channel 10 a program chooses a drum kit, not an instrument.
    if (channel == DrumChannel)
        return QObject::tr("Drums");
    const std::string_view name = gmProgramName(use.program < 0 ? 0 : use.program);
    return QString::fromLatin1(name.data(), qsizetype(name.size()));
}

// "channel 2", "channels 2, 10": numbered from 1.
QString channelWords(std::uint16_t bits)
{
    QStringList numbers;
    for (int c = 0; c < 16; ++c)
        if ((bits >> c) & 1)
            numbers << QString::number(c + 1);
    return (numbers.size() == 1 ? QObject::tr("channel ") : QObject::tr("channels ")) + numbers.join(QStringLiteral(", "));
}

QTableWidgetItem *checkItem(const QString &toolTip)
{
    auto *item = new QTableWidgetItem;
    item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
    item->setCheckState(Qt::Unchecked);
    item->setToolTip(toolTip);
    return item;
}

} // namespace

MixPanel::MixPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("MixPanel"));
    tempo_ = spinBox("MixTempo", MinTempoPercent, MaxTempoPercent, 100, this);
    tempo_->setSuffix(QStringLiteral(" %"));
    tempo_->setSingleStep(5);
    tempo_->setToolTip(tr("The speed of the next play, in percent of the file's tempo"));
    transpose_ = spinBox("MixTranspose", MinTranspose, MaxTranspose, 0, this);
    transpose_->setSuffix(tr(" semitones"));
    transpose_->setToolTip(tr("Moves the next play and the next fast detection, and the keys found with them; "
                              "notes pushed outside 1 to 127 are left out"));
    volume_ = new QSlider(Qt::Horizontal, this);
    volume_->setObjectName(QStringLiteral("MixVolume"));
    volume_->setRange(0, 100);
    volume_->setValue(100);
    volume_->setToolTip(tr("The built-in synthesizer's volume; a MIDI output port's volume is set on its device"));
    volumeValue_ = new QLabel(this);
    volumeValue_->setObjectName(QStringLiteral("MixVolumeValue"));
    volumeValue_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    volumeValue_->setMinimumWidth(volumeValue_->fontMetrics().horizontalAdvance(QStringLiteral("100 %")) + 2);
    const auto showVolume = [this](int percent) { volumeValue_->setText(QStringLiteral("%1 %").arg(percent)); };
    showVolume(volume_->value());
    connect(volume_, &QSlider::valueChanged, this, showVolume);
    connect(volume_, &QSlider::valueChanged, this, &MixPanel::volumeChanged);

    // In the order of Notation.
    notation_ = new QComboBox(this);
    notation_->setObjectName(QStringLiteral("KeyNotation"));
    notation_->addItems({tr("Standard"), tr("Camelot"), tr("Open Key"), tr("German")});
    notation_->setToolTip(tr("How the key map, the keys' bars and the profile analysis name keys; "
                             "the window's own key labels keep their names"));
    connect(notation_, &QComboBox::currentIndexChanged, this,
            [this](int index) { emit notationChanged(Notation(index)); });

    auto *form = new QFormLayout;
    form->addRow(tr("Tempo"), withReset(tempo_, 100, tr("Back to the file's tempo (100 %)")));
    form->addRow(tr("Transpose"), withReset(transpose_, 0, tr("Back to no transposition")));
    auto *volumeRow = new QHBoxLayout;
    volumeRow->addWidget(volume_, 1);
    volumeRow->addWidget(volumeValue_);
    form->addRow(tr("Volume"), volumeRow);
    form->addRow(tr("Key names"), notation_);

    table_ = new QTableWidget(16, 4, this);
    table_->setObjectName(QStringLiteral("MixChannels"));
    table_->setHorizontalHeaderLabels({tr("Ch"), tr("Instrument"), tr("Mute"), tr("Solo")});
    table_->verticalHeader()->hide();
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setSectionResizeMode(InstrumentColumn, QHeaderView::Stretch);
    const QString notAnalysed = tr("Muted channels are not analysed: what you hear is what is analysed");
    table_->setToolTip(notAnalysed);
    for (int row = 0; row < 16; ++row) {
        auto *number = new QTableWidgetItem(QString::number(row + 1));
        number->setFlags(Qt::ItemIsEnabled);
        table_->setItem(row, ChannelColumn, number);
        auto *instrument = new QTableWidgetItem;
        instrument->setFlags(Qt::ItemIsEnabled);
        table_->setItem(row, InstrumentColumn, instrument);
        table_->setItem(row, MuteColumn, checkItem(tr("Mute channel %1").arg(row + 1)));
        table_->setItem(row, SoloColumn, checkItem(tr("Play channel %1 with the other soloed ones only").arg(row + 1)));
        table_->setRowHidden(row, true);
    }
    connect(table_, &QTableWidget::cellChanged, this, &MixPanel::checkChanged);

    noChannels_ = new QLabel(tr("The channels of the chosen file appear here."), this);
    noChannels_->setWordWrap(true);
    auto *note = new QLabel(notAnalysed, this);
    note->setObjectName(QStringLiteral("MixNote"));
    note->setWordWrap(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(form);
    layout->addWidget(noChannels_);
    layout->addWidget(table_, 1);
    layout->addWidget(note);
}

PlayAdjust MixPanel::adjust() const
{
    return {transpose_->value(), tempo_->value()};
}

void MixPanel::setAdjust(const PlayAdjust &adjust)
{
    transpose_->setValue(adjust.transpose);
    tempo_->setValue(adjust.tempoPercent);
}

int MixPanel::volume() const
{
    return volume_->value();
}

void MixPanel::setVolume(int percent)
{
    volume_->setValue(percent);
}

void MixPanel::setMuteSolo(std::uint16_t muted, std::uint16_t soloed)
{
    muted_ = muted;
    soloed_ = soloed;
    showMuteSolo();
}

void MixPanel::showChannels(const ChannelUses &uses)
{
    showing_ = true;
    bool any = false;
    used_ = 0;
    for (int row = 0; row < 16; ++row) {
        const ChannelUse &use = uses[std::size_t(row)];
        used_ |= use.notes ? std::uint16_t(1u << row) : 0;
        table_->item(row, InstrumentColumn)->setText(instrumentText(row, use));
        table_->setRowHidden(row, !use.notes);
        any = any || use.notes;
    }
    showing_ = false;
    noChannels_->setVisible(!any);
}

void MixPanel::showMuteSolo()
{
    showing_ = true;
    for (int row = 0; row < 16; ++row) {
        table_->item(row, MuteColumn)->setCheckState((muted_ >> row) & 1 ? Qt::Checked : Qt::Unchecked);
        table_->item(row, SoloColumn)->setCheckState((soloed_ >> row) & 1 ? Qt::Checked : Qt::Unchecked);
    }
    showing_ = false;
}

void MixPanel::checkChanged(int row, int column)
{
    if (showing_ || (column != MuteColumn && column != SoloColumn))
        return;
    std::uint16_t &bits = column == MuteColumn ? muted_ : soloed_;
    const std::uint16_t bit = std::uint16_t(1u << row);
    bits = table_->item(row, column)->checkState() == Qt::Checked ? std::uint16_t(bits | bit)
                                                                    : std::uint16_t(bits & ~bit);
}

QString MixPanel::channelsNote() const
{
    const std::uint16_t left = channels().muted & used_;
    if (left == 0)
        return {};
    const std::uint16_t heard = used_ & ~left;
    if (heard == 0)
        return tr("Every channel muted: nothing is heard or analysed");
    if (soloed_ & used_)
        return tr("Solo: %1 (the others are not heard or analysed)").arg(channelWords(heard));
    return tr("Muted: %1 (not heard or analysed)").arg(channelWords(left));
}

Notation MixPanel::notation() const
{
    return Notation(notation_->currentIndex());
}

void MixPanel::setNotation(Notation notation)
{
    notation_->setCurrentIndex(int(notation));
}

} // namespace tunedeck

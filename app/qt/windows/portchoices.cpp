#include "qt/windows/portchoices.h"
#include "qt/windows/named.h"

#include "qt/ports/portwatcher.h"
#include "qt/windows/elidingcombobox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QAbstractItemView>
#include <QHBoxLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSettings>
#include <QSignalBlocker>
#include <QStandardItemModel>

#include <algorithm>

namespace tunedeck {

namespace {

const QString OutputKey = QStringLiteral("ports/output");
const QString InputKey = QStringLiteral("ports/input");
const QString ThruKey = QStringLiteral("ports/thru");

QString apiText(PortApi api)
{
    switch (api) {
    case PortApi::Alsa: return QStringLiteral(" (ALSA)");
    case PortApi::Jack: return QStringLiteral(" (JACK)");
    case PortApi::Platform: break;
    }
    return {};
}

QString entryText(const PortEntry &entry)
{
    const QString name = QString::fromStdString(entry.port.name);
    switch (entry.kind) {
    case EntryKind::BuiltIn: return QStringLiteral("Built-in synthesizer");
    case EntryKind::Port: return name + apiText(entry.port.api);
    case EntryKind::Away: return name + QStringLiteral(" (not connected)");
    case EntryKind::NoPorts: break;
    }
    return entry.reason.empty() ? QStringLiteral("No MIDI ports")
                                : QStringLiteral("No MIDI ports: ") + QString::fromStdString(entry.reason);
}

constexpr const char *BaseTip = "baseToolTip";

// The entry chosen, whole, above what the box is for.
void showChoiceInTip(QComboBox *box)
{
    const QString base = box->property(BaseTip).toString();
    box->setToolTip(box->currentText().isEmpty() ? base : box->currentText() + QLatin1Char('\n') + base);
}

// The entries, the one at current shown; the one saying why nothing is listed cannot be
// chosen.
void fillBox(QComboBox *box, const std::vector<PortEntry> &entries, int current, const QString &tip,
             const std::string &reason)
{
    const QSignalBlocker quiet(box);
    box->clear();
    auto *model = qobject_cast<QStandardItemModel *>(box->model());
    for (const PortEntry &entry : entries) {
        // Whole in the list's tip: long names are cut in the box.
        box->addItem(entryText(entry));
        box->setItemData(box->count() - 1, box->itemText(box->count() - 1), Qt::ToolTipRole);
        if (entry.kind == EntryKind::NoPorts && model)
            model->item(box->count() - 1)->setEnabled(false);
    }
    box->setCurrentIndex(std::max(current, 0));
    box->view()->setMinimumWidth(box->view()->sizeHintForColumn(0) + box->view()->frameWidth() * 2);
    // Why a port system gave no ports, whole: the entry saying so is cut in the box.
    box->setProperty(BaseTip, reason.empty() ? tip : tip + QStringLiteral("\nNot listed: ") + QString::fromStdString(reason));
    showChoiceInTip(box);
}

const PortEntry *entryAt(const std::vector<PortEntry> &entries, int index)
{
    return index >= 0 && std::size_t(index) < entries.size() ? &entries[std::size_t(index)] : nullptr;
}

bool isPort(const PortEntry *entry)
{
    return entry && (entry->kind == EntryKind::Port || entry->kind == EntryKind::Away);
}

const MidiPort *matching(const PortListing &listing, const QString &pattern)
{
    return findPort(listing.ports, pattern.toStdString());
}

} // namespace

PortSettings readPortSettings(QSettings &settings)
{
    return {settings.value(OutputKey).toString().toStdString(), settings.value(InputKey).toString().toStdString(),
            settings.value(ThruKey, false).toBool()};
}

void writePortSettings(QSettings &settings, const PortSettings &choices)
{
    settings.setValue(OutputKey, QString::fromStdString(choices.output));
    settings.setValue(InputKey, QString::fromStdString(choices.input));
    settings.setValue(ThruKey, choices.thru);
}

PortChoices::PortChoices(QWidget *parent) : QObject(parent)
{
    box_ = named(new QGroupBox(QStringLiteral(" MIDI ports :"), parent), "FraPorts");
    LblOutput = named(new QLabel(QStringLiteral("Play to"), box_), "LblOutput");
    CmbOutput = named(new ElidingComboBox(box_), "CmbOutput");
    LblInput = named(new QLabel(QStringLiteral("Listen to"), box_), "LblInput");
    CmbInput = named(new ElidingComboBox(box_), "CmbInput");
    for (QComboBox *combo : {CmbOutput, CmbInput}) {
        // Long port names end in an ellipsis rather than widening the window; the tool tip
        // and the list show them whole.
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        combo->setMinimumContentsLength(12);
        connect(combo, &QComboBox::currentIndexChanged, this, [combo] { showChoiceInTip(combo); });
    }
    // The input's entries end in an ellipsis sooner: the row fits a 1024 x 600 screen.
    CmbInput->setMinimumContentsLength(8);
    // The built-in synthesizer, where most plays go, is never cut: the box's frame and arrow
    // around the entry's own width, and the pixel the label keeps either side.
    const QFontMetrics fm = CmbOutput->fontMetrics();
    const int around = CmbOutput->minimumSizeHint().width() - fm.horizontalAdvance(QLatin1Char('x')) * 12;
    CmbOutput->setMinimumWidth(around + fm.horizontalAdvance(entryText({EntryKind::BuiltIn, {}, {}})) + 2);
    LblOutput->setBuddy(CmbOutput);
    LblInput->setBuddy(CmbInput);
    ChkThru = named(new QCheckBox(QStringLiteral("Play through"), box_), "ChkThru");
    ChkThru->setToolTip(QStringLiteral("While listening, play what the input port sends where plays go"));

    // One row: the window is tall already.
    auto *row = new QHBoxLayout(box_);
    row->addWidget(LblOutput);
    row->addWidget(CmbOutput, 1);
    row->addSpacing(box_->fontMetrics().averageCharWidth() * 2);
    row->addWidget(LblInput);
    row->addWidget(CmbInput, 1);
    row->addWidget(ChkThru);

    // What the user picks is kept, also while its port is away; a refill is no pick.
    connect(CmbOutput, &QComboBox::activated, this, [this](int index) {
        const PortEntry *entry = entryAt(outputEntries_, index);
        wantedOutput_ = isPort(entry) ? entry->port.name : std::string();
    });
    connect(CmbInput, &QComboBox::activated, this, [this](int index) {
        if (const PortEntry *entry = entryAt(inputEntries_, index); isPort(entry))
            wantedInput_ = entry->port.name;
    });

    watcher_ = new PortWatcher(std::chrono::seconds(1), this);
    connect(watcher_, &PortWatcher::portsChanged, this, [this] {
        relist();
        emit portsChanged();
    });
    relist();
}

void PortChoices::relist()
{
    inputs_ = watcher_->inputs();
    outputs_ = watcher_->outputs();
    fill();
}

void PortChoices::fill()
{
    outputEntries_ = portEntries(outputs_, true, wantedOutput_);
    fillBox(CmbOutput, outputEntries_, chosenEntry(outputEntries_, wantedOutput_),
            QStringLiteral("Where a play goes: the built-in synthesizer or a MIDI output port"), outputs_.reason);

    // The port shown is the one chosen: gone, it stays as "(not connected)".
    wantedInput_ = inputChoice(inputs_, wantedInput_);
    inputEntries_ = portEntries(inputs_, false, wantedInput_);
    fillBox(CmbInput, inputEntries_, chosenEntry(inputEntries_, wantedInput_),
            QStringLiteral("The MIDI input port \"3- Listen\" listens to: a keyboard, another program"),
            inputs_.reason);
}

void PortChoices::refresh()
{
    watcher_->refresh();
}

const PortEntry *PortChoices::output() const
{
    return entryAt(outputEntries_, CmbOutput->currentIndex());
}

const PortEntry *PortChoices::input() const
{
    return entryAt(inputEntries_, CmbInput->currentIndex());
}

bool PortChoices::thru() const
{
    return ChkThru->isChecked();
}

QString PortChoices::inputText() const
{
    return CmbInput->currentText();
}

bool PortChoices::chooseOutput(const QString &pattern)
{
    if (pattern.compare(QStringLiteral("built-in"), Qt::CaseInsensitive) == 0) {
        wantedOutput_.clear();
    } else {
        const MidiPort *port = matching(outputs_, pattern);
        if (!port)
            return false;
        wantedOutput_ = port->name;
    }
    fill();
    return true;
}

bool PortChoices::chooseInput(const QString &pattern)
{
    const MidiPort *port = matching(inputs_, pattern);
    if (!port)
        return false;
    wantedInput_ = port->name;
    fill();
    return true;
}

PortSettings PortChoices::settings() const
{
    const PortEntry *in = input();
    return {wantedOutput_, isPort(in) ? in->port.name : wantedInput_, thru()};
}

void PortChoices::restore(const PortSettings &settings)
{
    wantedOutput_ = settings.output;
    wantedInput_ = settings.input;
    ChkThru->setChecked(settings.thru);
    fill();
}

} // namespace tunedeck

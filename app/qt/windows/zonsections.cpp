#include "qt/windows/zonsections.h"
#include "qt/windows/named.h"

#include "core/fastdetect/meter.h"
#include "qt/windows/notifylabel.h"

#include <QAction>
#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

namespace tunedeck {

namespace {

QFont scaled(QFont font, qreal factor, bool bold = false)
{
    font.setPointSizeF(font.pointSizeF() * factor);
    font.setBold(bold);
    return font;
}

} // namespace

MenuSection buildMenu(QMenuBar *bar)
{
    // Two items straight on the bar.
    MenuSection m;
    m.mnuAbout = named(bar->addAction(QStringLiteral("About")), "mnuAbout");
    m.mnuAbout->setStatusTip(QStringLiteral("Who made Tunedeck and what it is built with"));
    m.mnuReadMe = named(bar->addAction(QStringLiteral("ReadMe")), "mnuReadMe");
    m.mnuReadMe->setShortcut(QKeySequence::HelpContents);
    m.mnuReadMe->setStatusTip(QStringLiteral("How to use Tunedeck, and the licence agreement"));
    return m;
}

InputSection buildInputSection(QWidget *parent)
{
    InputSection s;
    const QFontMetrics fm(parent->font());
    auto *input = s.box = named(new QGroupBox(QStringLiteral(" A- Input :"), parent), "FraInput");
    s.CmdBrow = named(new QPushButton(QStringLiteral("Browse"), input), "CmdBrow");
    s.CmdBrow->setToolTip(QStringLiteral("Choose a MIDI file"));
    s.LblInputFile = named(new QLabel(QStringLiteral("Input Midi File"), input), "LblInputFile");
    s.LblInputFile->setFrameShape(QFrame::StyledPanel);
    s.LblInputFile->setFrameShadow(QFrame::Sunken);
    // Long paths are cut rather than widening the window; the tool tip holds the whole path.
    s.LblInputFile->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    s.LblInputFile->setMinimumWidth(fm.averageCharWidth() * 30);
    s.LblInputFile->setTextInteractionFlags(Qt::TextSelectableByMouse);
    s.Label1 = named(new QLabel(QStringLiteral("Select Track"), input), "Label1");
    s.CmbTrks = named(new QComboBox(input), "CmbTrks");
    s.CmbTrks->setEditable(true);
    s.CmbTrks->setInsertPolicy(QComboBox::NoInsert);
    s.CmbTrks->setEnabled(false);
    s.CmbTrks->setMinimumContentsLength(8);
    s.Label1->setBuddy(s.CmbTrks);
    s.ChkAll = named(new QCheckBox(QStringLiteral("All"), input), "ChkAll");
    s.ChkAll->setChecked(true);
    s.ChkAll->setToolTip(QStringLiteral("Use every track; drums on MIDI channel 10 are not analysed"));
    s.Label4 = named(new QLabel(QStringLiteral("Meter Timing"), input), "Label4");
    s.CmbTimeSign = named(new QComboBox(input), "CmbTimeSign");
    for (const Meter &meter : Meters)
        s.CmbTimeSign->addItem(QString::fromLatin1(meter.text.data(), qsizetype(meter.text.size())));
    s.CmbTimeSign->setToolTip(QStringLiteral("Meter used to number the bars of a fast detection"));
    s.Label4->setBuddy(s.CmbTimeSign);
    s.CmbBars = named(new QComboBox(input), "CmbBars");
    s.CmbBars->addItems({QStringLiteral("Music's bars"), QStringLiteral("Meter's bars")});
    s.CmbBars->setToolTip(QStringLiteral("Bars of the chords and local keys: where the music's fall, found from the "
                                         "notes, or the meter's counted from the start"));

    auto *grid = new QGridLayout(input);
    grid->addWidget(s.CmdBrow, 0, 0);
    grid->addWidget(s.LblInputFile, 0, 1, 1, 6);
    grid->addWidget(s.Label1, 1, 0, Qt::AlignRight);
    grid->addWidget(s.CmbTrks, 1, 1);
    grid->addWidget(s.ChkAll, 1, 2);
    grid->setColumnStretch(3, 1);
    grid->addWidget(s.Label4, 1, 4, Qt::AlignRight);
    grid->addWidget(s.CmbTimeSign, 1, 5);
    grid->addWidget(s.CmbBars, 1, 6);
    return s;
}

ModeSection buildModeSection(QWidget *parent)
{
    ModeSection s;
    const QFontMetrics fm(parent->font());
    auto *mode = s.box = named(
        new QGroupBox(QStringLiteral(" B- Processing mode :  (click a button to start)"), parent), "FraMode");
    s.CmdPlay = named(new QPushButton(QStringLiteral("1- Real Time Play"), mode), "CmdPlay");
    s.CmdPlay->setToolTip(QStringLiteral("Play the file and detect the key while it sounds"));
    s.CmdFastDetect = named(new QPushButton(QStringLiteral("2- Fast Detect"), mode), "CmdFastDetect");
    s.CmdFastDetect->setToolTip(QStringLiteral("Detect the key of the whole file at once, without playing"));
    s.CmdListen = named(new QPushButton(QStringLiteral("3- Listen"), mode), "CmdListen");
    s.CmdListen->setToolTip(QStringLiteral("Listen to a MIDI input port and detect the key as it is played"));
    s.CmdStop = named(new QPushButton(QStringLiteral("Stop"), mode), "CmdStop");
    s.CmdStop->setToolTip(QStringLiteral("Stop playing, or cancel a fast detection"));
    // The ways to start are the main actions of the window.
    for (QPushButton *start : {s.CmdPlay, s.CmdFastDetect, s.CmdListen}) {
        start->setMinimumHeight(fm.height() * 2 + 8);
        start->setFont(scaled(parent->font(), 1.0, true));
    }

    auto *picture1 = named(new QFrame(mode), "Picture1");
    picture1->setFrameShape(QFrame::StyledPanel);
    s.OptLessSen = named(new QRadioButton(QStringLiteral("Normal"), picture1), "OptLessSen");
    s.OptMoreSen = named(new QRadioButton(QStringLiteral("More sensitive"), picture1), "OptMoreSen");
    s.OptLessSen->setChecked(true);
    auto *sensitivity = new QButtonGroup(picture1);
    sensitivity->addButton(s.OptLessSen);
    sensitivity->addButton(s.OptMoreSen);
    auto *picture1Layout = new QVBoxLayout(picture1);
    picture1Layout->addWidget(s.OptLessSen);
    picture1Layout->addWidget(s.OptMoreSen);

    auto *layout = new QHBoxLayout(mode);
    auto *buttons = new QVBoxLayout;
    auto *startRow = new QHBoxLayout;
    startRow->addWidget(s.CmdPlay);
    startRow->addWidget(s.CmdFastDetect);
    startRow->addWidget(s.CmdListen);
    buttons->addLayout(startRow);
    buttons->addWidget(s.CmdStop);
    layout->addLayout(buttons, 1);
    layout->addSpacing(fm.averageCharWidth() * 2);
    layout->addWidget(picture1);
    return s;
}

ResultsSection buildResultsSection(QWidget *parent)
{
    ResultsSection s;
    const QFont font = parent->font();
    const QFontMetrics fm(font);
    auto *output = s.box = named(new QGroupBox(QStringLiteral(" C- Output key info :"), parent), "FraOutput");
    s.LblKType = named(new QLabel(QStringLiteral("Key"), output), "LblKType");
    s.LblKType->setFont(scaled(font, 1.0, true));
    s.LblKeyStr = named(new QLabel(QStringLiteral("-"), output), "LblKeyStr");
    s.LblKeyStr->setFont(scaled(font, 1.7, true));
    s.LblKeyStr->setToolTip(QStringLiteral("Key (tonic and mode)"));
    s.LblSignat = named(new NotifyLabel(QStringLiteral("-"), output), "LblSignat");
    s.LblSignat->setFont(scaled(font, 1.7, true));
    s.LblSignat->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    s.LblSignat->setToolTip(QStringLiteral("Key signature: sharps (#) or flats (b)"));
    s.LblProfileKey = named(new QLabel(QStringLiteral("Profile analysis: -"), output), "LblProfileKey");
    s.LblProfileKey->setToolTip(QStringLiteral("A profile analysis (key profiles and a hidden Markov model): its "
                                               "key, how sure it is, and the next candidate"));
    s.LblProfileKey->setTextInteractionFlags(Qt::TextSelectableByMouse);
    s.LblChordNow = named(new QLabel(output), "LblChordNow");
    s.LblChordNow->setToolTip(QStringLiteral("The chord of the moment, during a play or listening: its symbol, "
                                             "and its Roman numeral in the key"));
    s.LblChordNow->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    s.LblChordNow->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // What the profile line leaves: a long name never widens the window.
    s.LblChordNow->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    s.CmbKeyList = named(new QComboBox(output), "CmbKeyList");
    s.CmbKeyList->setToolTip(QStringLiteral("Candidate keys of the whole input, most likely first"));
    s.LblKeyTiming = named(new QLabel(QStringLiteral("Timing"), output), "LblKeyTiming");
    s.LblKeyTiming->setFont(scaled(font, 1.0, true));
    s.CmbKeyPoint = named(new QComboBox(output), "CmbKeyPoint");
    s.CmbKeyPoint->setToolTip(QStringLiteral("Where the music enters each of its main keys"));
    for (QComboBox *box : {s.CmbKeyList, s.CmbKeyPoint}) {
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        box->setMinimumContentsLength(24);
    }
    s.Label6 = named(new QLabel(QStringLiteral("The input probably has :"), output), "Label6");

    auto *picture2 = named(new QFrame(output), "Picture2");
    constexpr std::array<const char *, KeyCounts.size()> keyCountNames{"OptNKey", "Opt1Key", "Opt2Key", "Opt3Key",
                                                                     "Opt4Key"};
    for (std::size_t i = 0; i < KeyCounts.size(); ++i)
        s.keyCount[i] = named(new QRadioButton(QString::fromLatin1(KeyCounts[i].label.data(),
                                                                   qsizetype(KeyCounts[i].label.size())),
                                               picture2),
                              keyCountNames[i]);
    s.keyCount[std::size_t(DefaultKeyCount)]->setChecked(true);
    auto *group = new QButtonGroup(picture2);
    auto *picture2Layout = new QHBoxLayout(picture2);
    picture2Layout->setContentsMargins(0, 0, 0, 0);
    for (QRadioButton *option : s.keyCount) {
        group->addButton(option);
        picture2Layout->addWidget(option);
    }
    picture2Layout->addStretch(1);
    picture2->setToolTip(QStringLiteral("How many main keys the key timeline shows"));

    auto *keyRow = new QHBoxLayout;
    keyRow->addWidget(s.LblKeyStr, 1);
    keyRow->addWidget(s.LblSignat);
    // The chord of the moment beside the short heading, not after the profile line: in a
    // play that line grows ("G major from bar 13, 58 %") and would leave the chord no room.
    auto *headingRow = new QHBoxLayout;
    headingRow->addWidget(s.LblKType);
    headingRow->addWidget(s.LblChordNow, 1);
    auto *layout = new QVBoxLayout(output);
    layout->addLayout(headingRow);
    layout->addLayout(keyRow);
    layout->addWidget(s.LblProfileKey);
    layout->addWidget(s.CmbKeyList);
    layout->addSpacing(fm.height() / 2);
    layout->addWidget(s.LblKeyTiming);
    layout->addWidget(s.CmbKeyPoint);
    layout->addSpacing(fm.height() / 2);
    layout->addWidget(s.Label6);
    layout->addWidget(picture2);
    return s;
}

namespace {

// The progress message and, beside it, the clock in a large fixed font.
void addProgressLabels(InfoSection &s, QGroupBox *info, const QFont &font)
{
    const QFontMetrics fm(font);
    s.LblMess = named(new QLabel(QStringLiteral("Events"), info), "LblMess");
    s.LblMess->setToolTip(QStringLiteral("Progress"));
    s.LblMess->setWordWrap(true);
    s.LblMess->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // Fixed sizes: a caption change then repaints the label without laying the window out
    // again, which matters when fast detection rewrites it per event.
    s.LblMess->setFixedSize(fm.averageCharWidth() * 44, fm.lineSpacing() * 2 + 4);
    s.LblcTime = named(new QLabel(QStringLiteral("00:00"), info), "LblcTime");
    QFont clockFont = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    clockFont.setPointSizeF(font.pointSizeF() * 1.5);
    clockFont.setBold(true);
    s.LblcTime->setFont(clockFont);
    s.LblcTime->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    s.LblcTime->setToolTip(QStringLiteral("Play time (MM:SS), or bar number of a fast detection"));
    const QFontMetrics clock(clockFont);
    s.LblcTime->setFixedSize(clock.horizontalAdvance(QStringLiteral("00000:00")) + 4, clock.height() + 4);
}

// The error and the key's details, and the version's row.
void addMessageLabels(InfoSection &s, QGroupBox *info, const QFont &font)
{
    s.LblError = named(new QLabel(QStringLiteral("Error"), info), "LblError");
    s.LblError->setToolTip(QStringLiteral("Errors and information"));
    s.LblError->setWordWrap(true);
    s.LblHaStr = named(new QLabel(QStringLiteral("-"), info), "LblHaStr");
    s.LblHaStr->setToolTip(QStringLiteral("Details of the current key, or advice"));
    s.LblHaStr->setWordWrap(true);
    s.LblDllVer = named(new QLabel(QStringLiteral("DLL version"), info), "LblDllVer");
    s.Label2 = named(new QLabel(QStringLiteral("Static"), info), "Label2");
    for (QLabel *quiet : {s.LblDllVer, s.Label2})
        quiet->setForegroundRole(QPalette::PlaceholderText);
    // On the version's row, which is there anyway: muting shows without moving anything.
    s.LblMix = named(new QLabel(info), "LblMix");
    s.LblMix->setFont(scaled(font, 1.0, true));
    s.LblMix->setToolTip(QStringLiteral("Muted channels: what you hear is what is analysed (the Mix dock)"));
}

// The library's working values in a row, hidden until the test switch shows them.
QHBoxLayout *addTestLabels(InfoSection &s, QGroupBox *info)
{
    s.LblKqKey = named(new QLabel(QStringLiteral("Code"), info), "LblKqKey");
    s.LblInpTCnt = named(new QLabel(QStringLiteral("0"), info), "LblInpTCnt");
    s.LblTapCnt = named(new QLabel(QStringLiteral("0"), info), "LblTapCnt");
    s.LblKeyType = named(new QLabel(QStringLiteral("0"), info), "LblKeyType");
    s.LblHaCode = named(new QLabel(QStringLiteral("00000"), info), "LblHaCode");
    s.LblTpNotDen = named(new QLabel(QStringLiteral("0"), info), "LblTpNotDen");
    const std::pair<QLabel *, const char *> testLabels[] = {
        {s.LblKqKey, "Key code in force"},   {s.LblInpTCnt, "Library: input count"},
        {s.LblTapCnt, "Library: tap count"}, {s.LblKeyType, "Library: key type"},
        {s.LblHaCode, "Harmony code"},       {s.LblTpNotDen, "Ticks per quarter note"},
    };
    auto *testRow = new QHBoxLayout;
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    for (const auto &[label, tip] : testLabels) {
        label->setFont(fixed);
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        label->setToolTip(QLatin1String(tip));
        label->setMinimumWidth(QFontMetrics(fixed).horizontalAdvance(QStringLiteral("00000")) + 8);
        label->hide();
        testRow->addWidget(label);
    }
    testRow->addStretch(1);
    return testRow;
}

void layOutInfo(const InfoSection &s, QHBoxLayout *testRow)
{
    auto *messRow = new QHBoxLayout;
    messRow->addWidget(s.LblMess);
    messRow->addStretch(1);
    messRow->addWidget(s.LblcTime);
    auto *versionRow = new QHBoxLayout;
    versionRow->addWidget(s.LblDllVer);
    versionRow->addStretch(1);
    versionRow->addWidget(s.LblMix);
    versionRow->addStretch(1);
    versionRow->addWidget(s.Label2);
    auto *layout = new QVBoxLayout(s.box);
    layout->addLayout(messRow);
    layout->addWidget(s.LblError);
    layout->addWidget(s.LblHaStr);
    layout->addLayout(testRow);
    // Beside the taller results, the version row keeps to the bottom.
    layout->addStretch(1);
    layout->addLayout(versionRow);
}

} // namespace

InfoSection buildInfoSection(QWidget *parent)
{
    InfoSection s;
    s.box = named(new QGroupBox(QStringLiteral(" D- Processing info :"), parent), "FraInfo");
    // The window's font, which the group box's style may not share.
    const QFont font = parent->font();
    addProgressLabels(s, s.box, font);
    addMessageLabels(s, s.box, font);
    layOutInfo(s, addTestLabels(s, s.box));
    return s;
}

ResultsRow::ResultsRow(QBoxLayout *row, QWidget *pane) : QObject(pane), row_(row), pane_(pane)
{
    pane->installEventFilter(this);
    // A longer text in a section may make it wider than the pane allows.
    row->parentWidget()->installEventFilter(this);
}

int ResultsRow::sideBySideWidth() const
{
    const QMargins around = row_->parentWidget()->layout()->contentsMargins();
    int width = around.left() + around.right() + row_->spacing() * (row_->count() - 1)
                + pane_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    for (int i = 0; i < row_->count(); ++i)
        width += row_->itemAt(i)->minimumSize().width();
    return width;
}

bool ResultsRow::sideBySide() const
{
    return row_->direction() == QBoxLayout::LeftToRight;
}

void ResultsRow::fit(int paneWidth)
{
    const auto direction = paneWidth >= sideBySideWidth() ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom;
    if (row_->direction() == direction)
        return;
    row_->setDirection(direction);
    // The controls' own hint follows at once, for a window sized before it is shown.
    row_->parentWidget()->layout()->invalidate();
}

bool ResultsRow::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == pane_ && event->type() == QEvent::Resize) || event->type() == QEvent::LayoutRequest)
        fit(pane_->width());
    return QObject::eventFilter(watched, event);
}

} // namespace tunedeck

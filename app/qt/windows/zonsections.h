// The main window's sections, each built on its own: the menu, "A- Input", "B- Processing
// mode", "C- Output key info" and "D- Processing info". Every control carries its name as
// objectName; the window wires them.
#ifndef TUNEDECK_QT_WINDOWS_ZONSECTIONS_H
#define TUNEDECK_QT_WINDOWS_ZONSECTIONS_H

#include <QObject>

#include <array>

class QAction;
class QBoxLayout;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenuBar;
class QPushButton;
class QRadioButton;
class QWidget;

namespace tunedeck {

class NotifyLabel;

struct MenuSection {
    QAction *mnuAbout = nullptr;
    QAction *mnuReadMe = nullptr;
};
MenuSection buildMenu(QMenuBar *bar);

struct InputSection {
    QGroupBox *box = nullptr;
    QPushButton *CmdBrow = nullptr;
    QLabel *LblInputFile = nullptr;
    QLabel *Label1 = nullptr;
    QComboBox *CmbTrks = nullptr;
    QCheckBox *ChkAll = nullptr;
    QLabel *Label4 = nullptr;
    QComboBox *CmbTimeSign = nullptr;
    QComboBox *CmbBars = nullptr; // the analyses' bars: the music's (0) or the meter's (1)
};
InputSection buildInputSection(QWidget *parent);

struct ModeSection {
    QGroupBox *box = nullptr;
    QPushButton *CmdPlay = nullptr;
    QPushButton *CmdFastDetect = nullptr;
    QPushButton *CmdListen = nullptr; // the MIDI input port chosen in the ports group
    QPushButton *CmdStop = nullptr;
    QRadioButton *OptLessSen = nullptr;
    QRadioButton *OptMoreSen = nullptr;
};
ModeSection buildModeSection(QWidget *parent);

struct ResultsSection {
    QGroupBox *box = nullptr;
    QLabel *LblKType = nullptr;
    QLabel *LblKeyStr = nullptr;
    NotifyLabel *LblSignat = nullptr;
    QLabel *LblProfileKey = nullptr; // the profile analysis
    QLabel *LblChordNow = nullptr;   // beside it, the chord of the moment of a play or listening
    QComboBox *CmbKeyList = nullptr;
    QLabel *LblKeyTiming = nullptr;
    QComboBox *CmbKeyPoint = nullptr;
    QLabel *Label6 = nullptr;
    // "I don't known", "1 key" ... "4 keys"
    std::array<QRadioButton *, 5> keyCount{};
};
ResultsSection buildResultsSection(QWidget *parent);

struct InfoSection {
    QGroupBox *box = nullptr;
    QLabel *LblMess = nullptr;
    QLabel *LblError = nullptr;
    QLabel *LblcTime = nullptr;
    QLabel *LblHaStr = nullptr;
    QLabel *LblDllVer = nullptr;
    QLabel *LblMix = nullptr; // the channels the shown run left out; empty when none
    QLabel *Label2 = nullptr;
    // The library's working values, shown by the test switch.
    QLabel *LblKqKey = nullptr;
    QLabel *LblInpTCnt = nullptr;
    QLabel *LblTapCnt = nullptr;
    QLabel *LblKeyType = nullptr;
    QLabel *LblHaCode = nullptr;
    QLabel *LblTpNotDen = nullptr;
    std::array<QLabel *, 6> testLabels() const
    {
        return {LblInpTCnt, LblTapCnt, LblKeyType, LblHaCode, LblTpNotDen, LblKqKey};
    }
};
InfoSection buildInfoSection(QWidget *parent);

// "C- Output key info" and "D- Processing info" side by side where the controls' pane is wide
// enough for both, one above the other where not, following the pane's width: side by side,
// the key map under them stays in view on a 1366 x 768 screen.
class ResultsRow : public QObject {
public:
    // row holds the two sections, inside the controls' layout; pane is the scroll area the
    // controls fill.
    ResultsRow(QBoxLayout *row, QWidget *pane);
    // The least width of the pane with the two side by side, with room for its scroll bar: a
    // shorter window then leaves them as they are.
    int sideBySideWidth() const;
    bool sideBySide() const;
    // Side by side when a pane that wide holds them.
    void fit(int paneWidth);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QBoxLayout *row_;
    QWidget *pane_;
};

} // namespace tunedeck

#endif

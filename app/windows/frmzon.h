// The main window: the controls of the four sections, the menu, the two timers, and the
// start-up, close and unload sequences. Clicks, ticks and the output's notifications go to
// ZonLogic, which reads and writes the window through ZonDisplay.
#ifndef TUNEDECK_FRMZON_H
#define TUNEDECK_FRMZON_H

#include "windows/frmabout.h"
#include "windows/frmreadme.h"
#include "windows/frmhastr.h"
#include "zondisplay.h"
#include "zonlogic.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>


class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTimer;

namespace tunedeck {

class NotifyLabel;
class PlayListOutput;

class FrmZon : public QMainWindow, public ZonDisplay {
    Q_OBJECT
public:
    // output may be null: nothing plays.
    FrmZon(TonalyteLibrary &library, PlayListOutput *output, QWidget *parent = nullptr);
    ~FrmZon() override;

    // Start-up, before the window is shown. False when the library is missing or of another
    // version: the version message has been shown (and written to stderr), and the program
    // must end without showing the window. Unattended runs leave out the modal box.
    bool Form_Initialize(bool messageBox = true);

    // Browse without the dialog: a file named on the command line.
    void selectMidiFile(const QString &path);

    ZonLogic &logic() { return logic_; }
    FrmAbout *frmAbout() const { return frmAbout_; }
    FrmReadMe *frmReadMe() const { return frmReadMe_; }
    FrmHaStr *frmHaStr() const { return frmHaStr_; }
    QAction *aboutAction() const { return mnuAbout; }
    QAction *readMeAction() const { return mnuReadMe; }

    // The folder the file dialog starts in when no file was chosen yet.
    static QString examplesFolder();

    // ZonDisplay
    void setCaption(Caption label, const QString &text) override;
    QString caption(Caption label) const override;
    void clearList(ResultList list) override;
    void addToList(ResultList list, const QString &item) override;
    void selectInList(ResultList list, int index) override;
    int listCount(ResultList list) const override;
    bool allTracks() const override;
    int trackPosition() const override;
    bool moreSensitive() const override;
    int meterPosition() const override;
    KeyCountChoice keyCount() const override;
    void enableStartButtons(bool enabled) override;
    void setTimerEnabled(WindowTimer timer, bool enabled) override;
    void repaintNow(Caption label) override;
    void processPendingEvents() override;
    void beep() override;

public slots:
    void showAbout();
    void showReadMe();
    void showSoundOff(const QString &reason);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildWindow();
    QLabel *label(Caption id) const;
    QComboBox *list(ResultList id) const;

    void CmdBrow_Click();
    void CmdFastDetect_Click();
    void ChkAll_Click();
    void LblSignat_DblClick();
    void Form_Unload();

    ZonLogic logic_;
    PlayListOutput *output_;
    QString lastBrowsed_;
    bool closeAfterRun_ = false;
    QElapsedTimer eventsLetThrough_; // when a fast run last let the window's events through

    QPointer<FrmAbout> frmAbout_;
    QPointer<FrmReadMe> frmReadMe_;
    QPointer<FrmHaStr> frmHaStr_;

    QAction *mnuAbout = nullptr;
    QAction *mnuReadMe = nullptr;

    // A- Input
    QPushButton *CmdBrow = nullptr;
    QLabel *LblInputFile = nullptr;
    QLabel *Label1 = nullptr;
    QComboBox *CmbTrks = nullptr;
    QCheckBox *ChkAll = nullptr;
    QLabel *Label4 = nullptr;
    QComboBox *CmbTimeSign = nullptr;
    // B- Processing mode
    QPushButton *CmdPlay = nullptr;
    QPushButton *CmdFastDetect = nullptr;
    QPushButton *CmdStop = nullptr;
    QRadioButton *OptLessSen = nullptr;
    QRadioButton *OptMoreSen = nullptr;
    // C- Output key info
    QLabel *LblKType = nullptr;
    QLabel *LblKeyStr = nullptr;
    NotifyLabel *LblSignat = nullptr;
    QComboBox *CmbKeyList = nullptr;
    QLabel *LblKeyTiming = nullptr;
    QComboBox *CmbKeyPoint = nullptr;
    QLabel *Label6 = nullptr;
    QRadioButton *OptNKey = nullptr;
    QRadioButton *Opt1Key = nullptr;
    QRadioButton *Opt2Key = nullptr;
    QRadioButton *Opt3Key = nullptr;
    QRadioButton *Opt4Key = nullptr;
    // D- Processing info
    QLabel *LblMess = nullptr;
    QLabel *LblError = nullptr;
    QLabel *LblcTime = nullptr;
    QLabel *LblHaStr = nullptr;
    QLabel *LblDllVer = nullptr;
    QLabel *Label2 = nullptr;
    // Test switch labels, hidden at start
    NotifyLabel *LblKqKey = nullptr;
    QLabel *LblInpTCnt = nullptr;
    QLabel *LblTapCnt = nullptr;
    QLabel *LblKeyType = nullptr;
    QLabel *LblHaCode = nullptr;
    QLabel *LblTpNotDen = nullptr;

    QTimer *Timer1 = nullptr;
    QTimer *TimerCTime = nullptr;
    QLabel *soundOffLabel = nullptr;
};

} // namespace tunedeck

#endif

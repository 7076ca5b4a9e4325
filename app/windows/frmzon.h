// The main window: its sections, the menu, the two timers, and the start-up, close and
// unload sequences. The open file, the fast-detection runs, the real-time session and the
// key display each keep their own state; the window wires them to its widgets and shows
// what they report.
#ifndef TUNEDECK_FRMZON_H
#define TUNEDECK_FRMZON_H

#include "binding/tonalytelibrary.h"
#include "fastdetect/fastdetection.h"
#include "fastdetect/openfile.h"
#include "keyanalysis/keyanalysis.h"
#include "reports/keydisplay.h"
#include "playback/realtimesession.h"
#include "windows/frmabout.h"
#include "windows/frmhastr.h"
#include "windows/filemenu.h"
#include "windows/frmreadme.h"
#include "windows/recentfiles.h"
#include "windows/settings.h"
#include "windows/zonsections.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>

class QTimer;

namespace tunedeck {

class KeyMapWidget;
class PlayListOutput;
class PortChoices;
struct PortsPart;

class FrmZon : public QMainWindow, private LiveKeyView {
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
    const QString &midiFilePath() const { return midiFilePath_; }

    // Checks and loads the chosen file as both start buttons do; false with the reason shown.
    bool openMidiFile();
    // Shows a key code in the key display.
    void showKeyCode(std::int32_t code);
    std::int16_t keyAccidental() const { return keyDisplay_.accidental(); }

    // The user's choices as a run reads them.
    TrackChoice trackChoice() const;
    bool moreSensitive() const;
    KeyCountChoice keyCount() const;

    TonalyteLibrary &library() { return library_; }
    bool fastBusy() const { return fastBusy_; }
    bool cancelRequested() const { return cancelRequested_; }
    FrmAbout *frmAbout() const { return frmAbout_; }
    FrmReadMe *frmReadMe() const { return frmReadMe_; }
    FrmHaStr *frmHaStr() const { return frmHaStr_; }
    QAction *aboutAction() const { return menu_.mnuAbout; }
    QAction *readMeAction() const { return menu_.mnuReadMe; }
    QAction *saveKeyMapAction() const { return mnuSaveKeyMap; }
    KeyMapWidget *keyMap() const { return keyMap_; }

    // The folder the file dialog starts in when no file was chosen yet.
    static QString examplesFolder();

    // The choices to remember, and their restoring (after Form_Initialize, which sets the
    // defaults); what was never stored keeps the window's default.
    WindowChoices choices() const;
    void applyChoices(const WindowChoices &choices);
    const RecentFiles &recentFiles() const { return recent_; }
    const FileMenu &fileMenu() const { return file_; }
    // Playing, listening, or a fast detection running: what Space stops.
    bool busy() const;

    // MIDI ports (frmzonlisten.cpp): the output and input choices, "3- Listen", and
    // File > Export audio….
    PortChoices &portChoices() const;
    QAction *exportAudioAction() const;
    bool isListening() const;

public slots:
    void showAbout();
    void showReadMe();
    void showSoundOff(const QString &reason);

protected:
    void closeEvent(QCloseEvent *event) override;
    // Dropped MIDI files: the first one is selected, as if browsed.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool event(QEvent *event) override;

private:
    void buildWindow();
    void wire();
    void fitToScreen();
    // The File menu, the keyboard shortcuts and dropping (frmzondesktop.cpp).
    void buildDesktop();
    void wireDesktop();
    void refreshRecentMenu();
    void showOpenResult(OpenError error);
    void playOrStop();

    // Clicks, ticks and the output's notifications.
    void CmdBrow_Click();
    void CmdPlay_Click();
    void CmdFastDetect_Click();
    void CmdStop_Click();
    void ChkAll_Click();
    void LblSignat_DblClick();
    void Timer1_Timer();
    void TimerCTime_Timer();
    void MIDIOutput1_EndOfData();
    void MIDIOutput1_Error();
    void Form_Unload();

    void showLiveKey(const LiveKey &key) override;

    void buildPorts();
    bool applyOutputChoice();
    void CmdListen_Click();
    // Ends listening, with the reports when report; false when it was not listening.
    bool endListening(bool report);
    void exportAudio();

    void stopPlayback();
    void enableStartButtons(bool enabled);
    void clearKeyDisplay();
    void resetResultDisplay();
    void showOutOfBuffer();
    void showReports(const KeyReports &reports);
    void letEventsThrough();

    // The second key analysis and the key map.
    void showProfileAnalysis(const keyanalysis::KeyAnalysis &analysis);
    void showFastKeyMap(const FastDetection &run);
    void startLiveAnalysis(int ticksPerQuarter);
    void recordLiveKey(const LiveKey &key);
    void updateLiveAnalysis();
    void endLiveAnalysis();
    void saveKeyMap();

    TonalyteLibrary &library_;
    PlayListOutput *output_;
    OpenFile openFile_;
    RealTimeSession session_;
    KeyDisplay keyDisplay_;
    QString midiFilePath_;
    QString lastBrowsed_;
    bool fastBusy_ = false;
    bool cancelRequested_ = false;
    bool closeAfterRun_ = false;
    QElapsedTimer eventsLetThrough_; // when a fast run last let the window's events through

    QPointer<FrmAbout> frmAbout_;
    QPointer<FrmReadMe> frmReadMe_;
    QPointer<FrmHaStr> frmHaStr_;

    MenuSection menu_;
    FileMenu file_;
    RecentFiles recent_;
    InputSection input_;
    ModeSection mode_;
    ResultsSection results_;
    InfoSection info_;
    QTimer *Timer1 = nullptr;
    QTimer *TimerCTime = nullptr;
    QLabel *soundOffLabel = nullptr;
    QWidget *central_ = nullptr; // the sections, inside a scroll area
    KeyMapWidget *keyMap_ = nullptr;
    QAction *mnuSaveKeyMap = nullptr;
    std::optional<keyanalysis::KeyAnalyser> liveAnalyser_;
    std::vector<NoteEvent> playedNotes_;
    PortsPart *ports_ = nullptr; // a child: the port choices, live input, the port output
};

} // namespace tunedeck

#endif

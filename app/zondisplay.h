// What the main window's procedures see of the window: captions, the two visible result
// lists, the user's choices, and a few window services. The window implements it over its
// widgets; the headless command over plain texts.
#ifndef TUNEDECK_ZONDISPLAY_H
#define TUNEDECK_ZONDISPLAY_H

#include "reports/keytimingreport.h"

#include <QString>

namespace tunedeck {

enum class Caption {
    LblInputFile,
    LblMess,
    LblError,
    LblHaStr,
    LblKqKey,
    LblKeyStr,
    LblSignat,
    LblInpTCnt,
    LblTapCnt,
    LblKeyType,
    LblHaCode,
    LblTpNotDen,
    LblcTime,
    LblKType,
    LblKeyTiming,
    LblDllVer,
};

enum class ResultList { CmbKeyList, CmbKeyPoint };

enum class WindowTimer { Timer1, TimerCTime };

class ZonDisplay {
public:
    virtual ~ZonDisplay() = default;

    // Setting LblKqKey to a new text must run ZonLogic::LblKqKey_Change, as a caption
    // change of that label does in the window.
    virtual void setCaption(Caption label, const QString &text) = 0;
    virtual QString caption(Caption label) const = 0;

    virtual void clearList(ResultList list) = 0;
    virtual void addToList(ResultList list, const QString &item) = 0;
    virtual void selectInList(ResultList list, int index) = 0;
    virtual int listCount(ResultList list) const = 0;

    virtual bool allTracks() const = 0;          // ChkAll checked
    virtual int trackPosition() const = 0;       // CmbTrks selected position, -1 for none
    virtual bool moreSensitive() const = 0;      // OptMoreSen selected
    virtual int meterPosition() const = 0;       // CmbTimeSign selected position
    virtual KeyCountChoice keyCount() const = 0; // the "The input probably has" options

    virtual void enableStartButtons(bool enabled) = 0; // CmdPlay and CmdFastDetect
    virtual void setTimerEnabled(WindowTimer timer, bool enabled) = 0;
    virtual void repaintNow(Caption label) = 0;        // show a caption inside a long handler
    virtual void processPendingEvents() = 0;           // lets a Stop click through
    virtual void beep() = 0;
};

} // namespace tunedeck

#endif

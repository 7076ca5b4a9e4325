#include "textdisplay.h"

#include "zonlogic.h"

namespace tunedeck {

void TextDisplay::setCaption(Caption label, const QString &text)
{
    const bool changed = captions.value(label) != text;
    captions[label] = text;
    if (label == Caption::LblKqKey && changed && logic)
        logic->LblKqKey_Change();
}

void TextDisplay::clearList(ResultList l)
{
    list(l).clear();
    (l == ResultList::CmbKeyList ? keyListIndex : keyPointIndex) = -1;
}

void TextDisplay::addToList(ResultList l, const QString &item) { list(l).append(item); }

void TextDisplay::selectInList(ResultList l, int index)
{
    (l == ResultList::CmbKeyList ? keyListIndex : keyPointIndex) = index;
}

int TextDisplay::listCount(ResultList l) const
{
    return int(l == ResultList::CmbKeyList ? keyList.size() : keyPoint.size());
}

void TextDisplay::setTimerEnabled(WindowTimer t, bool enabled)
{
    (t == WindowTimer::Timer1 ? timer1 : timerCTime) = enabled;
}

} // namespace tunedeck

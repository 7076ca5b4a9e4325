#include "core/reports/runtexts.h"

#include "core/reports/resulttext.h"

namespace tunedeck {

RunTexts openTexts(OpenError error, const std::string &readerReason)
{
    RunTexts t;
    t.error = text::openError(error);
    if (error == OpenError::Reader)
        t.mess = text::readerReason(readerReason);
    return t;
}

RunTexts &RunTexts::then(const RunTexts &later)
{
    for (auto text : {&RunTexts::kType, &RunTexts::haStr, &RunTexts::keyTiming, &RunTexts::mess, &RunTexts::cTime,
                      &RunTexts::error})
        if (later.*text)
            this->*text = later.*text;
    for (auto list : {&RunTexts::keyList, &RunTexts::keyPoint})
        if (later.*list)
            this->*list = later.*list;
    if (later.key)
        key = later.key;
    beep = beep || later.beep;
    return *this;
}

namespace {

RunTexts resetTexts()
{
    RunTexts t;
    t.key = 0;
    t.haStr = std::string();
    t.cTime = text::ClockStart;
    t.kType = text::CurrentKey;
    t.keyList = t.keyPoint = std::vector<std::string>();
    return t;
}

} // namespace

RunTexts liveStartTexts()
{
    RunTexts t = resetTexts();
    t.keyTiming = text::PlayTiming;
    return t;
}

RunTexts gatheredTexts(int meter)
{
    RunTexts t = resetTexts();
    t.keyTiming = text::meterTiming(meter);
    t.mess = text::Loading;
    return t;
}

RunTexts feedingTexts(int events)
{
    RunTexts t;
    t.error = std::string();
    t.haStr = text::eventCount(events);
    return t;
}

RunTexts reportTexts(const KeyReports &reports)
{
    RunTexts t;
    const OverallKeyReport &overall = reports.overall;
    t.kType = text::OverallKey;
    if (overall.nothingFound) {
        t.error = text::NothingFound;
        t.haStr = text::advice(overall.advice);
        t.beep = true;
    }
    t.keyList = text::candidates(overall);
    if (!t.keyList->empty() && overall.hasKey()) {
        t.key = overall.top().code;
        t.haStr = text::probability(overall.top().percent);
    }
    if (reports.timing.overflow != TimelineOverflow::None)
        t.error = text::timelineOverflow(reports.timing.overflow);
    t.keyPoint = text::timelinePoints(reports.timing);
    return t;
}

RunTexts fastRunTexts(const FastDetection &run)
{
    RunTexts t;
    switch (run.outcome) {
    case FastOutcome::NotRun:
    case FastOutcome::FileRefused: // the opener's texts say why
        return t;
    case FastOutcome::TrackNotFound:
        t.error = text::TrackNotFound;
        t.mess = std::string();
        return t;
    case FastOutcome::OutOfBuffer:
        t.error = text::OutOfBuffer;
        t.mess = text::Cancelled;
        t.keyList = t.keyPoint = std::vector<std::string>{text::Error};
        t.haStr = text::outOfBufferLimit();
        t.key = 0;
        return t;
    case FastOutcome::NoData:
    case FastOutcome::LibraryError:
    case FastOutcome::Cancelled:
    case FastOutcome::Reported:
        break;
    }
    t = gatheredTexts(run.meter);
    if (run.outcome == FastOutcome::NoData) {
        t.mess = text::NoData;
        return t;
    }
    // Fed: the count of events, then where the feed got to.
    t.then(feedingTexts(int(run.events.size())));
    if (run.feed.lastBar > 0)
        t.cTime = text::bar(run.feed.lastBar);
    if (run.feed.handled > 0)
        t.mess = text::handled(run.feed.handled);
    if (run.outcome == FastOutcome::LibraryError) {
        t.error = text::LibraryError;
        return t;
    }
    t.then(reportTexts(run.reports));
    if (run.outcome == FastOutcome::Cancelled)
        t.mess = text::Cancelled;
    return t;
}

KeyTexts keyTexts(std::int32_t code)
{
    KeyTexts t;
    t.code = text::keyCode(code);
    t.name = text::keyName(code);
    t.signature = text::signature(code);
    return t;
}

} // namespace tunedeck

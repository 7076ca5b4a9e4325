#include "run/liveanalysis.h"

namespace tunedeck {

void LiveAnalysis::start(int ticksPerQuarter)
{
    notes_.clear();
    analyser_.emplace(ticksPerQuarter);
    emit started();
}

void LiveAnalysis::record(const LiveKey &key, std::uint32_t clockMs)
{
    if (!analyser_)
        return;
    notes_.push_back(key.note);
    emit tonalyteKey(std::int64_t(clockMs / 1000), key.keyCode);
}

void LiveAnalysis::update(std::uint32_t clockMs)
{
    if (!analyser_ || notes_.empty())
        return;
    analyser_->update(notes_);
    emit analysed(analyser_->analysis(0), std::int64_t(clockMs / 1000));
}

void LiveAnalysis::finish(std::uint32_t clockMs)
{
    update(clockMs);
    analyser_.reset();
}

} // namespace tunedeck

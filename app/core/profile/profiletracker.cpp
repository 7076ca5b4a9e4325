#include "core/profile/profiletracker.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace tunedeck::profile {

ProfileTracker::ProfileTracker(const TrackerOptions &options)
    : options_(options), templates_(keyTemplates(options.weights ? *options.weights : profileWeights(options.profile))),
      transitions_(keyTransitions(options.stay, 0))
{
    options_.frameMs = std::max<std::int64_t>(1, options_.frameMs);
    clear();
}

void ProfileTracker::clear()
{
    sounding_.clear();
    frame_ = {};
    frameSounded_ = false;
    context_ = {};
    probability_.fill(1.0 / 24);
    correlation_ = {};
    recent_.clear();
    recentNext_ = 0;
    fittest_ = {};
    fitted_ = 0;
    frameStart_ = 0;
    lastMs_ = 0;
    started_ = false;
    silentFrames_ = 0;
    shown_ = -1;
    behindFrames_ = 0;
    steadyFrames_ = 0;
    heardFrames_ = 0;
    frames_ = 0;
    marked_ = false;
    sure_ = false;
    flagFrame_ = 0;
    lastHeard_ = {};
}

void ProfileTracker::note(std::int64_t ms, const NoteEvent &event)
{
    ms = std::max(ms, lastMs_);
    advanceTo(ms);
    lastMs_ = ms;
    const auto same = [&](const Sounding &s) { return s.channel == event.channel && s.pitch == event.note; };
    if (event.on) {
        // Note-ons without their note-offs (a keyboard unplugged mid-note) stop piling up
        // past every note of every channel sounding at once.
        if (sounding_.size() >= 16 * 128)
            sounding_.erase(sounding_.begin());
        sounding_.push_back({event.channel, event.note, ms});
        frameSounded_ = true;
        return;
    }
    // The earliest of the same pitch ends first, as the whole-file analysis pairs them.
    const auto it = std::find_if(sounding_.begin(), sounding_.end(), same);
    if (it == sounding_.end())
        return;
    count(*it, ms);
    sounding_.erase(it);
}

ProfileReading ProfileTracker::readingAt(std::int64_t ms)
{
    advanceTo(std::max(ms, lastMs_));
    return reading();
}

ProfileReading ProfileTracker::reading() const
{
    if (!keyShown())
        return {};
    return {keyCodeAt(shown_), liveConfidence(features(), options_.calibration), sure_};
}

ProfileReading ProfileTracker::finalReading(std::int64_t ms)
{
    advanceTo(std::max(ms, lastMs_));
    const bool heard = frameSounded_ || std::any_of(frame_.begin(), frame_.end(), [](double v) { return v > 0; });
    if (heard)
        closeFrame();
    return lastHeard_;
}

bool ProfileTracker::idle() const
{
    return !keyShown() && sounding_.empty() && !frameSounded_
           && std::all_of(frame_.begin(), frame_.end(), [](double v) { return v == 0; });
}

// The unsure flag follows the confidence, but turns at most once in unsureHoldMs; a key shown
// anew (at the start, after a silence) takes the flag its confidence gives.
void ProfileTracker::updateMark()
{
    if (!keyShown()) {
        marked_ = false;
        return;
    }
    const bool sure = liveConfidence(features(), options_.calibration) >= options_.unsureBelow;
    const std::int64_t hold = options_.unsureHoldMs / options_.frameMs;
    if (!marked_ || (sure != sure_ && frames_ - flagFrame_ >= hold)) {
        sure_ = sure;
        flagFrame_ = frames_;
    }
    marked_ = true;
}

// Whether the recent seconds favour another key clearly enough to show it now; the filter then
// takes it as the likelier, trading its probability with the key shown before.
bool ProfileTracker::changeSeen(const KeyScores &logEmission)
{
    if (options_.recentFrames <= 0)
        return false;
    if (recent_.size() < std::size_t(options_.recentFrames))
        recent_.push_back(logEmission);
    else
        recent_[std::size_t(recentNext_)] = logEmission;
    recentNext_ = (recentNext_ + 1) % options_.recentFrames;
    if (recent_.size() < std::size_t(options_.recentFrames))
        return false;
    KeyScores sum{};
    for (const KeyScores &e : recent_)
        for (std::size_t k = 0; k < 24; ++k)
            sum[k] += e[k] - e[std::size_t(shown_)];
    const int best = int(std::max_element(sum.begin(), sum.end()) - sum.begin());
    if (best == shown_ || sum[std::size_t(best)] < options_.recentEvidence)
        return false;
    if (probability_[std::size_t(best)] < probability_[std::size_t(shown_)])
        std::swap(probability_[std::size_t(best)], probability_[std::size_t(shown_)]);
    shown_ = best;
    behindFrames_ = 0;
    steadyFrames_ = 0;
    recent_.clear();
    recentNext_ = 0;
    return true;
}

LiveConfidenceFeatures ProfileTracker::features() const
{
    if (shown_ < 0)
        return {};
    const double r = correlation_[std::size_t(shown_)];
    double other = -1;
    for (int k = 0; k < 24; ++k)
        other = k == shown_ ? other : std::max(other, correlation_[std::size_t(k)]);
    const int counted = std::min<int>(fitted_, int(fittest_.size()));
    const auto agreeing = std::count(fittest_.begin(), fittest_.begin() + counted, shown_);
    return {probability_[std::size_t(shown_)], steadyFrames_, heardFrames_, r, r - other,
            counted > 0 ? double(agreeing) / counted : 0};
}

void ProfileTracker::advanceTo(std::int64_t ms)
{
    while (ms >= frameStart_ + options_.frameMs) {
        closeFrame();
        // Once no note can count any more, the frames up to ms are all alike and empty: a long
        // silence, or a note never ended, costs one step rather than one a second.
        const std::int64_t alike = (ms - frameStart_) / options_.frameMs;
        const bool nothingCounts = std::all_of(sounding_.begin(), sounding_.end(), [&](const Sounding &s) {
            return s.startMs + options_.noteCapMs <= frameStart_;
        });
        if (alike < 2 || !nothingCounts)
            continue;
        steadyFrames_ += int(std::min<std::int64_t>(alike, INT_MAX - steadyFrames_));
        if (!sounding_.empty())
            silentFrames_ = 0;
        else if (started_)
            silentFrames_ += int(std::min<std::int64_t>(alike, INT_MAX - silentFrames_));
        frameStart_ += alike * options_.frameMs;
        frames_ += alike;
        updateMark();
    }
}

// The note's time in the open frame up to `to`, its first noteCapMs only.
void ProfileTracker::count(const Sounding &s, std::int64_t to)
{
    const std::int64_t from = std::max(s.startMs, frameStart_);
    to = std::min(to, s.startMs + options_.noteCapMs);
    if (to > from)
        frame_[std::size_t(s.pitch % 12)] += double(to - from);
}

void ProfileTracker::closeFrame()
{
    const std::int64_t end = frameStart_ + options_.frameMs;
    for (const Sounding &s : sounding_)
        count(s, end);
    double total = 0;
    for (double v : frame_)
        total += v;
    ++steadyFrames_;
    if (total > 0) {
        ++heardFrames_;
        for (std::size_t pc = 0; pc < 12; ++pc)
            context_[pc] = options_.decay * context_[pc] + frame_[pc];
        filter();
    }
    // A note held on past its counted time is no silence.
    if (frameSounded_ || !sounding_.empty())
        silentFrames_ = 0;
    else if (started_)
        ++silentFrames_;
    frame_ = {};
    frameSounded_ = !sounding_.empty();
    frameStart_ = end;
    ++frames_;
    updateMark();
    if (total > 0 && keyShown())
        lastHeard_ = reading();
}

// Pearson correlation of durations with every key: the templates are centred and of unit
// length, so the centred durations of unit length give it as a dot product. Nothing when
// every pitch class is alike.
std::optional<KeyScores> ProfileTracker::correlations(const std::array<double, 12> &durations) const
{
    std::array<double, 12> h = durations;
    double mean = 0;
    for (double v : h)
        mean += v / 12;
    double norm = 0;
    for (double &v : h) {
        v -= mean;
        norm += v * v;
    }
    if (norm <= 0)
        return std::nullopt;
    norm = std::sqrt(norm);
    KeyScores r{};
    for (std::size_t k = 0; k < 24; ++k) {
        for (std::size_t pc = 0; pc < 12; ++pc)
            r[k] += templates_[k][pc] * h[pc];
        r[k] /= norm;
    }
    return r;
}

void ProfileTracker::filter()
{
    const std::optional<KeyScores> r = correlations(context_);
    if (!r)
        return; // every pitch class alike: no evidence either way
    correlation_ = *r;
    // The second's own chord (no bass is kept: the root in the bass weighs nothing).
    KeyScores chord{};
    if (options_.chordWeight != 0) {
        WindowDurations window;
        for (std::size_t pc = 0; pc < 12; ++pc)
            window.sounding[pc] = std::int64_t(frame_[pc]);
        const harmony::KeyChordTable &table = options_.chordEvidence ? *options_.chordEvidence : fittedChordEvidence();
        chord = chordEvidence({windowChord(window)}, table, options_.chordWeight).front();
    }
    KeyScores next{}, logEmission{};
    double sum = 0;
    for (std::size_t k = 0; k < 24; ++k) {
        double predicted = 0;
        for (std::size_t j = 0; j < 24; ++j)
            predicted += probability_[j] * transitions_.probability[j][k];
        logEmission[k] = options_.sharpness * correlation_[k] + chord[k];
        next[k] = predicted * std::exp(logEmission[k]);
        sum += next[k];
    }
    for (double &v : next)
        v /= sum;
    fittest_[std::size_t(fitted_++ % int(fittest_.size()))] =
        int(std::max_element(correlation_.begin(), correlation_.end()) - correlation_.begin());
    probability_ = next;
    started_ = true;

    // The shown key moves only when another key has been clearly ahead of it for a while;
    // then to the key ahead at that moment.
    const int best = int(std::max_element(probability_.begin(), probability_.end()) - probability_.begin());
    if (shown_ < 0 || silentFrames_ >= options_.silenceFrames) {
        steadyFrames_ = shown_ == best ? steadyFrames_ : 0;
        shown_ = best;
        behindFrames_ = 0;
        return;
    }
    if (changeSeen(logEmission))
        return;
    if (probability_[std::size_t(best)] - probability_[std::size_t(shown_)] < options_.margin || best == shown_) {
        behindFrames_ = 0;
        return;
    }
    if (++behindFrames_ >= options_.holdFrames) {
        shown_ = best;
        behindFrames_ = 0;
        steadyFrames_ = 0;
    }
}

} // namespace tunedeck::profile

#include "core/analysis/analysistexts.h"

#include "core/midi/midifile.h"
#include "core/reports/analysistext.h"
#include "core/reports/runtexts.h"

namespace tunedeck {

std::string shownReason(const FileAnalysis &a)
{
    if (!a.refusal)
        return {};
    const OpenFailure &f = *a.refusal;
    // A file that is no regular file says so: there is nothing the user could fix in it.
    const bool notRegular = f.kind == OpenError::FileOpen && f.reason == MidiFile::NotRegularFile;
    return f.kind == OpenError::Reader || notRegular ? f.reason : std::string();
}

LabelTexts labelTexts(const FileAnalysis &a)
{
    const RunTexts t = a.refusal ? openTexts(a.refusal->kind, shownReason(a)) : fastRunTexts(a.run);
    LabelTexts c;
    c.kType = RunTexts::shown(t.kType);
    c.haStr = RunTexts::shown(t.haStr);
    c.keyTiming = RunTexts::shown(t.keyTiming);
    c.mess = RunTexts::shown(t.mess);
    c.cTime = RunTexts::shown(t.cTime);
    c.error = RunTexts::shown(t.error);
    c.keyList = t.keyList.value_or(std::vector<std::string>());
    c.keyPoint = t.keyPoint.value_or(std::vector<std::string>());
    if (t.key) {
        const KeyTexts key = keyTexts(*t.key);
        c.kqKey = key.code;
        c.keyStr = key.name;
        c.signat = key.signature;
    }
    return c;
}

std::string outcomeName(FastOutcome outcome)
{
    switch (outcome) {
    case FastOutcome::NotRun: return "not-run";
    case FastOutcome::FileRefused: return "file-refused";
    case FastOutcome::TrackNotFound: return "track-not-found";
    case FastOutcome::OutOfBuffer: return "out-of-buffer";
    case FastOutcome::NoData: return "no-data";
    case FastOutcome::LibraryError: return "library-error";
    case FastOutcome::Cancelled: return "cancelled";
    case FastOutcome::Reported: return "reported";
    }
    return {};
}

namespace {

// The name, padded to 18 characters, as the command lines up its values.
void line(std::string &out, const std::string &name, const std::string &value)
{
    out += "  " + name;
    if (name.size() < 18)
        out.append(18 - name.size(), ' ');
    out += value + '\n';
}

void listLines(std::string &out, const std::string &heading, const std::vector<std::string> &items)
{
    if (items.empty()) {
        line(out, heading, "-");
        return;
    }
    for (std::size_t i = 0; i < items.size(); ++i)
        line(out, i ? std::string() : heading, items[i]);
}

std::string keyText(const LabelTexts &c)
{
    if (c.keyStr.empty())
        return "-";
    return c.signat.empty() ? c.keyStr : c.keyStr + " (" + c.signat + ')';
}

std::string trimmed(const std::string &s)
{
    const auto first = s.find_first_not_of(" \t\n\r\v\f");
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\n\r\v\f") - first + 1);
}

} // namespace

std::string formatText(const FileAnalysis &a, const LabelTexts &c, bool withProfile)
{
    std::string out;
    if (a.refusal) {
        line(out, "Error", c.error);
        if (const std::string reason = shownReason(a); !reason.empty())
            line(out, "Reason", reason);
        return out;
    }
    line(out, c.kType.empty() ? "Key" : c.kType, keyText(c));
    line(out, "Info", c.haStr);
    listLines(out, "Candidates", c.keyList);
    listLines(out, c.keyTiming.empty() ? "Timing" : c.keyTiming, c.keyPoint);
    line(out, "Events", trimmed(c.mess));
    line(out, "Last bar", c.cTime);
    line(out, "Status", c.error);
    if (withProfile) {
        const SpelledNames names = spelledNames(a);
        line(out, "Profile analysis", a.profile ? text::profileKey(*a.profile, Notation::Standard, &names) : "-");
        line(out, "Local keys", a.profile ? text::localKeyChanges(*a.profile, &names) : "-");
    }
    return out;
}

} // namespace tunedeck

#include "livescore/liveoptions.h"

#include "common/commandline.h"

namespace tunedeck::livescore {

std::optional<int> readCommandLine(int argc, char **argv, LiveOptions &o)
{
    CLI::App app("Plays the labelled corpus through the profile tracker, read once a second as the window reads\n"
                 "it: the share of note time shown the annotated key and the key changes shown, per set.",
                 "tunedeck-livescore");
    tools::prepareHelp(app);
    app.footer("Every fitted table at once, the whole-file analysis' too: cmake --build build --target fit-tables\n"
               "(docs/PROFILE-ANALYSIS.md).");
    app.add_option("corpus", o.folder, "the labelled corpus")->capture_default_str();

    constexpr const char *Tracker = "The tracker (its defaults as built)";
    profile::TrackerOptions &t = o.tracker;
    app.add_option("--decay", t.decay, "share of the context kept from one second to the next")
        ->type_name("D")->capture_default_str()->group(Tracker);
    app.add_option("--sharpness", t.sharpness, "a second emits exp(sharpness * correlation of the context)")
        ->type_name("S")->capture_default_str()->group(Tracker);
    app.add_option("--stay", t.stay, "probability that the key stays from one second to the next")
        ->type_name("P")->capture_default_str()->group(Tracker);
    app.add_option("--margin", t.margin, "another key must be this much more probable than the one shown")
        ->type_name("M")->capture_default_str()->group(Tracker);
    app.add_option("--hold", t.holdFrames, "for this many sounding seconds in a row before it is shown")
        ->type_name("N")->capture_default_str()->group(Tracker);
    app.add_option("--chord-weight", t.chordWeight, "each second's chord as evidence, its log probability times this")
        ->type_name("W")->capture_default_str()->group(Tracker);
    app.add_option("--recent", t.recentFrames, "a change seen in this many recent sounding seconds is shown at once (0: none)")
        ->type_name("N")->capture_default_str()->group(Tracker);
    app.add_option("--recent-evidence", t.recentEvidence, "by how much they must favour the new key (log)")
        ->type_name("L")->capture_default_str()->group(Tracker);
    app.add_option("--unsure", t.unsureBelow, "a key shown with a lower confidence is flagged unsure")
        ->type_name("C")->capture_default_str()->group(Tracker);
    app.add_option("--cap", t.noteCapMs, "a note counts this long at most")
        ->type_name("MS")->capture_default_str()->group(Tracker);
    app.add_option("--frame", t.frameMs, "length of a frame")->type_name("MS")->capture_default_str()->group(Tracker);
    std::vector<std::string> profileNames;
    for (profile::Profile p : profile::allProfiles())
        profileNames.push_back(profile::profileName(p));
    app.add_option_function<std::string>(
           "--profile", [&t](const std::string &name) { t.profile = *profile::profileByName(name); },
           "key profile (default " + std::string(profile::profileName(t.profile)) + "):\n"
               + CLI::detail::join(profileNames, ", "))
        ->type_name("NAME")->group(Tracker)->check(CLI::IsMember(profileNames).description(""));
    app.add_flag("--uncalibrated", o.uncalibrated, "the filtered probability as the confidence")->group(Tracker);

    constexpr const char *Reports = "What it does (the first of these given; without any, listening and a play per set)";
    constexpr const char *Output = "Output";
    app.add_option("--traces", o.traces,
                   "score the traces of tunedeck-detect --live-trace in DIR (scripts/livetraces.sh writes\n"
                   "them): the profile key, Tonalyte's and the first annotated key")
        ->type_name("DIR")->group(Reports);
    app.add_option("--calibration", o.calibrationFolds,
                   "the confidence's reliability, each file's calibration fitted without its fold of K\n"
                   "(2 or more)")
        ->type_name("K")->group(Reports)->check(tools::foldCount());
    app.add_option("--fit-calibration", o.calibrationHeader,
                   "fit the calibration on the corpus (the inputs chosen as --calibration does) and\n"
                   "write it to FILE (fittedlivecalibration.h) through a temporary file renamed over it")
        ->type_name("FILE")->group(Reports);
    CLI::Option *fit = app.add_option("--fit-tables", o.fitTables,
                                      "the same into DIR/fittedlivecalibration.h (DIR: app/core/profile)")
                           ->type_name("DIR")->group(Reports);
    app.add_option("--check-tables", o.checkTables,
                   "fit the calibration into memory and compare it with DIR/fittedlivecalibration.h: the\n"
                   "lines that differ, exit 1 if any do, 77 without a corpus")
        ->type_name("DIR")->group(Reports)->excludes(fit);
    app.add_flag("--before", o.before, "the whole-file model run every second, as plays showed it before")
        ->group(Reports);
    app.add_flag("--leave-set-out", o.leaveSetOut, "each set scored with the parameters the other sets choose")
        ->group(Reports);
    app.add_option("--cv", o.folds, "choose the parameters by K-fold grouped cross-validation (K: 2 or more)")
        ->type_name("K")->group(Reports)->check(tools::foldCount());
    app.add_flag("--files", o.perFile, "listening and a play per set: one line per file as well")->group(Output);
    app.add_option("--seconds", o.seconds,
                   "the tracker per set: every second of the corpus file named FILE as well (second, key\n"
                   "shown listening, confidence, key a play shows, confidence, annotated key)")
        ->type_name("FILE")->group(Output);
    app.add_flag("--bins", o.bins, "with each set: right and share of the time by tenths of confidence")
        ->group(Output);

    if (const std::optional<int> code = tools::parseCommandLine(app, argc, argv))
        return code;
    if (o.uncalibrated)
        t.calibration = profile::UncalibratedLive;
    return std::nullopt;
}


} // namespace tunedeck::livescore

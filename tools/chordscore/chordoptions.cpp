#include "chordscore/chordoptions.h"

#include "common/commandline.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace tunedeck::chordscore {

std::optional<int> readCommandLine(int argc, char **argv, ChordscoreOptions &options)
{
    CLI::App app("Scores the chord analysis on the annotated chords of the corpus as the fast run finds them:\n"
                 "the standard chord measures as mir_eval defines them, the Roman numerals in their local keys,\n"
                 "the confidences' reliability and the speed, with grouped cross-validation around what is fitted.",
                 "tunedeck-chordscore");
    std::vector<double> barEvidence;
    tools::prepareHelp(app);
    chords::NumeralKeyWeights numeralKeys;
    chords::FiguredTuning figured;
    app.footer("Check the figures against mir_eval itself with tools/chordscore/check_mireval.py (docs/CHORDS.md).");
    app.add_option("sets", options.sets,
                   "set folders holding chords.tsv and labels.tsv, or folders holding such sets")
        ->capture_default_str();
    app.add_option("--fit-on", options.fitOn, "sets (or folders of them) only fitted on, never scored")
        ->type_name("PATH");
    app.add_option("--scores", options.scores,
                   "score the sets' files from the scores of their names in DIR (.mxl, .musicxml, .xml)\n"
                   "instead of their MIDI files, leaving out files without one; repeat to search more folders")
        ->type_name("DIR")->allow_extra_args(false);
    app.add_flag("--rntxt", options.rntxt,
                 "with --scores: the annotated chords of a score with a RomanText analysis beside it (.rntxt)\n"
                 "read from that analysis, placed on the score's measures, instead of chords.tsv's rows")
        ->needs("--scores");
    app.add_option("--folds", options.folds, "folds of the grouped cross-validation")
        ->check(tools::foldCount())->capture_default_str();
    app.add_option("--per-file", options.perFile, "write each file's figures to FILE ('-': the standard output)")
        ->type_name("FILE");
    app.add_option("--dump", options.dump, "write every estimated segment to FILE, with chords.tsv's columns")
        ->type_name("FILE");
    app.add_option("--write-reference", options.reference,
                   "write the annotated chords scored against (chords.tsv's, or with --rntxt the analyses')\n"
                   "to FILE, with chords.tsv's columns")
        ->type_name("FILE");
    app.add_flag("--no-speed", options.noSpeed, "leave out the timing of the library's run of each file");
    app.add_option("--bars", options.meterBars, "the chords' bars: the music's, or 4/4 from tick 0 (meter)")
        ->transform(CLI::CheckedTransformer(std::map<std::string, bool>{{"music", false}, {"meter", true}}))
        ->type_name("music|meter");
    app.add_option("--bar-shift", options.bars.shift, "what a shift of the bars' phase costs")->capture_default_str();
    app.add_option("--bar-change", options.bars.evidence[chords::BarWeights::Reach][chords::Change], "a downbeat's weight on the harmony's change")
        ->capture_default_str();
    app.add_option("--bar-bass", options.bars.evidence[chords::BarWeights::Reach][chords::BassMove], "a downbeat's weight on the bass' change")
        ->capture_default_str();
    app.add_option("--bar-bar", options.bars.evidence[chords::BarWeights::Reach][chords::BarChange], "a downbeat's weight on the bar's change")
        ->capture_default_str();
    app.add_option("--bar-onset", options.bars.evidence[chords::BarWeights::Reach][chords::Onset], "a downbeat's weight on long notes starting")
        ->capture_default_str();
    app.add_option("--bar-evidence", barEvidence,
                   "every weight of a downbeat's evidence, in --bar-features' order, of the beats from 3 before\n"
                   "to 3 after (comma-separated)")
        ->delimiter(',')->expected(int(chords::EvidenceCount) * (2 * chords::BarWeights::Reach + 1));
    app.add_option("--bar-features", options.barFeatures,
                   "write every beat's evidence of a downbeat and whether the annotation has one to FILE")
        ->type_name("FILE");
    app.add_flag("--fit", options.fit, "fit the chord model's weights on each fold's training files");
    app.add_flag("--fit-calibration", options.fitCalibration,
                 "fit only the confidences' calibration on each fold's training files, with the built model\n"
                 "(with --write-model: write the built model with its calibration fitted again)");
    app.add_flag("--fit-on-only", options.fitOnOnly,
                 "with --fit: fit once on the --fit-on sets alone and score every set with it (no folds)");
    app.add_option("--write-model", options.writeModel,
                   "fit the chord model on every file given and write its header (fittedchordmodel.h) to FILE")
        ->type_name("FILE");
    app.add_option("--l2", options.settings.l2, "the fit's penalty on the squared weights")->capture_default_str();
    app.add_option("--iterations", options.settings.iterations, "the fit's L-BFGS iterations at most")->capture_default_str();
    app.add_option("--change", options.analysis.change, "the log cost of a chord change on a beat")->capture_default_str();
    app.add_option("--off-beat", options.analysis.offBeatChange, "what a change between beats costs more")
        ->capture_default_str();
    app.add_option("--bass-move", options.analysis.bassMoveChange, "what a change costs less where the bass moves")
        ->capture_default_str();
    app.add_option("--notes-move", options.analysis.notesMoveChange,
                   "what a change costs less times how far the notes moved (0 to 1)")
        ->capture_default_str();
    app.add_option("--split-rate", options.analysis.splitRate,
                   "the changes a frame above which a beat's halves are decoded apart where the bass moves (0: never)")
        ->capture_default_str();
    app.add_option("--frames-per-beat", options.analysis.framesPerBeat, "frames the chords are found in, a beat")
        ->check(CLI::Range(1, 8))->capture_default_str();
    app.add_option("--half-frame-move", options.analysis.halfFrameMove,
                   "the log ratio a half frame needs to move a chord change by half a frame (0: never)")
        ->capture_default_str();
    app.add_option("--melody-weight", options.analysis.melodyWeight,
                   "what the short and off-beat notes of a tune over an accompaniment count (1: as any note)")
        ->capture_default_str();
    app.add_flag_callback("--no-figured", [&options] { options.analysis.figured.reset(); },
                          "find a figured accompaniment's chords as any other's");
    app.add_option("--figured-change", figured.change, "a figured accompaniment's change cost")->capture_default_str();
    app.add_option("--figured-key-weight", figured.keyWeight, "a figured accompaniment's key weight")->capture_default_str();
    app.add_option("--figured-inversion-share", figured.inversionShare, "a figured accompaniment's inversion share")
        ->capture_default_str();
    app.add_option("--figured-seventh", figured.dominantSeventh, "what a figured accompaniment's dominant sevenths score more")
        ->capture_default_str();
    app.add_option("--chromatic-key-weight", options.analysis.chromaticKeyWeight,
                   "the key weight where voices move off the scale with no figuration")
        ->capture_default_str();
    app.add_option("--numeral-chord", numeralKeys.chord, "the numerals' keys: times the key prior's log ratio of a chord in a key")
        ->capture_default_str();
    app.add_option("--numeral-agree", numeralKeys.agree, "the numerals' keys: a key's score a beat the local keys hold it")
        ->capture_default_str();
    app.add_option("--numeral-change", numeralKeys.change, "the numerals' keys: what a change of key costs")
        ->capture_default_str();
    bool localKeys = false;
    app.add_flag("--local-numeral-keys", localKeys, "read each numeral in the local key holding most of its chord");
    app.add_option("--key-weight", options.analysis.keyWeight, "times the key table's log ratio of each chord in its local key")
        ->capture_default_str();
    app.add_option("--bass-beats", options.analysis.bassBeats, "beats a chord tone holds the bass to split a held chord")
        ->capture_default_str();
    app.add_option("--inversion-share", options.analysis.inversionShare,
                   "the share of a segment's bass time a chord tone needs to be its bass")
        ->capture_default_str();
    bool lowestOfMoment = false;
    app.add_flag("--no-bass-line", lowestOfMoment, "the inversions from the lowest note of each moment, not the bass line");
    app.add_option("--passing-bass", options.analysis.passingBass,
                   "the share of a frame below which a bass line's note is passing")
        ->capture_default_str();
    app.add_option("--first-bass", options.analysis.firstBass, "what a chord's first frame counts more in its bass line")
        ->capture_default_str();
    app.add_option("--figured-numeral-change", figured.numeralChange,
                   "what a change of the numerals' key costs in a figured accompaniment")
        ->capture_default_str();
    app.add_option("--quality-boost", options.qualityBoosts,
                   "add LOG to a quality's score in the pop songs' texture where its colour tones sound below the melody,\n"
                   "as QUALITY=LOG with Harte's name (sus2=1); repeat for more")
        ->type_name("QUALITY=LOG");
    app.add_option("--colour-share", options.analysis.colourShare,
                   "the share of a frame a boosted quality's colour tones sound below the melody for its boost (0: always)")
        ->capture_default_str();
    app.add_option("--power-share", options.analysis.powerShare,
                   "the share of a segment's sounding time its root and fifth need, with no third, for a power chord (above 1: never)")
        ->capture_default_str();
    if (const std::optional<int> code = tools::parseCommandLine(app, argc, argv))
        return code;
    for (std::size_t i = 0; i < barEvidence.size(); ++i)
        options.bars.evidence[i / chords::EvidenceCount][i % chords::EvidenceCount] = barEvidence[i];
    options.analysis.bassLine = !lowestOfMoment;
    if (options.analysis.figured)
        options.analysis.figured = figured;
    if (localKeys)
        options.analysis.numeralKeys.reset();
    else
        options.analysis.numeralKeys = numeralKeys;
    for (const std::string &boost : options.qualityBoosts) {
        const std::size_t equals = boost.find('=');
        const auto q = equals == std::string::npos ? std::nullopt : harmony::parseHarte("C:" + boost.substr(0, equals));
        char *end = nullptr;
        const double value = q ? std::strtod(boost.c_str() + equals + 1, &end) : 0;
        if (!q || int(q->quality) >= harmony::QualityCount || end == boost.c_str() + equals + 1 || *end != '\0') {
            std::fprintf(stderr, "tunedeck-chordscore: --quality-boost %s: not QUALITY=LOG with a quality of the model\n",
                         boost.c_str());
            return 2;
        }
        options.analysis.qualityBoost[std::size_t(q->quality)] = value;
    }
    return std::nullopt;
}

} // namespace tunedeck::chordscore

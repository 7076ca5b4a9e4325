#include "keyscore/report.h"

#include <cstdio>

namespace tunedeck::keyscore {

void printHeader(const Summary &s)
{
    std::printf("%-22s %3s %5s %5s %4s %4s %4s %4s | %2s %4s %4s %4s %4s %4s %6s %-9s %s\n", "profile", "win", "stay",
                "sharp", "bass", "hint", "fall", "conf", "gl", "lsh", "grow", "rsh", "bon", "lhnt", "coarse", "changes",
                "rates per quarter");
    std::printf("%-58s", "");
    for (const auto &[set, score] : s.sets)
        std::printf(" | %-7s exact mirex conf", set.c_str());
    std::printf(" | local exact mirex | several exact mirex | songs exact mirex | books exact mirex | loss\n");
}

void printRow(const std::string &label, const Summary &s)
{
    std::printf("%s\n%-58s", label.c_str(), "");
    for (const auto &[set, score] : s.sets)
        std::printf(" | %3d %11.1f %5.1f %4.2f", score.files, score.exact, score.mirex, score.confidence);
    std::printf(" | %3d %7.1f %5.1f | %3d %9.1f %5.1f | %3d %7.1f %5.1f | %3d %7.1f %5.1f | %.3f\n", s.local.files,
                s.local.exact, s.local.mirex, s.multi.files, s.multi.exact, s.multi.mirex, s.songs.files, s.songs.exact,
                s.songs.mirex, s.textbooks.files, s.textbooks.exact, s.textbooks.mirex, s.logLoss);
    // A play's view: the annotated changes followed within 12 s, the changes shown a file.
    std::printf("%-58s", "");
    const auto follow = [](const char *name, const SetSummary &set) {
        if (set.files == 0)
            return;
        const Following &f = set.follow;
        std::printf(" | %s: right %.1f %%, followed %.1f %% (%d/%d), changes shown %.2f a file (annotated %.2f)%s", name, set.exact, set.followed(), f.followed,
                    f.scored, double(f.shown) / set.files, double(f.annotated) / set.files,
                    f.withinCap() ? "" : " over the cap");
    };
    follow("several", s.multi);
    follow("without 017, 018", s.multiClean);
    follow("one key", s.single);
    follow("songs", s.songs);
    follow("books", s.textbooks);
    std::printf("\n");
}

void printReliability(const std::vector<FileResult> &results)
{
    constexpr double edges[] = {0, 0.5, 0.7, 0.9, 0.97, 1.01};
    for (std::size_t b = 0; b + 1 < std::size(edges); ++b) {
        int n = 0;
        double confidence = 0, right = 0;
        for (const FileResult &r : results)
            if (r.confidence >= edges[b] && r.confidence < edges[b + 1]) {
                ++n;
                confidence += r.confidence;
                right += r.exact;
            }
        if (n > 0)
            std::printf("    confidence %.2f-%.2f: %3d files, mean confidence %.2f, right %5.1f %%\n", edges[b],
                        std::min(edges[b + 1], 1.0), n, confidence / n, 100 * right / n);
    }
    for (double ratio : {0.3, 0.5, 0.6, 0.8}) {
        int flagged = 0, others = 0;
        double firstRight = 0, eitherRight = 0, othersRight = 0;
        for (const FileResult &r : results) {
            if (r.second >= ratio && r.second > 0) {
                ++flagged;
                firstRight += r.exact;
                eitherRight += r.exact > 0 || r.secondRight;
            } else {
                ++others;
                othersRight += r.exact;
            }
        }
        std::printf("    ambiguous when second >= %.1f x first: %3d files, first right %5.1f %%, first or second"
                    " %5.1f %%; others right %5.1f %%\n", ratio, flagged, flagged ? 100 * firstRight / flagged : 0.0,
                    flagged ? 100 * eitherRight / flagged : 0.0, others ? 100 * othersRight / others : 0.0);
    }
}

} // namespace tunedeck::keyscore

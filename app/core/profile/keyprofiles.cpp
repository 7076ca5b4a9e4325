#include "core/profile/keyprofiles.h"

#include "core/profile/fittedprofile.h"

#include <cmath>
#include <iterator>

namespace tunedeck::profile {

namespace {

// The published numbers, as /work/shared/profiles.tsv lists them.
constexpr ProfileWeights published[] = {
    // Krumhansl & Kessler 1982, "Tracing the dynamic changes in perceived tonal organization
    // in a spatial representation of musical keys", Psychological Review 89: probe-tone ratings.
    {{6.35, 2.23, 3.48, 2.33, 4.38, 4.09, 2.52, 5.19, 2.39, 3.66, 2.29, 2.88},
     {6.33, 2.68, 3.52, 5.38, 2.60, 3.53, 2.54, 4.75, 3.98, 2.69, 3.34, 3.17}},
    // Temperley 2007, "Music and Probability" (MIT Press): share of segments holding each
    // pitch class in the Kostka-Payne harmony textbook excerpts.
    {{0.748, 0.060, 0.488, 0.082, 0.670, 0.460, 0.096, 0.715, 0.104, 0.366, 0.057, 0.400},
     {0.712, 0.084, 0.474, 0.618, 0.049, 0.460, 0.105, 0.747, 0.404, 0.067, 0.133, 0.330}},
    // Aarden 2003, "Dynamic melodic expectancy" (PhD thesis, Ohio State University):
    // pitch-class frequencies of the Essen folksong collection.
    {{17.7661, 0.145624, 14.9265, 0.160186, 19.8049, 11.3587, 0.291248, 22.062, 0.145624, 8.15494, 0.232998, 4.95122},
     {18.2648, 0.737619, 14.0499, 16.8599, 0.702494, 14.4362, 0.702494, 18.6161, 4.56621, 1.93186, 7.37619, 1.75623}},
    // Bellman 2005 ("About the determination of key of a musical excerpt", CMMR), from
    // Budge 1943's chord frequencies in 18th-19th century music.
    {{16.80, 0.86, 12.95, 1.41, 13.49, 11.93, 1.25, 20.28, 1.80, 8.04, 0.62, 10.57},
     {18.16, 0.69, 12.99, 13.34, 1.07, 11.15, 1.38, 21.07, 7.49, 1.53, 0.92, 10.21}},
    // Sapp 2011, "Computational methods for the analysis of musical structure" (PhD thesis,
    // Stanford): simple weights, 2 for tonic and fifth, 1 for the other scale notes.
    {{2, 0, 1, 0, 1, 1, 0, 2, 0, 1, 0, 1}, {2, 0, 1, 1, 0, 1, 0, 2, 1, 0, 0.5, 0.5}},
    // Albrecht & Shanahan 2013, "The use of large corpora to train a new type of key-finding
    // algorithm", Music Perception 31(1): durations in a corpus of Western art music.
    {{0.238, 0.006, 0.111, 0.006, 0.137, 0.094, 0.016, 0.214, 0.009, 0.080, 0.008, 0.081},
     {0.220, 0.006, 0.104, 0.123, 0.019, 0.103, 0.012, 0.214, 0.062, 0.022, 0.061, 0.052}},
    {FittedMajor, FittedMinor},
};

constexpr Profile profiles[] = {
    Profile::KrumhanslKessler, Profile::TemperleyKostkaPayne, Profile::AardenEssen, Profile::BellmanBudge,
    Profile::Sapp,             Profile::AlbrechtShanahan,     Profile::Fitted,
};
static_assert(std::size(profiles) == std::size(published));

constexpr const char *names[] = {
    "krumhansl-kessler", "temperley-kostka-payne", "aarden-essen", "bellman-budge", "sapp", "albrecht-shanahan",
    "fitted",
};
static_assert(std::size(names) == std::size(profiles));

std::array<double, 12> centred(const std::array<double, 12> &weights, int tonic)
{
    std::array<double, 12> row{};
    double mean = 0;
    for (double w : weights)
        mean += w / 12;
    double norm = 0;
    for (int pc = 0; pc < 12; ++pc) {
        row[std::size_t(pc)] = weights[std::size_t((pc - tonic + 12) % 12)] - mean;
        norm += row[std::size_t(pc)] * row[std::size_t(pc)];
    }
    norm = std::sqrt(norm);
    for (double &v : row)
        v = norm > 0 ? v / norm : 0;
    return row;
}

} // namespace

const ProfileWeights &profileWeights(Profile profile)
{
    return published[std::size_t(profile)];
}

std::span<const Profile> allProfiles()
{
    return profiles;
}

const char *profileName(Profile profile)
{
    return names[std::size_t(profile)];
}

std::optional<Profile> profileByName(std::string_view name)
{
    for (std::size_t i = 0; i < std::size(names); ++i)
        if (name == names[i])
            return profiles[i];
    return std::nullopt;
}

KeyTemplates keyTemplates(const ProfileWeights &weights)
{
    KeyTemplates t{};
    for (int tonic = 0; tonic < 12; ++tonic) {
        t[std::size_t(tonic)] = centred(weights.major, tonic);
        t[std::size_t(tonic + 12)] = centred(weights.minor, tonic);
    }
    return t;
}

} // namespace tunedeck::profile

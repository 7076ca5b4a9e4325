// Key profiles: how much each pitch class weighs in a major and in a minor key, from the
// tonic (index 0) up to the leading tone (11). A window's pitch-class durations are
// correlated with the 24 rotations of one pair.
#ifndef TUNEDECK_CORE_PROFILE_KEYPROFILES_H
#define TUNEDECK_CORE_PROFILE_KEYPROFILES_H

#include <array>
#include <optional>
#include <span>
#include <string_view>

namespace tunedeck::profile {

enum class Profile {
    KrumhanslKessler,
    TemperleyKostkaPayne,
    AardenEssen,
    BellmanBudge,
    Sapp,
    AlbrechtShanahan,
    Fitted, // mean pitch-class durations of the shared corpus (fittedprofile.h)
};

struct ProfileWeights {
    std::array<double, 12> major{};
    std::array<double, 12> minor{};
};

const ProfileWeights &profileWeights(Profile profile);
std::span<const Profile> allProfiles();

// Names as the command-line tools take them: "krumhansl-kessler", ..., "fitted".
const char *profileName(Profile profile);
std::optional<Profile> profileByName(std::string_view name);

// The 24 rotations, centred and scaled to unit length, so a dot product with a centred
// histogram of unit length is Pearson's correlation. Row = key index (0..11 major by
// tonic, 12..23 minor).
using KeyTemplates = std::array<std::array<double, 12>, 24>;
KeyTemplates keyTemplates(const ProfileWeights &weights);

} // namespace tunedeck::profile

#endif

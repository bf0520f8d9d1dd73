// The three preferences, kept in the application profile under [hellovornel].
#pragma once

#include <string>

#include "core/job.h"

namespace vornel {

inline constexpr const char* kProfileSection = "hellovornel";

// A key missing from the profile, or one that does not hold an integer, reads as 1.
Preferences loadPreferences(const std::string& profilePath);
// Writes all three keys; returns false when the file could not be written.
bool savePreferences(const std::string& profilePath, const Preferences& prefs);

}  // namespace vornel

#include "core/preferences.h"

#include "platform/profile.h"

namespace vornel {

Preferences loadPreferences(const std::string& profilePath) {
  auto values = readProfileSection(profilePath, kProfileSection);
  auto get = [&](const char* key) {
    auto it = values.find(key);
    return it == values.end() ? 1 : it->second;
  };
  Preferences p;
  p.antialiasing = get("antialiasing");
  p.clipBlank = get("clipblank");
  p.reduceColorMethod = get("reducecolormethod");
  return p;
}

bool savePreferences(const std::string& profilePath, const Preferences& prefs) {
  return writeProfileSection(profilePath, kProfileSection,
                             {{"antialiasing", prefs.antialiasing},
                              {"clipblank", prefs.clipBlank},
                              {"reducecolormethod", prefs.reduceColorMethod}});
}

}  // namespace vornel

// Where the main window was last placed, kept in the preferences file beside the
// program's own section, so that the window comes back there.
#pragma once

#include <optional>
#include <string>

namespace vornel {

inline constexpr const char* kWindowSection = "window";

struct WindowPlace {
  int x = 0, y = 0;
};

std::optional<WindowPlace> loadWindowPlace(const std::string& profilePath);
bool saveWindowPlace(const std::string& profilePath, const WindowPlace& place);

}  // namespace vornel

#include "ui/logic/window_place.h"

#include "platform/profile.h"

namespace vornel {

std::optional<WindowPlace> loadWindowPlace(const std::string& profilePath) {
  std::map<std::string, int> values = readProfileSection(profilePath, kWindowSection);
  auto x = values.find("x"), y = values.find("y");
  if (x == values.end() || y == values.end()) return std::nullopt;
  return WindowPlace{x->second, y->second};
}

bool saveWindowPlace(const std::string& profilePath, const WindowPlace& place) {
  return writeProfileSection(profilePath, kWindowSection, {{"x", place.x}, {"y", place.y}});
}

}  // namespace vornel

// The application profile: integer values in an INI file, in the user's config folder
// ($XDG_CONFIG_HOME, else ~/.config, folder hellovornel, file hellovornel.ini).
#pragma once

#include <map>
#include <string>

namespace vornel {

std::string defaultProfilePath();

// Reads the integer keys of one section. A missing or unreadable file gives an empty
// map; lines that do not parse are skipped. Reading never changes the file.
std::map<std::string, int> readProfileSection(const std::string& path, const std::string& section);

// Sets the keys in the section, keeping every other line of the file, and writes it
// through a temporary file. Creates the folder when needed.
bool writeProfileSection(const std::string& path, const std::string& section,
                         const std::map<std::string, int>& values);

}  // namespace vornel

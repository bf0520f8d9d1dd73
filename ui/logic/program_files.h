// The lists the pages show from the program folder: style files, example projects,
// textures.
#pragma once

#include <string>
#include <vector>

namespace vornel {

// Names (without folder) of the regular files in folder whose names end with suffix
// (compared without regard to case, as the lists match "*.sty" and "*.vrn"), sorted as
// a sorted list box sorts: without regard to case. An empty suffix matches every file.
// A folder that cannot be read gives an empty list.
std::vector<std::string> listProgramFiles(const std::string& folder, const std::string& suffix);

}  // namespace vornel

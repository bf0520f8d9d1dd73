// Styles and examples given by name: "neon_glow" or "neon_glow.sty" is looked for in the
// current folder, then in the program folder, so a designer need not type paths.
#pragma once

#include <string>
#include <vector>

namespace vornel {

// Finds the file `name` stands for: name itself, then name + ext (when name does not
// end with ext), first as given (relative to the current folder), then, for a name
// without a folder part, in appDir (ending with '/'). Anything of that name but a
// folder counts, so that the reader says why a FIFO is no style; a name with a folder
// part is taken as it is. When nothing is found,
// returns false with a reason saying where it looked; `what` names the kind ("style").
bool findNamedFile(const std::string& name, const std::string& ext, const std::string& appDir,
                   const std::string& what, std::string& path, std::string& reason);

// findNamedFile for the verbs that start no engine (style, project): the program folder
// (from appDirOption, as --app-dir gives it) is resolved only when name is not found as
// given.
bool findNamedFileIn(const std::string& name, const std::string& ext,
                     const std::string& appDirOption, const std::string& what, std::string& path,
                     std::string& reason);

// The regular files of folder whose names end with ext (case-insensitive), sorted by
// name, without the folder.
std::vector<std::string> filesWithExtension(const std::string& folder, const std::string& ext);

// Whether text ends with suffix, ignoring ASCII case.
bool endsWithNoCase(const std::string& text, const std::string& suffix);

}  // namespace vornel

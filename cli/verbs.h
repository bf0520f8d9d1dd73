// One function per verb of the vornel command (each in its own file).
#pragma once

#include <string>
#include <vector>

#include "cli/cli.h"

namespace vornel {

int verbInfo(const std::vector<std::string>& args, CliContext& ctx);
int verbConvert(const std::vector<std::string>& args, CliContext& ctx);
int verbRender(const std::vector<std::string>& args, CliContext& ctx);
int verbStyle(const std::vector<std::string>& args, CliContext& ctx);
int verbProject(const std::vector<std::string>& args, CliContext& ctx);
int verbBatch(const std::vector<std::string>& args, CliContext& ctx);
int verbSize(const std::vector<std::string>& args, CliContext& ctx);
int verbStyles(const std::vector<std::string>& args, CliContext& ctx);
int verbExamples(const std::vector<std::string>& args, CliContext& ctx);
int verbSheet(const std::vector<std::string>& args, CliContext& ctx);

}  // namespace vornel

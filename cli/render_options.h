// The render verb's job options, shared with the verbs that render the same job
// (batch, size): the option table, the job built from parsed options, and the file
// type options.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/args.h"

namespace vornel {

struct Engine;

// Every option of `vornel render`, "help" and "output" included.
const std::vector<OptionSpec>& renderOptionSpecs();
// The render options minus those named in `drop`, plus `extra`.
std::vector<OptionSpec> renderOptionSpecsWith(const std::vector<std::string>& drop,
                                              const std::vector<OptionSpec>& extra);

// Applies the parsed job options to a started engine. On failure returns false with the
// exit status and a message for the user.
bool applyRenderOptions(const ParsedArgs& parsed, Engine& engine, int& status,
                        std::string& message);

// gif16, gif256, jpg or bmp.
bool parseOutputType(const std::string& text, std::int32_t& type);
// The type a name's extension implies: ".gif" 256 colours, ".bmp", otherwise JPEG.
std::int32_t outputTypeFromName(const std::string& name);

}  // namespace vornel

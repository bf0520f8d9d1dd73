// The render verb's job options, shared with the verbs that render the same job
// (batch, size): the option table, the engine started and the job built from parsed
// options, and the file type options.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "cli/args.h"
#include "render/effects/effect_record.h"

namespace vornel {

struct Engine;

// Every option of `vornel render`, "help" and "output" included.
const std::vector<OptionSpec>& renderOptionSpecs();
// The render options minus those named in `drop`, plus `extra`.
std::vector<OptionSpec> renderOptionSpecsWith(const std::vector<std::string>& drop,
                                              const std::vector<OptionSpec>& extra);

// Starts the engine with the --app-dir option. False with a message when the program
// folder it resolves to does not exist: nothing of it (styles, examples, star kernels)
// could be found.
bool startJobEngine(const ParsedArgs& parsed, Engine& engine, std::string& message);

// Applies the parsed job options to a started engine. On failure returns false with the
// exit status and a message for the user; warnings collects what the user should know
// about a job that is built (no style given, a style without effects). in is where
// "--message -" reads from.
bool applyRenderOptions(const ParsedArgs& parsed, Engine& engine, int& status, std::string& message,
                        std::vector<std::string>& warnings, std::istream* in);

// The Message's look when no style and no project give it one: a plain dark fill.
EffectRecord plainMessageEffect();

// gif16, gif256, jpg, bmp or png.
bool parseOutputType(const std::string& text, std::int32_t& type);
// The type a name's extension implies: ".gif" 256 colours, ".bmp", ".png", otherwise
// JPEG (".jpg", ".jpeg", ".jpe").
std::int32_t outputTypeFromName(const std::string& name);
// The --type option, else the type name implies. False with a usage message for an
// unknown type.
bool outputTypeOption(const ParsedArgs& parsed, const std::string& name, std::int32_t& type,
                      std::string& message);
// What the user should know about saving the job as type: --transparent asked of JPEG
// or BMP, which have no transparency.
std::vector<std::string> outputTypeWarnings(const ParsedArgs& parsed, std::int32_t type);

}  // namespace vornel

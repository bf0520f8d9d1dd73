// Batch generation ("Save Images"): every message of the batch list rendered in turn
// with the job's styles and saved as Save Image saves, as BASE0.ext, BASE1.ext, ...
// (and the pressed twins), then the job's own message restored.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "core/batch_list.h"

namespace vornel {

struct Engine;

struct BatchResult {
  bool cancelled = false;                // the dialog or the overwrite question said Cancel
  std::vector<std::string> written;      // every file written, in order
  std::vector<std::string> failedNames;  // every file not written, in order
  std::vector<std::string> failures;     // "NAME: reason" for each of them
  bool ok() const { return !cancelled && failures.empty(); }
};

// The chosen path without a three-letter extension ("c:/out/logo.jpg" -> "c:/out/logo").
std::string batchBaseName(const std::string& chosenPath);
// Image index of the run: base, the index in decimal (no padding), the extension of the
// output type.
std::string batchImageName(const std::string& base, std::size_t index, std::int32_t type);
// The question asked when the first image's file already exists.
std::string batchOverwriteQuestion(const std::string& firstName);

// What the command line adds to a run: a call before each picture is made (its progress
// line), and the extension the names take (".jpeg" for a base named so; empty: the
// output type's).
struct BatchHooks {
  std::function<void(std::size_t index, std::size_t count, const std::string& name)> beforeImage;
  std::string extension;
};

// Every file a run over count messages writes, in order: BASE0.ext, its pressed twin
// when pressed, BASE1.ext, ... (base already without its extension).
std::vector<std::string> batchTargetNames(const std::string& base, std::size_t count,
                                          std::int32_t type, bool pressed,
                                          const std::string& extension = "");

// The run for a path already chosen. Only the first name is checked: when it exists the
// host is asked (OK and Cancel) and Cancel writes nothing. A render or write that fails
// is recorded and the run goes on with the next message. The Message text is restored
// and the job rendered again at the end, whatever happened.
// With hooks.extension set, chosenPath is the base itself.
BatchResult generateBatchTo(Engine& engine, const BatchList& list, const std::string& chosenPath,
                            const BatchHooks& hooks = {});

// The Batch page's "Save Images": asks for the path with a save dialog first.
BatchResult generateBatch(Engine& engine, const BatchList& list);

}  // namespace vornel

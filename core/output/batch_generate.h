// Batch generation ("Save Images"): every message of the batch list rendered in turn
// with the job's styles and saved as Save Image saves, as BASE0.ext, BASE1.ext, ...
// (and the pressed twins), then the job's own message restored.
#pragma once

#include <cstddef>
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

// The run for a path already chosen. Only the first name is checked: when it exists the
// host is asked (OK and Cancel) and Cancel writes nothing. A render or write that fails
// is recorded and the run goes on with the next message. The Message text is restored
// and the job rendered again at the end, whatever happened.
BatchResult generateBatchTo(Engine& engine, const BatchList& list, const std::string& chosenPath);

// The Batch page's "Save Images": asks for the path with a save dialog first.
BatchResult generateBatch(Engine& engine, const BatchList& list);

}  // namespace vornel

#include "core/output/batch_generate.h"

#include <algorithm>

#include "core/output/save_output.h"
#include "imageio/file_bytes.h"
#include "render/engine.h"
#include "render/pipeline.h"
#include "render/work_budget.h"

namespace vornel {

std::string batchBaseName(const std::string& chosenPath) {
  if (chosenPath.size() > 3 && chosenPath[chosenPath.size() - 4] == '.')
    return chosenPath.substr(0, chosenPath.size() - 4);
  return chosenPath;
}

std::string batchImageName(const std::string& base, std::size_t index, std::int32_t type) {
  // The extension is appended rather than set: a base such as "x.ab" would otherwise
  // lose "ab0" to the extension and every image of the run would land on "x.jpg".
  return base + std::to_string(index) + outputExtension(type);
}

std::vector<std::string> batchTargetNames(const std::string& base, std::size_t count,
                                          std::int32_t type, bool pressed,
                                          const std::string& extension) {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < count; ++i) {
    const std::string name =
        extension.empty() ? batchImageName(base, i, type) : base + std::to_string(i) + extension;
    names.push_back(name);
    if (pressed) names.push_back(pressedOutputName(name, type));
  }
  return names;
}

std::string batchOverwriteQuestion(const std::string& firstName) {
  return firstName + " \nThis file already exists. \nOverwrite all existing files?";
}

namespace {

// The files put were counted as written; one that could not be committed is not.
void commitDeferred(DeferredWrites& deferred, BatchResult& result) {
  for (const DeferredWrites::Outcome& outcome : deferred.finish()) {
    if (outcome.reason.empty()) continue;
    auto written = std::find(result.written.begin(), result.written.end(), outcome.path);
    if (written != result.written.end()) result.written.erase(written);
    result.failedNames.push_back(outcome.path);
    result.failures.push_back(outcome.path + ": " + outcome.reason);
  }
}

}  // namespace

BatchResult generateBatchTo(Engine& engine, const BatchList& list, const std::string& chosenPath,
                            const BatchHooks& hooks) {
  VornelDocument& doc = engine.doc;
  BatchResult result;
  const std::string base = hooks.extension.empty() ? batchBaseName(chosenPath) : chosenPath;
  const std::int32_t type = doc.outputFileType;
  auto imageName = [&](std::size_t i) {
    return hooks.extension.empty() ? batchImageName(base, i, type)
                                   : base + std::to_string(i) + hooks.extension;
  };
  const std::string firstName = imageName(0);
  if (fileExists(firstName) &&
      engine.host.messageBox(batchOverwriteQuestion(firstName), "Warning!", MsgButtons::OkCancel,
                             MsgIcon::Warning) != MsgAnswer::Ok) {
    result.cancelled = true;
    return result;
  }

  const std::string remembered = doc.layer(kMessageLayer).text;
  {
    BusyCursor busy(engine.host);
    // The whole run is one job for the work budget: a long list is refused where the
    // budget ends, and the pictures after that one are not made.
    WorkScope run(engine.meter);
    // One sync for the run's files instead of one each; each is still replaced whole.
    DeferredWrites deferred;
    for (std::size_t i = 0; i < list.size(); ++i) {
      const std::string name = imageName(i);
      if (hooks.beforeImage) hooks.beforeImage(i, list.size(), name);
      doc.layer(kMessageLayer).text = cutUtf8(list[i], kMaxTextBytes);
      std::string reason;
      if (!renderJob(engine, &reason)) {
        result.failedNames.push_back(name);
        result.failures.push_back(name + ": " + reason);
        if (engine.meter.refused()) {
          if (i + 1 < list.size())
            result.failures.push_back(std::to_string(list.size() - i - 1) +
                                      " more pictures not made");
          break;
        }
        continue;
      }
      SaveResult saved = saveOutput(engine, name, &deferred);
      std::vector<std::string> expected = {name};
      if (doc.pressedImage) expected.push_back(pressedOutputName(name, type));
      for (const std::string& file : expected) {
        if (std::find(saved.written.begin(), saved.written.end(), file) == saved.written.end())
          result.failedNames.push_back(file);
      }
      result.written.insert(result.written.end(), saved.written.begin(), saved.written.end());
      result.failures.insert(result.failures.end(), saved.failures.begin(), saved.failures.end());
    }
    commitDeferred(deferred, result);
    doc.layer(kMessageLayer).text = remembered;
    renderJob(engine);
  }
  engine.host.refreshPreview();
  return result;
}

BatchResult generateBatch(Engine& engine, const BatchList& list) {
  FileDialogOptions options;  // no filter
  std::optional<std::string> chosen = engine.host.saveFileDialog(options);
  if (!chosen) {
    BatchResult cancelled;
    cancelled.cancelled = true;
    return cancelled;
  }
  return generateBatchTo(engine, list, *chosen);
}

}  // namespace vornel

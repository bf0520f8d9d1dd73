#include "core/output/batch_generate.h"

#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <future>
#include <memory>
#include <system_error>

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

// One picture's files as Save Image writes them (the main picture, and its pressed twin
// when one is made and anything was drawn), copied away from the job so that the next
// picture can be made meanwhile.
struct PictureFiles {
  std::string name;  // the main file's
  std::vector<std::string> names;
  std::vector<DibImage> images;
  std::vector<std::vector<std::uint8_t>> bytes;
  std::vector<int> encoded;  // 1 or 0, as the writer said
  std::vector<std::string> reasons;
};

PictureFiles copyOutput(const VornelDocument& doc, const std::string& name) {
  PictureFiles files;
  files.name = name;
  files.names = {mainOutputName(name, doc.outputFileType)};
  files.images = {doc.outputImage};
  // The pressed twin has the main picture's size: when that is empty, once is enough.
  const bool nothingDrawn = doc.outputImage.width() <= 0 || doc.outputImage.height() <= 0;
  if (doc.pressedImage && !nothingDrawn) {
    files.names.push_back(pressedOutputName(files.names[0], doc.outputFileType));
    files.images.push_back(doc.pressedOutputImage);
  }
  return files;
}

// Encodes the files on a thread of their own, which takes no signals: an interrupt
// reaches the calling thread, which alone creates the temporary files whose names its
// handler removes. The encoders read nothing but the picture they are given. Where no
// thread can be had, the encoding waits for get().
std::future<PictureFiles> encodeAhead(PictureFiles files, std::int32_t type, int transparent,
                                      int bits) {
  // Shared, so that the pictures are still there for the second try should the first
  // fail to start its thread.
  auto job = std::make_shared<PictureFiles>(std::move(files));
  auto encode = [job, type, transparent, bits] {
    PictureFiles& files = *job;
    for (DibImage& image : files.images) {
      files.bytes.emplace_back();
      files.reasons.emplace_back();
      files.encoded.push_back(encodeOutputFile(image, type, transparent, bits, files.bytes.back(),
                                               &files.reasons.back()));
    }
    files.images.clear();
    return std::move(files);
  };
  sigset_t all, old;
  sigfillset(&all);
  ::pthread_sigmask(SIG_BLOCK, &all, &old);
  std::future<PictureFiles> ahead;
  try {
    ahead = std::async(std::launch::async, encode);
  } catch (const std::system_error&) {
    ahead = std::async(std::launch::deferred, encode);
  }
  ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
  return ahead;
}

// Puts the encoded files to be written and records them as Save Image would: each
// written name, a reason for each file not written, and the pressed twin of a picture
// of nothing among the names not written.
void recordPicture(PictureFiles files, std::int32_t type, bool pressed, DeferredWrites& deferred,
                   BatchResult& result) {
  std::vector<std::string> written;
  for (std::size_t k = 0; k < files.names.size(); ++k) {
    std::string reason = files.reasons[k];
    if (files.encoded[k] &&
        deferred.put(files.names[k], files.bytes[k].data(), files.bytes[k].size(), &reason))
      written.push_back(files.names[k]);
    else
      result.failures.push_back(files.names[k] + ": " + reason);
    std::vector<std::uint8_t>().swap(files.bytes[k]);  // on disk now
  }
  std::vector<std::string> expected = {files.name};
  if (pressed) expected.push_back(pressedOutputName(files.name, type));
  for (const std::string& file : expected)
    if (std::find(written.begin(), written.end(), file) == written.end())
      result.failedNames.push_back(file);
  result.written.insert(result.written.end(), written.begin(), written.end());
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
    // The previous picture's files, encoded while this one is made, and then written:
    // before anything of this one is recorded, so the reports keep their order.
    std::future<PictureFiles> ahead;
    auto settle = [&] {
      if (ahead.valid()) recordPicture(ahead.get(), type, doc.pressedImage, deferred, result);
    };
    for (std::size_t i = 0; i < list.size(); ++i) {
      const std::string name = imageName(i);
      if (hooks.beforeImage) hooks.beforeImage(i, list.size(), name);
      doc.layer(kMessageLayer).text = cutUtf8(list[i], kMaxTextBytes);
      std::string reason;
      const bool rendered = renderJob(engine, &reason);
      settle();
      if (!rendered) {
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
      prepareOutput(engine, type);
      ahead = encodeAhead(copyOutput(doc, name), type, transparentIndexFor(doc),
                          savedBitsPerPixel(type));
    }
    settle();
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

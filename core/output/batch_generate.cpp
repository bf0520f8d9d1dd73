#include "core/output/batch_generate.h"

#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

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
  std::int32_t type = 0;
  int transparent = -1, bits = 8;
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

// Encodes a picture's files as Save Image would, reading nothing but them.
void encodeFiles(PictureFiles& files) {
  for (DibImage& image : files.images) {
    files.bytes.emplace_back();
    files.reasons.emplace_back();
    files.encoded.push_back(encodeOutputFile(image, files.type, files.transparent, files.bits,
                                             files.bytes.back(), &files.reasons.back()));
  }
  files.images.clear();
}

// One thread for the run that encodes the picture handed to it while the caller makes
// the next. It takes no signals: an interrupt reaches the calling thread, which alone
// creates the temporary files whose names its handler removes. Where no thread can be
// had, take() encodes.
class EncodeWorker {
 public:
  EncodeWorker() {
    sigset_t all, old;
    sigfillset(&all);
    ::pthread_sigmask(SIG_BLOCK, &all, &old);
    try {
      thread_ = std::thread([this] { run(); });
    } catch (const std::system_error&) {
    }
    ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
  }
  ~EncodeWorker() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
  }
  EncodeWorker(const EncodeWorker&) = delete;
  EncodeWorker& operator=(const EncodeWorker&) = delete;

  bool holding() const { return holding_; }
  // Hands over a picture; the one before must have been taken.
  void submit(PictureFiles files) {
    holding_ = true;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      files_ = std::move(files);
      state_ = State::Queued;
    }
    changed_.notify_all();
  }
  // The picture handed over, encoded; an exception of the encoding rises here.
  PictureFiles take() {
    holding_ = false;
    if (!thread_.joinable()) {
      encodeFiles(files_);
      return std::move(files_);
    }
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return state_ == State::Done; });
    state_ = State::Idle;
    if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
    return std::move(files_);
  }

 private:
  enum class State { Idle, Queued, Done };
  void run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return stop_ || state_ == State::Queued; });
      if (stop_) return;
      // The caller leaves files_ alone until Done.
      lock.unlock();
      try {
        encodeFiles(files_);
      } catch (...) {
        error_ = std::current_exception();
      }
      lock.lock();
      state_ = State::Done;
      changed_.notify_all();
    }
  }

  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable changed_;
  State state_ = State::Idle;
  bool stop_ = false;
  PictureFiles files_;
  std::exception_ptr error_;
  bool holding_ = false;  // the caller's own
};

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
    EncodeWorker ahead;
    auto settle = [&] {
      if (ahead.holding()) recordPicture(ahead.take(), type, doc.pressedImage, deferred, result);
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
      PictureFiles files = copyOutput(doc, name);
      files.type = type;
      files.transparent = transparentIndexFor(doc);
      files.bits = savedBitsPerPixel(type);
      ahead.submit(std::move(files));
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

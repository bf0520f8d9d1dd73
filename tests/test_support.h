// Shared helpers of the tests: a host with scripted answers, temporary folders, and
// calls to independent peer tools.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/host.h"

namespace vornel {
struct Engine;
}

namespace vornel::test {

// Answers questions from a queue (default: Cancel) and records every message.
class ScriptedHost : public Host {
 public:
  struct Message {
    std::string text, caption;
    MsgButtons buttons;
    MsgIcon icon;
  };
  std::deque<MsgAnswer> answers;
  std::deque<std::optional<std::string>> openAnswers, saveAnswers;
  std::vector<Message> messages;
  std::vector<FileDialogOptions> dialogs;
  int previewRefreshes = 0;
  std::vector<int> tabsShown;
  std::vector<std::vector<std::uint8_t>> clipboard;

  MsgAnswer messageBox(const std::string& text, const std::string& caption, MsgButtons buttons,
                       MsgIcon icon) override;
  std::optional<std::string> openFileDialog(const FileDialogOptions& options) override;
  std::optional<std::string> saveFileDialog(const FileDialogOptions& options) override;
  void refreshPreview() override { ++previewRefreshes; }
  void showPreviewTab(int tab) override { tabsShown.push_back(tab); }
  bool copyToClipboard(const std::vector<std::uint8_t>& dib) override {
    clipboard.push_back(dib);
    return true;
  }
};

// One in-process run of the vornel command: its exit status and what it printed.
struct CliRun {
  int status;
  std::string out, err;
};
CliRun runVornel(const std::vector<std::string>& args);

// A fresh empty folder under the system's temporary folder, removed on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Starts engine as the window does, with the built program folder's star kernels and
// styles and the preferences in dir; then, with ownFolder, makes dir the program folder
// (estimates and saved styles stay in the test's folder); then renders the start-up job.
void startWindowEngine(Engine& engine, const TempDir& dir, bool ownFolder = true);

std::vector<std::uint8_t> readFileBytes(const std::string& path);
void writeFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

// Runs a shell command; returns its exit status and fills output with its stdout.
int runCommand(const std::string& command, std::string* output = nullptr);
// Runs fn in a forked child and returns its exit status, or 128 + the signal that ended
// it. The child is ended by SIGALRM after timeoutSeconds, so a call that hangs fails the
// test instead of stopping the suite. With unprivileged, a child running as root first
// becomes the user nobody, so file permissions apply to it as to an ordinary user; it
// exits with kChildCannotDropPrivileges when it cannot.
inline constexpr int kChildCannotDropPrivileges = 77;
int forkChild(const std::function<int()>& fn, unsigned timeoutSeconds = 20,
              bool unprivileged = false);
int waitForChild(int pid);
inline int runInChild(const std::function<int()>& fn, unsigned timeoutSeconds = 20,
                      bool unprivileged = false) {
  return waitForChild(forkChild(fn, timeoutSeconds, unprivileged));
}

// Python with PIL (the system interpreter, where Debian's python3-pil lives), or "" when
// it is not available.
std::string pythonWithPil();
bool haveCommand(const std::string& name);

// Deterministic pseudo-random bytes for generated test pictures.
class TestRandom {
 public:
  explicit TestRandom(std::uint32_t seed) : state_(seed) {}
  std::uint32_t next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  int below(int n) { return static_cast<int>(next() % static_cast<std::uint32_t>(n)); }

 private:
  std::uint32_t state_;
};

// Calls visit with every copy of bytes damaged in one place: each bit of each byte
// flipped, each byte set to 0 and to 255, and every truncation.
void forEachDamagedCopy(const std::vector<std::uint8_t>& bytes,
                        const std::function<void(const std::vector<std::uint8_t>&)>& visit);

}  // namespace vornel::test

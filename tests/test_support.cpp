#include "test_support.h"

#include <grp.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "cli/cli.h"
#include "render/engine.h"
#include "ui/logic/sheet.h"

namespace vornel::test {

MsgAnswer ScriptedHost::messageBox(const std::string& text, const std::string& caption,
                                   MsgButtons buttons, MsgIcon icon) {
  messages.push_back({text, caption, buttons, icon});
  if (answers.empty()) return MsgAnswer::Cancel;
  MsgAnswer a = answers.front();
  answers.pop_front();
  return a;
}

std::optional<std::string> ScriptedHost::openFileDialog(const FileDialogOptions& options) {
  dialogs.push_back(options);
  if (openAnswers.empty()) return std::nullopt;
  auto a = openAnswers.front();
  openAnswers.pop_front();
  return a;
}

std::optional<std::string> ScriptedHost::saveFileDialog(const FileDialogOptions& options) {
  dialogs.push_back(options);
  if (saveAnswers.empty()) return std::nullopt;
  auto a = saveAnswers.front();
  saveAnswers.pop_front();
  return a;
}

CliRun runVornel(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  int status = runCli(args, out, err);
  return {status, out.str(), err.str()};
}

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "vornel-test-XXXXXX").string();
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back('\0');
  if (!mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
  path_ = buf.data();
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::vector<std::uint8_t> readFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void writeFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

int runCommand(const std::string& command, std::string* output) {
  FILE* p = popen(command.c_str(), "r");
  if (!p) return -1;
  std::array<char, 4096> buf;
  std::string out;
  std::size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) out.append(buf.data(), n);
  int status = pclose(p);
  if (output) *output = out;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int forkChild(const std::function<int()>& fn, unsigned timeoutSeconds, bool unprivileged) {
  std::fflush(nullptr);
  pid_t pid = ::fork();
  if (pid != 0) return pid;
  ::alarm(timeoutSeconds);
  if (unprivileged && ::geteuid() == 0) {
    const uid_t nobody = 65534;
    if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0)
      ::_exit(kChildCannotDropPrivileges);
  }
  int status = fn();
  std::fflush(nullptr);
  ::_exit(status);
}

int waitForChild(int pid) {
  if (pid < 0) return -1;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return -1;
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool haveCommand(const std::string& name) {
  return runCommand("command -v " + name + " >/dev/null 2>&1") == 0;
}

std::string pythonWithPil() {
  for (const char* py : {"/usr/bin/python3", "python3"}) {
    if (runCommand(std::string(py) + " -c 'import PIL' >/dev/null 2>&1") == 0) return py;
  }
  return "";
}

void startWindowEngine(Engine& engine, const TempDir& dir, bool ownFolder) {
  StartOptions options;
  options.appDirOption = VORNEL_APPDATA_DIR;
  options.profilePath = dir.file("profile.ini");
  startEngine(engine, options);
  if (ownFolder) engine.doc.appDirectory = dir.path() + "/";
  startWindowJob(engine);
}

void forEachDamagedCopy(const std::vector<std::uint8_t>& bytes,
                        const std::function<void(const std::vector<std::uint8_t>&)>& visit) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    for (int bit = 0; bit < 8; ++bit) {
      std::vector<std::uint8_t> m = bytes;
      m[i] ^= static_cast<std::uint8_t>(1 << bit);
      visit(m);
    }
    for (std::uint8_t v : {0, 255}) {
      std::vector<std::uint8_t> m = bytes;
      m[i] = v;
      visit(m);
    }
    visit(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(i)));
  }
}

}  // namespace vornel::test

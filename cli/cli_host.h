// The host of the command line: messages go to the error stream; questions are
// answered by the --yes option (yes / OK) or refused (cancel); there are no dialogs.
#pragma once

#include <iosfwd>

#include "platform/host.h"

namespace vornel {

class CliHost : public Host {
 public:
  explicit CliHost(std::ostream& err) : err_(err) {}

  void setAnswerYes(bool yes) { answerYes_ = yes; }

  MsgAnswer messageBox(const std::string& text, const std::string& caption, MsgButtons buttons,
                       MsgIcon icon) override;
  std::optional<std::string> openFileDialog(const FileDialogOptions&) override {
    return std::nullopt;
  }
  std::optional<std::string> saveFileDialog(const FileDialogOptions&) override {
    return std::nullopt;
  }

 private:
  std::ostream& err_;
  bool answerYes_ = false;
};

}  // namespace vornel

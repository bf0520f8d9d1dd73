// A host that answers every question with Cancel and every file dialog with nothing, so
// a benchmark never waits for a user.
#pragma once

#include <optional>
#include <string>

#include "platform/host.h"

namespace vornel {

class QuietHost : public Host {
 public:
  MsgAnswer messageBox(const std::string&, const std::string&, MsgButtons, MsgIcon) override {
    return MsgAnswer::Cancel;
  }
  std::optional<std::string> openFileDialog(const FileDialogOptions&) override { return {}; }
  std::optional<std::string> saveFileDialog(const FileDialogOptions&) override { return {}; }
};

}  // namespace vornel

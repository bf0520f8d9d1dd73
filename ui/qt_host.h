// The window's host: Qt's message boxes and file dialogs, the busy cursor, the
// clipboard, and the preview window the engine refreshes.
#pragma once

#include "platform/host.h"

class QWidget;

namespace vornel {

class PreviewWindow;

class QtHost : public Host {
 public:
  void setDialogParent(QWidget* parent) { parent_ = parent; }
  void setPreview(PreviewWindow* preview) { preview_ = preview; }

  MsgAnswer messageBox(const std::string& text, const std::string& caption, MsgButtons buttons,
                       MsgIcon icon) override;
  std::optional<std::string> openFileDialog(const FileDialogOptions& options) override;
  std::optional<std::string> saveFileDialog(const FileDialogOptions& options) override;
  void setBusyCursor(bool busy) override;
  bool copyToClipboard(const std::vector<std::uint8_t>& packedDib) override;
  void refreshPreview() override;
  void showPreviewTab(int tab) override;

 private:
  std::optional<std::string> fileDialog(const FileDialogOptions& options, bool save);

  QWidget* parent_ = nullptr;
  PreviewWindow* preview_ = nullptr;
  int busyDepth_ = 0;
};

}  // namespace vornel

// What the engine asks of whoever runs it: message boxes, file dialogs, cursors, the
// clipboard and preview refresh. The Qt program, the command line and the tests each
// implement it (tests with scripted answers).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vornel {

enum class MsgButtons { Ok, OkCancel, YesNoCancel };
enum class MsgIcon { None, Information, Warning, Error };
enum class MsgAnswer { Ok, Cancel, Yes, No };

struct FileDialogOptions {
  std::string filter;         // "Description(*.ext)|*.ext|...||"
  std::string proposedName;   // initial file name, may be empty
  bool askOverwrite = false;  // a save dialog asks before replacing an existing file
  std::string defaultSuffix;  // added to a chosen name without one ("jpg"), may be empty
};

class Host {
 public:
  virtual ~Host() = default;

  virtual MsgAnswer messageBox(const std::string& text, const std::string& caption,
                               MsgButtons buttons, MsgIcon icon) = 0;
  // The chosen path, or nothing when the user cancelled.
  virtual std::optional<std::string> openFileDialog(const FileDialogOptions& options) = 0;
  virtual std::optional<std::string> saveFileDialog(const FileDialogOptions& options) = 0;

  virtual void setBusyCursor(bool /*busy*/) {}
  // Places a packed device-independent bitmap on the clipboard.
  virtual bool copyToClipboard(const std::vector<std::uint8_t>& /*packedDib*/) { return false; }
  virtual void refreshPreview() {}
  // 0 the text preview, 1 the image preview.
  virtual void showPreviewTab(int /*tab*/) {}
};

// Shows the busy cursor for the life of the object.
class BusyCursor {
 public:
  explicit BusyCursor(Host& host) : host_(host) { host_.setBusyCursor(true); }
  ~BusyCursor() { host_.setBusyCursor(false); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  Host& host_;
};

}  // namespace vornel

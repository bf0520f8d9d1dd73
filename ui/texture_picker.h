// CTexturePickerDlg ("Open Bitmap"): the pictures of a folder with a preview; returns
// the chosen file's name without the folder.
#pragma once

#include <optional>
#include <string>

class QWidget;

namespace vornel {

// Lists the folder's files that match pattern ("*.*" for all), marks the first whose
// name begins with current, and returns the chosen name (current when OK is pressed
// without a new choice), or nothing on Cancel.
std::optional<std::string> pickTexture(QWidget* parent, const std::string& folder,
                                       const std::string& current, const std::string& pattern);

}  // namespace vornel

// CMessageTextDlg ("Message"): the text and font of a Template or Bulletin drawn from
// text, edited in the working message and the current font with the "Text" preview.
#pragma once

class QWidget;

namespace vornel {

struct Engine;

// Returns whether OK closed it.
bool runMessageTextDialog(QWidget* parent, Engine& engine);

}  // namespace vornel

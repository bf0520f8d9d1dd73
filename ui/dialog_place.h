// Opens a dialog beside the preview window rather than over it, so that what the dialog
// changes stays in sight.
#pragma once

class QWidget;

namespace vornel {

// Moves dialog (already sized) next to the preview window and the main window that
// parent belongs to, on their screen.
void moveBesidePreview(QWidget* dialog, QWidget* parent);

}  // namespace vornel

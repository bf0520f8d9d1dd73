// CPreferenceDlg ("Preference"): edge smoothing, blank clipping and the colour
// reduction method. A method radio takes effect when clicked; the check boxes on OK.
#pragma once

class QWidget;

namespace vornel {

struct Engine;

// Returns whether the dialog was confirmed.
bool runPreferenceDialog(QWidget* parent, Engine& engine);

}  // namespace vornel

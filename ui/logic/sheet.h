// The main sheet's logic: its menu commands, the Preference dialog, files opened from
// the command line or dropped on the window, and leaving the program. Each command
// returns the page the sheet must bring to the front, or kNoPage.
#pragma once

#include <string>

#include "core/job.h"

namespace vornel {

struct Engine;

enum PageIndex {
  kNoPage = -1,
  kExamplesPage = 0,
  kMessagePage = 1,
  kBackgroundPage = 2,
  kBulletinPage = 3,
  kSavePage = 4,
  kBatchPage = 5,
};
inline constexpr int kPageCount = 6;
// Tab captions in page order.
extern const char* const kPageCaptions[kPageCount];

inline constexpr const char* kWindowTitle = "Hello Vornel 1.0";

// Start-up of the window's engine: the job rendered once, so that every pane has a
// picture from the first moment.
void startWindowJob(Engine& engine);

// File > New: the unsaved-project question, the reset and the "Text" tab.
int menuNewProject(Engine& engine);
// File > Open Vrn. File: the question, the file dialog, the read, a render, "Image".
int menuOpenProject(Engine& engine);
// A project named on the command line or dropped on the window.
int openProjectPath(Engine& engine, const std::string& path);
// File > Save Vrn. File and Save Vrn. File As ("Cannot save file!" on failure).
bool menuSaveProject(Engine& engine);
bool menuSaveProjectAs(Engine& engine);
// Edit > Copy.
bool menuCopy(Engine& engine);
// Help > Contents: the help page of the program folder.
std::string helpPagePath(const VornelDocument& doc);

// A file dropped on the window: a ".vrn" is opened as a project, a ".sty" becomes the
// Message layer's style (with the unsaved-style question). Other files are ignored.
int fileDropped(Engine& engine, const std::string& path);

// File > Exit and closing the window: asks about an unsaved project ("Save change to
// ..."; Yes saves the project). False when the window must stay.
bool exitRequested(Engine& engine);

// The Preference dialog.
struct PreferenceChoice {
  bool antialiasing = true;
  bool clipBlank = true;
  int reduceColorMethod = 1;  // 0 "Popularity algorithm", 1 "Optimized median cut"
};
PreferenceChoice preferenceDialogOpened(const VornelDocument& doc);
// A click on a method radio takes effect at once, even if the dialog is then cancelled.
void preferenceMethodClicked(Engine& engine, int method);
// OK: the check boxes are taken over, all three preferences saved, the job rendered
// and the "Image" tab shown. A profile that cannot be written is reported.
void preferenceConfirmed(Engine& engine, bool antialiasing, bool clipBlank);

}  // namespace vornel

#include "ui/logic/sheet.h"

#include "core/output/save_output.h"
#include "core/preferences.h"
#include "core/project_file.h"
#include "core/style_choice.h"
#include "core/style_file.h"
#include "render/engine.h"
#include "render/job_commands.h"
#include "render/pipeline.h"

namespace vornel {

const char* const kPageCaptions[kPageCount] = {"Examples", "Message",     "Background",
                                               "Bulletin", "Save Vornel", "Batch Creation"};

namespace {

bool endsWith(const std::string& name, const char* suffix) {
  const std::string s = suffix;
  if (name.size() < s.size()) return false;
  for (std::size_t i = 0; i < s.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(name[name.size() - s.size() + i])) != s[i])
      return false;
  return true;
}

// After a project was opened, or failed to open: the job is rendered again either way
// and the "Image" tab shown; a failure is told, as the user asked for that file.
int afterOpen(Engine& engine, OpenProjectResult result, const std::string& failure) {
  if (result == OpenProjectResult::Cancelled) return kNoPage;
  if (result == OpenProjectResult::Failed) reportCannotOpen(engine.host, failure);
  renderJob(engine);
  engine.host.showPreviewTab(1);
  return kExamplesPage;
}

}  // namespace

void startWindowJob(Engine& engine) {
  renderJob(engine);
}

int menuNewProject(Engine& engine) {
  return newProject(engine) ? kExamplesPage : kNoPage;
}

int menuOpenProject(Engine& engine) {
  std::string failure;
  OpenProjectResult result = openProject(engine.doc, engine.host, &failure);
  return afterOpen(engine, result, failure);
}

int openProjectPath(Engine& engine, const std::string& path) {
  std::string failure;
  OpenProjectResult result = openProjectFile(engine.doc, engine.host, path, &failure);
  return afterOpen(engine, result, failure);
}

bool menuSaveProject(Engine& engine) {
  return saveProject(engine.doc, engine.host);
}
bool menuSaveProjectAs(Engine& engine) {
  return saveProjectAs(engine.doc, engine.host);
}
bool menuCopy(Engine& engine) {
  return copyOutputToClipboard(engine);
}

std::string helpPagePath(const VornelDocument& doc) {
  return doc.appDirectory + "help/main.htm";
}

int fileDropped(Engine& engine, const std::string& path) {
  if (endsWith(path, ".vrn")) return openProjectPath(engine, path);
  if (!endsWith(path, ".sty")) return kNoPage;
  StyleChoice choice = chooseLayerStyleFile(engine.doc, engine.host, kMessageLayer, path);
  if (choice == StyleChoice::Abandoned) return kNoPage;
  if (choice == StyleChoice::Unreadable) reportCannotOpen(engine.host, path);
  renderJob(engine);
  engine.host.showPreviewTab(1);
  return kNoPage;
}

bool exitRequested(Engine& engine) {
  return askSaveProjectChanges(engine.doc, engine.host);
}

PreferenceChoice preferenceDialogOpened(const VornelDocument& doc) {
  return {doc.prefs.antialiasing != 0, doc.prefs.clipBlank != 0, doc.prefs.reduceColorMethod};
}

void preferenceMethodClicked(Engine& engine, int method) {
  engine.doc.prefs.reduceColorMethod = method == 0 ? 0 : 1;
}

void preferenceConfirmed(Engine& engine, bool antialiasing, bool clipBlank) {
  Preferences& prefs = engine.doc.prefs;
  prefs.antialiasing = antialiasing ? 1 : 0;
  prefs.clipBlank = clipBlank ? 1 : 0;
  if (!savePreferences(engine.profilePath, prefs))
    reportCannotSave(engine.host, {engine.profilePath + ": cannot write the preferences"});
  engine.host.showPreviewTab(1);
  renderJob(engine);
  engine.host.refreshPreview();
}

}  // namespace vornel

#include "ui/logic/example_page.h"

#include "core/project_file.h"
#include "core/style_file.h"
#include "render/engine.h"
#include "render/pipeline.h"
#include "ui/logic/program_files.h"

namespace vornel {

std::vector<std::string> exampleList(const Engine& engine) {
  return listProgramFiles(engine.doc.appDirectory, ".vrn");
}

bool exampleChosen(Engine& engine, const std::string& entry) {
  std::string failure;
  OpenProjectResult result = openExampleProject(engine.doc, engine.host, entry, &failure);
  if (result == OpenProjectResult::Cancelled) return false;
  if (result == OpenProjectResult::Failed) reportCannotOpen(engine.host, failure);
  renderJob(engine);
  engine.host.showPreviewTab(1);
  engine.host.refreshPreview();
  return true;
}

}  // namespace vornel

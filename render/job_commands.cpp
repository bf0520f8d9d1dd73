#include "render/job_commands.h"

#include "core/project_file.h"
#include "core/style_choice.h"
#include "render/engine.h"
#include "render/pipeline.h"

namespace vornel {

bool newProject(Engine& engine) {
  VornelDocument& doc = engine.doc;
  if (!askSaveProjectChanges(doc, engine.host)) return false;
  doc.ws.backgroundColor = 0xFFFFFF;
  doc.projectBackgroundColor = 0xFFFFFF;
  doc.projectModified = false;
  if (doc.layers.size() > kMessageLayer) {
    LogFont& font = doc.layer(kMessageLayer).font;
    font.setFaceName("Arial");
    font.lfHeight = 20;
    font.lfWidth = 10;
  }
  clearWorkingStyle(doc);
  resetLayers(doc);
  renderJob(engine);
  engine.host.showPreviewTab(0);
  return true;
}

bool chooseStyleForLayer(Engine& engine, int index, const std::string& entry) {
  if (chooseLayerStyle(engine.doc, engine.host, index, entry) == StyleChoice::Abandoned)
    return false;
  renderJob(engine);
  return true;
}

}  // namespace vornel

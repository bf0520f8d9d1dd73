#include "ui/logic/message_page.h"

#include "core/job_edits.h"
#include "core/style_choice.h"
#include "render/engine.h"
#include "render/pipeline.h"
#include "ui/logic/program_files.h"
#include "ui/logic/style_editor.h"

namespace vornel {

namespace {

// Index of the last Draw effect of the Message layer, or -1.
int lastDrawIndex(const VornelDocument& doc) {
  const std::vector<EffectRecord>& effects = doc.layer(kMessageLayer).effects;
  for (int i = static_cast<int>(effects.size()) - 1; i >= 0; --i)
    if (effects[static_cast<std::size_t>(i)].type == kSingleColor) return i;
  return -1;
}

EffectRecord* lastDrawEffect(VornelDocument& doc) {
  const int i = lastDrawIndex(doc);
  return i < 0 ? nullptr : &doc.layer(kMessageLayer).effects[static_cast<std::size_t>(i)];
}

MessagePageView viewOf(Engine& engine) {
  VornelDocument& doc = engine.doc;
  MessagePageView view;
  const LayerRecord& message = doc.layer(kMessageLayer);
  view.text = message.text;
  view.faceName = message.font.faceName();
  view.styles = listProgramFiles(doc.appDirectory, ".sty");
  const std::string& styleName = doc.messageStyleName;
  for (const std::string& entry : view.styles)
    if (styleName == doc.appDirectory + entry) view.styleEntry = entry;
  view.changeColorEnabled = lastDrawIndex(doc) >= 0;
  return view;
}

}  // namespace

MessagePageView messagePageCreated(Engine& engine) {
  engine.doc.outputStale = true;
  return viewOf(engine);
}

MessagePageView messagePageActivated(Engine& engine) {
  VornelDocument& doc = engine.doc;
  doc.ws.font = doc.layer(kMessageLayer).font;
  return viewOf(engine);
}

void messagePageLeft(Engine& engine) {
  engine.host.showPreviewTab(1);
  if (engine.doc.outputStale) {
    renderJob(engine);
    engine.host.refreshPreview();
  }
}

void messageTextChanged(Engine& engine, const std::string& text) {
  editMessageText(engine.doc, text);
  engine.host.showPreviewTab(0);
}

std::string messageFontChosen(Engine& engine, const LogFont& font) {
  editMessageFont(engine.doc, font);
  engine.host.showPreviewTab(0);
  return font.faceName();
}

bool messageStyleChosen(Engine& engine, const std::string& entry, MessagePageView& view) {
  if (chooseLayerStyle(engine.doc, engine.host, kMessageLayer, entry) == StyleChoice::Abandoned)
    return false;
  renderJob(engine);
  engine.host.showPreviewTab(1);
  view.changeColorEnabled = lastDrawIndex(engine.doc) >= 0;
  return true;
}

MessagePageView messageStyleEdited(Engine& engine, const std::function<bool()>& runDialog) {
  editLayerStyleWithEditor(engine, kMessageLayer, runDialog);
  return viewOf(engine);
}

QuickFill quickFillFor(const VornelDocument& doc) {
  QuickFill fill;
  const int index = lastDrawIndex(doc);
  if (index < 0) return fill;
  const EffectRecord* draw = &doc.layer(kMessageLayer).effects[static_cast<std::size_t>(index)];
  // Fill modes 4 and 5 are the tiled and stretched textures.
  if (draw->param(5) > 2) {
    fill.kind = QuickFill::Texture;
    fill.textureFolder = doc.appDirectory + "texture/";
    fill.textureName = doc.effectDefaults[kSingleColor].texture();
  } else {
    fill.kind = QuickFill::Color;
    fill.color = static_cast<std::uint32_t>(draw->param(1));
  }
  return fill;
}

void quickColorChosen(Engine& engine, std::uint32_t color) {
  if (EffectRecord* draw = lastDrawEffect(engine.doc)) {
    draw->param(1) = static_cast<std::int32_t>(color & 0xFFFFFF);
    engine.doc.projectModified = true;
  }
}

void quickTextureChosen(Engine& engine, const std::string& name) {
  VornelDocument& doc = engine.doc;
  EffectRecord* draw = lastDrawEffect(doc);
  if (!draw) return;
  doc.effectDefaults[kSingleColor].setTexture(name);
  draw->setTexture(name);
  doc.projectModified = true;
}

void quickFillFinished(Engine& engine) {
  renderJob(engine);
  engine.host.refreshPreview();
}

}  // namespace vornel

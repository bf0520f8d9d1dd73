#include "ui/logic/layer_pages.h"

#include "core/job_edits.h"
#include "imageio/utf8.h"
#include "render/engine.h"
#include "render/pipeline.h"
#include "ui/logic/program_files.h"

namespace vornel {

namespace {

bool drawn(std::int32_t kind) {
  return kind != kLayerNone;
}

void renderAndShow(Engine& engine) {
  renderJob(engine);
  engine.host.refreshPreview();
}

RoundBoxFactors& factorsOf(VornelDocument& doc, int index) {
  return index == kTemplateLayer ? doc.templateFactors : doc.bulletinFactors;
}

}  // namespace

LayerPageView layerPageActivated(Engine& engine, int index) {
  VornelDocument& doc = engine.doc;
  LayerPageView view;
  view.kind = doc.layer(index).kind;
  view.layerControlsEnabled = drawn(view.kind);
  view.styles = listProgramFiles(doc.appDirectory, ".sty");
  view.swatchColor = doc.projectBackgroundColor;
  view.transparent = doc.projectBackgroundMode == kBackgroundTransparent;
  view.pressed = doc.pressedImage;
  return view;
}

bool layerKindChosen(Engine& engine, int index, std::int32_t kind) {
  if (!editLayerKind(engine.doc, index, kind)) return drawn(engine.doc.layer(index).kind);
  renderAndShow(engine);
  return drawn(kind);
}

void backgroundColorChosen(Engine& engine, std::uint32_t color) {
  editBackgroundColor(engine.doc, color);
  renderAndShow(engine);
}

void transparencyChosen(Engine& engine, bool transparent) {
  editBackgroundTransparent(engine.doc, transparent);
  renderAndShow(engine);
}

void pressedImageChosen(Engine& engine, bool pressed) {
  editPressedImage(engine.doc, pressed);
  if (pressed) renderAndShow(engine);
}

StyleChoice layerStyleChosen(Engine& engine, int index, const std::string& entry,
                             LayerPageView& view) {
  VornelDocument& doc = engine.doc;
  StyleChoice choice = chooseLayerStyle(doc, engine.host, index, entry);
  if (choice == StyleChoice::Abandoned) return choice;
  renderJob(engine);
  engine.host.refreshPreview();
  if (index == kTemplateLayer) doc.ws.backgroundColor = doc.projectBackgroundColor;
  view.swatchColor = doc.projectBackgroundColor;
  view.transparent = doc.projectBackgroundMode == kBackgroundTransparent;
  return choice;
}

LayerPropertiesSession layerPropertiesOpened(Engine& engine, int index) {
  VornelDocument& doc = engine.doc;
  if (index == kTemplateLayer) {
    engine.host.showPreviewTab(1);
    renderAndShow(engine);
  }
  LayerRecord& layer = doc.layer(index);
  switch (layer.kind) {
    case kLayerFont:
    case kLayerStretchedFont:
      doc.ws.message = layer.text;
      doc.ws.font = layer.font;
      // The dialog shows the Template in the width its "with Font" kind uses.
      if (index == kTemplateLayer) doc.ws.font.lfWidth = layer.fontWidth;
      return {LayerProperties::Text, {}};
    case kLayerRoundBox: {
      const RoundBoxFactors& f = factorsOf(doc, index);
      EffectRecord& box = doc.effectDefaults[kRoundBoxEffect];
      box.param(5) = f.width;
      box.param(6) = f.height;
      box.param(7) = f.cornerWidth;
      box.param(8) = f.cornerHeight;
      return {LayerProperties::RoundBox, f};
    }
    default:
      return {};
  }
}

void layerBoxPreviewed(Engine& engine, int index) {
  const EffectRecord& box = engine.doc.effectDefaults[kRoundBoxEffect];
  factorsOf(engine.doc, index) = {box.param(5), box.param(6), box.param(7), box.param(8)};
  renderJob(engine);
}

void layerPropertiesClosed(Engine& engine, int index, const LayerPropertiesSession& session,
                           bool ok) {
  VornelDocument& doc = engine.doc;
  const LayerProperties opened = session.opened;
  if (opened == LayerProperties::None) return;
  if (opened == LayerProperties::RoundBox) factorsOf(doc, index) = session.before;
  if (opened == LayerProperties::Text) {
    if (ok) {
      editLayerText(doc, index, doc.ws.message);
      editLayerFont(doc, index, doc.ws.font);
    }
    engine.host.showPreviewTab(1);
  } else if (ok) {
    const EffectRecord& box = doc.effectDefaults[kRoundBoxEffect];
    editRoundBoxFactors(doc, index, {box.param(5), box.param(6), box.param(7), box.param(8)});
  }
  renderAndShow(engine);
}

std::string messageDialogOpened(Engine& engine) {
  engine.host.showPreviewTab(0);
  return engine.doc.ws.message;
}

void messageDialogTextChanged(Engine& engine, const std::string& text) {
  engine.doc.ws.message = cutUtf8(text, kMaxTextBytes);
  engine.host.showPreviewTab(0);
}

void messageDialogFontChosen(Engine& engine, const LogFont& font) {
  engine.doc.ws.font = font;
  engine.host.showPreviewTab(0);
}

}  // namespace vornel

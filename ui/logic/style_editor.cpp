#include "ui/logic/style_editor.h"

#include <algorithm>

#include "core/job_edits.h"
#include "core/style_file.h"
#include "render/canvas_layout.h"
#include "render/compose.h"
#include "render/engine.h"
#include "render/pipeline.h"
#include "ui/logic/effect_dialog.h"

namespace vornel {

namespace {

int effectCount(const VornelDocument& doc) {
  return static_cast<int>(doc.ws.effects.size());
}

bool validType(std::int32_t type) {
  return type >= 0 && type < kEffectTypeCount;
}

}  // namespace

StyleEditorView styleEditorView(const VornelDocument& doc, int selected) {
  StyleEditorView view;
  for (const EffectRecord& record : doc.ws.effects)
    view.applied.push_back(validType(record.type) ? kEffectDisplayNames[record.type] : "");
  view.selected = selected >= 0 && selected < effectCount(doc) ? selected : -1;
  return view;
}

StyleEditorView styleEditorOpened(Engine& engine) {
  VornelDocument& doc = engine.doc;
  // A refused layout keeps the canvas as it was; the list can still be edited.
  prepareCanvas(engine);
  engine.host.showPreviewTab(1);
  // The pictures are drawn again below at the canvas size; until then the preview shows
  // an empty picture of the size it shows now rather than another layer's.
  const int w = doc.outputImage.empty() ? 0 : doc.outputImage.width();
  const int h = doc.outputImage.empty() ? 0 : doc.outputImage.height();
  createFilledOutput(doc.outputImage, w, h, 0);
  if (doc.pressedImage) createFilledOutput(doc.pressedOutputImage, w, h, 0);
  renderPreview(engine);
  return styleEditorView(doc, -1);
}

StyleEditorView styleEditorAdd(Engine& engine, std::int32_t type, const EffectDialogRunner& run,
                               int selected) {
  VornelDocument& doc = engine.doc;
  if (!validType(type)) return styleEditorView(doc, selected);
  if (effectCount(doc) >= kMaxEffects) {
    engine.host.messageBox(kStyleFullText, kErrorCaption, MsgButtons::Ok, MsgIcon::Error);
    return styleEditorView(doc, selected);
  }
  if (run(type)) {
    const EffectRecord record = effectRecordForAdd(doc.effectDefaults[type]);
    if (appendEffectCopy(doc.ws.effects, doc.ws.styleModified, record))
      selected = effectCount(doc) - 1;
  }
  renderPreview(engine);
  return styleEditorView(doc, selected);
}

StyleEditorView styleEditorEdit(Engine& engine, int index, const EffectDialogRunner& run) {
  VornelDocument& doc = engine.doc;
  if (index < 0 || index >= effectCount(doc)) return styleEditorView(doc, -1);
  const std::int32_t type = doc.ws.effects[static_cast<std::size_t>(index)].type;
  if (!validType(type)) return styleEditorView(doc, index);
  // The dialog may change the record as it previews, cancelled or not.
  doc.ws.styleModified = true;
  // The distortion's own preview starts from the text as the distortions before it left
  // it.
  if (type == kDisturbTemplet) refreshDistortions(engine, index);
  EffectRecord& working = doc.effectDefaults[type];
  working = doc.ws.effects[static_cast<std::size_t>(index)];
  if (run(type)) doc.ws.effects[static_cast<std::size_t>(index)] = working;
  renderPreview(engine);
  return styleEditorView(doc, index);
}

StyleEditorView styleEditorMove(Engine& engine, int from, int to) {
  VornelDocument& doc = engine.doc;
  const int n = effectCount(doc);
  if (from == to || from < 0 || from >= n || to < 0 || to >= n) return styleEditorView(doc, from);
  moveEffect(doc.ws.effects, doc.ws.styleModified, from, to);
  renderPreview(engine);
  return styleEditorView(doc, to);
}

StyleEditorView styleEditorGoUp(Engine& engine, int selected) {
  if (selected <= 0) return styleEditorView(engine.doc, selected);
  return styleEditorMove(engine, selected, selected - 1);
}

StyleEditorView styleEditorGoDown(Engine& engine, int selected) {
  if (selected < 0 || selected + 1 >= effectCount(engine.doc))
    return styleEditorView(engine.doc, selected);
  return styleEditorMove(engine, selected, selected + 1);
}

StyleEditorView styleEditorDelete(Engine& engine, int selected) {
  VornelDocument& doc = engine.doc;
  if (!removeEffect(doc.ws.effects, doc.ws.styleModified, selected))
    return styleEditorView(doc, -1);
  renderPreview(engine);
  return styleEditorView(doc, std::min(selected, effectCount(doc) - 1));
}

bool styleEditorNew(Engine& engine) {
  VornelDocument& doc = engine.doc;
  if (doc.ws.styleModified) {
    const std::string shown = doc.ws.styleName.empty() ? "Untitled.sty" : doc.ws.styleName;
    const MsgAnswer answer = engine.host.messageBox("Save change to " + shown, kWarningCaption,
                                                    MsgButtons::YesNoCancel, MsgIcon::Warning);
    if (answer == MsgAnswer::Cancel) return false;
    // The edits would be lost with the new style: keep them when they were not saved.
    if (answer == MsgAnswer::Yes && !saveStyle(doc, engine.host)) return false;
  }
  clearWorkingStyle(doc);
  renderPreview(engine);
  return true;
}

bool styleEditorSave(Engine& engine) {
  return saveStyle(engine.doc, engine.host);
}

bool styleEditorSaveAs(Engine& engine) {
  return saveStyleAs(engine.doc, engine.host);
}

void layerStyleEditingStarted(Engine& engine, int index) {
  VornelDocument& doc = engine.doc;
  if (index < 0 || index >= static_cast<int>(doc.layers.size())) return;
  if (index == kTemplateLayer || index == kBulletinLayer) {
    doc.projectBackgroundMode = doc.ws.backgroundMode;
    doc.projectBackgroundColor = doc.ws.backgroundColor;
    doc.projectBackgroundBitmap = doc.ws.backgroundBitmap;
  }
  loadLayerIntoWorkingSet(doc, index);
  // The page's name of the style (the layer record's own starts as a placeholder), and
  // whether it holds edits not yet saved, so that "New" asks about those too.
  doc.ws.styleName = layerStyleName(doc, index);
  doc.ws.styleModified = layerStyleModified(doc, index);
}

void layerStyleEditingEnded(Engine& engine, int index, bool ok) {
  VornelDocument& doc = engine.doc;
  if (ok && index >= 0 && index < static_cast<int>(doc.layers.size())) {
    takeWorkingStyleIntoLayer(doc, index);
    // A style saved under a new name (or emptied by "New") is the layer's from now on:
    // the next "Save" and the unsaved-style question must name that file, not the old.
    layerStyleName(doc, index) = doc.ws.styleName;
    doc.layer(index).styleName = doc.ws.styleName;
  }
  renderJob(engine);
  engine.host.refreshPreview();
}

bool editLayerStyleWithEditor(Engine& engine, int index, const std::function<bool()>& runDialog) {
  layerStyleEditingStarted(engine, index);
  const bool ok = runDialog();
  layerStyleEditingEnded(engine, index, ok);
  return ok;
}

}  // namespace vornel

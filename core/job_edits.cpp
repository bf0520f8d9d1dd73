#include "core/job_edits.h"

#include <algorithm>

#include "core/style_choice.h"
#include "core/style_file.h"
#include "imageio/utf8.h"

namespace vornel {

namespace {

bool hasLayer(const VornelDocument& doc, int index) {
  return index >= 0 && index < static_cast<int>(doc.layers.size());
}

}  // namespace

void editMessageText(VornelDocument& doc, const std::string& text) {
  if (!hasLayer(doc, kMessageLayer)) return;
  const std::string cut = cutUtf8(text, kMaxTextBytes);
  doc.outputStale = true;
  doc.layer(kMessageLayer).text = cut;
  doc.ws.message = cut;
  doc.projectModified = true;
}

void editMessageFont(VornelDocument& doc, const LogFont& font) {
  if (!hasLayer(doc, kMessageLayer)) return;
  doc.layer(kMessageLayer).font = font;
  doc.ws.font = font;
  doc.outputStale = true;
  doc.projectModified = true;
}

void editLayerText(VornelDocument& doc, int index, const std::string& text) {
  if (!hasLayer(doc, index)) return;
  doc.layer(index).text = cutUtf8(text, kMaxTextBytes);
  doc.projectModified = true;
}

void editLayerFont(VornelDocument& doc, int index, const LogFont& font) {
  if (!hasLayer(doc, index)) return;
  LayerRecord& layer = doc.layer(index);
  layer.font = font;
  if (index == kTemplateLayer) layer.fontWidth = font.lfWidth;
  doc.projectModified = true;
}

bool editLayerKind(VornelDocument& doc, int index, std::int32_t kind) {
  if (!hasLayer(doc, index)) return false;
  const bool known = kind == kLayerNone || kind == kLayerFont || kind == kLayerRoundBox ||
                     (kind == kLayerStretchedFont && index == kTemplateLayer);
  if (!known || index == kMessageLayer) return false;
  LayerRecord& layer = doc.layer(index);
  layer.kind = kind;
  if (index == kTemplateLayer && kind == kLayerFont) layer.font.lfWidth = layer.fontWidth;
  if (index == kTemplateLayer && kind == kLayerStretchedFont)
    layer.font.lfWidth = layer.stretchedFontWidth;
  doc.projectModified = true;
  return true;
}

void editBackgroundColor(VornelDocument& doc, std::uint32_t color) {
  doc.ws.backgroundColor = color & 0xFFFFFF;
  doc.projectBackgroundColor = color & 0xFFFFFF;
  doc.projectModified = true;
}

void editBackgroundTransparent(VornelDocument& doc, bool transparent) {
  const std::int32_t mode = transparent ? kBackgroundTransparent : kBackgroundSingleColor;
  doc.ws.backgroundMode = mode;
  doc.projectBackgroundMode = mode;
  doc.projectModified = true;
}

void editPressedImage(VornelDocument& doc, bool pressed) {
  doc.pressedImage = pressed;
}

void editMessagePad(VornelDocument& doc, std::int32_t pad) {
  doc.messagePad = pad > 0 ? pad : 0;
  doc.outputStale = true;
}

void editRoundBoxFactors(VornelDocument& doc, int index, const RoundBoxFactors& factors) {
  if (index == kTemplateLayer)
    doc.templateFactors = factors;
  else if (index == kBulletinLayer)
    doc.bulletinFactors = factors;
  else
    return;
  doc.projectModified = true;
}

bool editLayerStyle(VornelDocument& doc, int index, const std::string& path, std::string* reason) {
  if (!hasLayer(doc, index)) return false;
  if (!assignStyleToLayer(doc, index, path, reason)) return false;
  layerStyleName(doc, index) = path;
  layerStyleModified(doc, index) = false;
  applyStyleBackground(doc, index);
  doc.projectModified = true;
  return true;
}

void editLayerEffects(VornelDocument& doc, int index, const std::vector<EffectRecord>& effects) {
  if (!hasLayer(doc, index)) return;
  doc.layer(index).effects.assign(
      effects.begin(), effects.begin() + std::min<std::size_t>(effects.size(), kMaxEffects));
  layerStyleName(doc, index).clear();
  layerStyleModified(doc, index) = false;
  doc.projectModified = true;
}

void takeWorkingStyleIntoLayer(VornelDocument& doc, int index) {
  if (!hasLayer(doc, index)) return;
  doc.layer(index).effects = doc.ws.effects;
  layerStyleModified(doc, index) = doc.ws.styleModified;
  doc.projectModified = true;
}

bool editOutputFileType(VornelDocument& doc, std::int32_t type) {
  if (type < kOutputGif16 || type > kOutputPng) return false;
  doc.outputFileType = type;
  return true;
}

}  // namespace vornel

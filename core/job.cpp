#include "core/job.h"

namespace vornel {

LogFont startupFont() {
  LogFont f;
  f.setFaceName("Arial");
  f.lfHeight = 20;
  f.lfWidth = 10;
  return f;
}

std::array<EffectRecord, kEffectTypeCount> startupEffectDefaults() {
  std::array<EffectRecord, kEffectTypeCount> d{};
  for (int t = 0; t < kEffectTypeCount; ++t) d[static_cast<std::size_t>(t)].type = t;
  auto set = [&](int type, int param, std::int32_t value) {
    d[static_cast<std::size_t>(type)].param(param) = value;
  };
  set(kDropShadow, 5, 50);
  set(kDropShadow, 6, 2);
  set(kLinearGradient, 1, 0x0000FF);
  set(kLinearGradient, 2, 0xFFFF00);
  set(kLinearGradient, 5, 20);
  set(kLinearGradient, 6, 20);
  set(kDisturbTemplet, 3, 100);
  set(kDisturbTemplet, 5, 1);
  set(kDisturbTemplet, 6, 100);
  set(kStarFilter, 1, 0xFFFFFF);
  set(kStarFilter, 6, 10);
  for (int type : {k3dSingleColor, kFog}) {
    set(type, 6, 200);
    set(type, 7, 25);
    set(type, 8, 1000);
    set(type, 9, 100);
  }
  set(kRoundBoxEffect, 5, 1);
  set(kRoundBoxEffect, 6, 1);
  set(kRoundBoxEffect, 7, 100);
  set(kRoundBoxEffect, 8, 100);
  set(kFog, 11, 100);
  set(kFog, 12, 100);
  set(kSpace, 5, 200);
  set(kSpace, 6, 200);
  return d;
}

void initializeDocument(VornelDocument& doc) {
  doc.ws = WorkingSet{};
  doc.ws.backgroundColor = 0xFFFFFF;
  doc.projectBackgroundColor = 0xFFFFFF;
  doc.ws.font = startupFont();
  doc.ws.message = "Hello Vornel!";
  doc.effectDefaults = startupEffectDefaults();
  doc.templateStyleName.clear();
  doc.bulletinStyleName.clear();
  doc.messageStyleName.clear();
  doc.ws.styleName.clear();
  doc.batchListName = "untitled.blt";
  doc.outputFileType = kOutputJpeg;

  doc.layers.clear();
  LayerRecord scratch;
  scratch.font = doc.ws.font;
  scratch.kind = kLayerNone;
  scratch.text = "a";
  scratch.styleName = "test1.sty";
  appendLayer(doc, scratch);  // Template
  scratch.x = -20;
  appendLayer(doc, scratch);  // Bulletin
  scratch.x = 0;
  scratch.kind = kLayerFont;
  scratch.text = "Hello Vornel!";
  scratch.styleName = "ttt.sty";
  appendLayer(doc, scratch);  // Message
  clearWorkingStyle(doc);
}

int appendLayer(VornelDocument& doc, const LayerRecord& record) {
  if (doc.layers.size() >= kMaxLayers) return -1;
  LayerRecord copy = record;
  copy.image = LayerImage{};
  copy.pressedImage = LayerImage{};
  doc.layers.push_back(std::move(copy));
  return 0;
}

void clearWorkingStyle(VornelDocument& doc) {
  doc.ws.effects.clear();
  doc.ws.styleName.clear();
  doc.ws.styleModified = false;
  doc.templateStyleModified = doc.bulletinStyleModified = doc.messageStyleModified = false;
}

void resetLayers(VornelDocument& doc) {
  const struct {
    int index;
    std::int32_t kind;
    const char* text;
  } resets[] = {{kTemplateLayer, kLayerNone, "a"},
                {kBulletinLayer, kLayerNone, "a"},
                {kMessageLayer, kLayerFont, "Hello Vornel!"}};
  for (const auto& r : resets) {
    if (r.index >= static_cast<int>(doc.layers.size())) continue;
    LayerRecord& layer = doc.layer(r.index);
    layer.kind = r.kind;
    layer.text = r.text;
    layer.effects.clear();
    layer.styleName.clear();
  }
  doc.projectName.clear();
  doc.projectModified = false;
  doc.templateStyleName.clear();
  doc.bulletinStyleName.clear();
  doc.messageStyleName.clear();
}

bool& layerStyleModified(VornelDocument& doc, int index) {
  if (index == kTemplateLayer) return doc.templateStyleModified;
  if (index == kBulletinLayer) return doc.bulletinStyleModified;
  return doc.messageStyleModified;
}

std::string& layerStyleName(VornelDocument& doc, int index) {
  if (index == kTemplateLayer) return doc.templateStyleName;
  if (index == kBulletinLayer) return doc.bulletinStyleName;
  return doc.messageStyleName;
}

void loadLayerIntoWorkingSet(VornelDocument& doc, int index) {
  const LayerRecord& layer = doc.layer(index);
  doc.ws.kind = layer.kind;
  doc.ws.message = layer.text;
  doc.ws.font = layer.font;
  std::copy(std::begin(layer.box), std::end(layer.box), std::begin(doc.ws.box));
  doc.ws.effects = layer.effects;
  doc.ws.pad = index == kMessageLayer ? doc.messagePad : 0;
}

std::string scaledJobNotSaved(int drawScale) {
  return "the job is drawn " + std::to_string(drawScale) +
         " times larger than its files; it is not saved as a style or project";
}

}  // namespace vornel

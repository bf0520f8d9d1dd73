#include "render/effects/effect_record.h"

#include <cstring>

namespace vornel {

const char* const kEffectKeywords[kEffectTypeCount] = {
    "SingleColor", "OutLine", "DropShadow",    "LinearGradient", "DepthField", "DisturbTemplet",
    "StarFilter",  "Tile",    "3dSingleColor", "RoundBox",       "Fog",        "Space",
    "CutOut"};

const char* const kEffectDisplayNames[kEffectTypeCount] = {"Draw",
                                                           "Outline",
                                                           "Drop Shadow",
                                                           "Linear Gradient",
                                                           "Depth of Field",
                                                           "Disturbing Font",
                                                           "Star Filtering",
                                                           "Tile",
                                                           "3D Single Color",
                                                           "Round Box",
                                                           "Fog",
                                                           "Space",
                                                           "Cut Out"};

std::string EffectRecord::texture() const {
  return std::string(textureName, strnlen(textureName, kTextureNameSize));
}

void EffectRecord::setTexture(const std::string& name) {
  std::string cut = cutUtf8(name, kTextureNameSize - 1);
  std::memset(textureName, 0, kTextureNameSize);
  std::memcpy(textureName, cut.data(), cut.size());
}

bool appendEffect(std::vector<EffectRecord>& list, bool& styleModified, std::int32_t type,
                  std::int32_t p1, std::int32_t p3, std::int32_t p4, std::int32_t p5,
                  std::int32_t p6, std::int32_t p2, const std::string& name) {
  EffectRecord r;
  r.type = type;
  r.param(1) = p1;
  r.param(2) = p2;
  r.param(3) = p3;
  r.param(4) = p4;
  r.param(5) = p5;
  r.param(6) = p6;
  r.setTexture(name);
  return appendEffectCopy(list, styleModified, r);
}

bool appendEffectCopy(std::vector<EffectRecord>& list, bool& styleModified,
                      const EffectRecord& record) {
  if (list.size() >= kMaxEffects) return false;
  list.push_back(record);
  styleModified = true;
  return true;
}

bool moveEffect(std::vector<EffectRecord>& list, bool& styleModified, int from, int to) {
  int n = static_cast<int>(list.size());
  if (from < 0 || from >= n || to < 0 || to >= n) return false;
  EffectRecord r = list[static_cast<std::size_t>(from)];
  list.erase(list.begin() + from);
  list.insert(list.begin() + to, r);
  styleModified = true;
  return true;
}

bool removeEffect(std::vector<EffectRecord>& list, bool& styleModified, int index) {
  if (index < 0 || index >= static_cast<int>(list.size())) return false;
  list.erase(list.begin() + index);
  styleModified = true;
  return true;
}

}  // namespace vornel

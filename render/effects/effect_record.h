// One step of a style: an effect type and its twelve parameters, plus a texture name.
// A plain 104-byte block, copied, inserted and moved as a whole.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "imageio/utf8.h"

namespace vornel {

enum EffectType : std::int32_t {
  kSingleColor = 0,
  kOutLine = 1,
  kDropShadow = 2,
  kLinearGradient = 3,
  kDepthField = 4,
  kDisturbTemplet = 5,
  kStarFilter = 6,
  kTile = 7,
  k3dSingleColor = 8,
  kRoundBoxEffect = 9,
  kFog = 10,
  kSpace = 11,
  kCutOut = 12,
};
inline constexpr int kEffectTypeCount = 13;
inline constexpr int kMaxEffects = 40;
inline constexpr int kTextureNameSize = 52;

struct EffectRecord {
  std::int32_t type = 0;
  // p[0] is p1 ... p[11] is p12.
  std::int32_t p[12] = {};
  char textureName[kTextureNameSize] = {};

  std::int32_t& param(int n) { return p[n - 1]; }  // 1-based, as the parameters are named
  std::int32_t param(int n) const { return p[n - 1]; }
  std::string texture() const;
  // Stores the name cut to 51 bytes on a UTF-8 character boundary.
  void setTexture(const std::string& name);
};
static_assert(sizeof(EffectRecord) == 104, "EffectRecord is a 104-byte block");

// Style-file keywords and display names, indexed by type code.
extern const char* const kEffectKeywords[kEffectTypeCount];
extern const char* const kEffectDisplayNames[kEffectTypeCount];

// Record list operations of the style editor. Each marks the style as modified and
// returns false (changing nothing) when the list is full or an index is out of range.
bool appendEffect(std::vector<EffectRecord>& list, bool& styleModified, std::int32_t type,
                  std::int32_t p1, std::int32_t p3, std::int32_t p4, std::int32_t p5,
                  std::int32_t p6, std::int32_t p2, const std::string& name = "");
bool appendEffectCopy(std::vector<EffectRecord>& list, bool& styleModified,
                      const EffectRecord& record);
bool moveEffect(std::vector<EffectRecord>& list, bool& styleModified, int from, int to);
bool removeEffect(std::vector<EffectRecord>& list, bool& styleModified, int index);

}  // namespace vornel

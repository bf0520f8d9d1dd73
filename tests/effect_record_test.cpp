#include "render/effects/effect_record.h"

#include <gtest/gtest.h>

#include <cstddef>

namespace vornel {
namespace {

TEST(EffectRecord, LayoutIsTypeTwelveWordsThenTextureName) {
  EXPECT_EQ(sizeof(EffectRecord), 104u);
  EXPECT_EQ(offsetof(EffectRecord, p), 4u);
  EXPECT_EQ(offsetof(EffectRecord, textureName), 52u);
}

TEST(EffectRecord, NameTables) {
  EXPECT_STREQ(kEffectKeywords[0], "SingleColor");
  EXPECT_STREQ(kEffectKeywords[8], "3dSingleColor");
  EXPECT_STREQ(kEffectKeywords[5], "DisturbTemplet");
  EXPECT_STREQ(kEffectKeywords[12], "CutOut");
  EXPECT_STREQ(kEffectDisplayNames[0], "Draw");
  EXPECT_STREQ(kEffectDisplayNames[5], "Disturbing Font");
  EXPECT_STREQ(kEffectDisplayNames[6], "Star Filtering");
  EXPECT_STREQ(kEffectDisplayNames[12], "Cut Out");
}

TEST(EffectRecord, TextureNameIsCutOnACharacterBoundary) {
  EffectRecord r;
  r.setTexture(std::string(60, 'a'));
  EXPECT_EQ(r.texture().size(), 51u);
  // 50 ASCII bytes then a two-byte character: it does not fit in 51 and is dropped whole.
  r.setTexture(std::string(50, 'b') + "\xC3\xA9");
  EXPECT_EQ(r.texture(), std::string(50, 'b'));
  r.setTexture("wood.bmp");
  EXPECT_EQ(r.texture(), "wood.bmp");
}

std::vector<int> types(const std::vector<EffectRecord>& list) {
  std::vector<int> t;
  for (const auto& r : list) t.push_back(r.type);
  return t;
}

TEST(EffectRecord, ListOperationsMarkTheStyleModified) {
  std::vector<EffectRecord> list;
  bool modified = false;
  ASSERT_TRUE(appendEffect(list, modified, kDropShadow, 0xFF, 3, 4, 50, 2, 0));
  EXPECT_TRUE(modified);
  EXPECT_EQ(list[0].param(1), 0xFF);
  EXPECT_EQ(list[0].param(3), 3);
  EXPECT_EQ(list[0].param(4), 4);
  EXPECT_EQ(list[0].param(5), 50);
  EXPECT_EQ(list[0].param(6), 2);
  EXPECT_EQ(list[0].texture(), "");
  for (int t : {1, 2, 3}) {
    EffectRecord r;
    r.type = t;
    modified = false;
    ASSERT_TRUE(appendEffectCopy(list, modified, r));
    EXPECT_TRUE(modified);
  }
  EXPECT_EQ(types(list), (std::vector<int>{2, 1, 2, 3}));
  modified = false;
  ASSERT_TRUE(moveEffect(list, modified, 3, 0));
  EXPECT_TRUE(modified);
  EXPECT_EQ(types(list), (std::vector<int>{3, 2, 1, 2}));
  ASSERT_TRUE(moveEffect(list, modified, 0, 2));
  EXPECT_EQ(types(list), (std::vector<int>{2, 1, 3, 2}));
  modified = false;
  ASSERT_TRUE(removeEffect(list, modified, 1));
  EXPECT_TRUE(modified);
  EXPECT_EQ(types(list), (std::vector<int>{2, 3, 2}));
  modified = false;
  EXPECT_FALSE(removeEffect(list, modified, 3));
  EXPECT_FALSE(moveEffect(list, modified, -1, 0));
  EXPECT_FALSE(modified);
}

TEST(EffectRecord, ListHoldsAtMostForty) {
  std::vector<EffectRecord> list;
  bool modified = false;
  for (int i = 0; i < kMaxEffects; ++i)
    ASSERT_TRUE(appendEffectCopy(list, modified, EffectRecord{}));
  modified = false;
  EXPECT_FALSE(appendEffectCopy(list, modified, EffectRecord{}));
  EXPECT_FALSE(modified);
  EXPECT_EQ(list.size(), 40u);
}

}  // namespace
}  // namespace vornel

#include "platform/memory.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace vornel {
namespace {

TEST(MemoryDeathTest, OutOfMemoryTellsTheUserAndExitsNonZero) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        test::ScriptedHost host;
        runGuarded(host, [] {
          auto huge = allocate<std::uint8_t>(kMaxAllocation + 1);
          return static_cast<int>(huge.size());
        });
      },
      ::testing::ExitedWithCode(kOutOfMemoryExitStatus), "");
}

TEST(Memory, OutOfMemoryMessageIsTheProgramsOwn) {
  EXPECT_STREQ(kOutOfMemoryText, "Out of memory! \nSystem will be terminated.");
  EXPECT_STREQ(kOutOfMemoryCaption, "System Error");
}

TEST(Memory, AllocateGivesZeroFilledBuffers) {
  auto b = allocate<std::int16_t>(100);
  ASSERT_EQ(b.size(), 100u);
  for (auto v : b) EXPECT_EQ(v, 0);
}

}  // namespace
}  // namespace vornel

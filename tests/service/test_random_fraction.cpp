#include <gtest/gtest.h>

#include <set>

#include "service/Service.h"

namespace mailvane {
namespace {

TEST(RandomFractionTextTest, IsZeroPointAndFifteenDigits) {
  std::set<std::string> seen;
  for (int i = 0; i < 2000; ++i) {
    const std::string text = RandomFractionText();
    ASSERT_EQ(text.size(), 17u) << text;
    ASSERT_EQ(text.substr(0, 2), "0.") << text;
    ASSERT_EQ(text.find_first_not_of("0123456789", 2), std::string::npos) << text;
    // The text form drops trailing zeros: a 17-character text never ends in one.
    ASSERT_NE(text[16], '0') << text;
    seen.insert(text);
  }
  EXPECT_GT(seen.size(), 1990u);
}

}  // namespace
}  // namespace mailvane

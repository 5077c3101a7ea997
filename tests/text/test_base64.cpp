#include <gtest/gtest.h>

#include "web/Base64.h"

namespace mailvane {
namespace {

TEST(Base64Encode, KnownVectors) {
  const struct {
    std::string input, expected;
  } cases[] = {
      {"", ""},
      {"f", "Zg=="},
      {"fo", "Zm8="},
      {"foo", "Zm9v"},
      {"foobar", "Zm9vYmFy"},
      {"user:", "dXNlcjo="},
      {std::string("\x00\xff\xfe", 3), "AP/+"},
      {"\xfb\xff", "+/8="},
  };
  for (const auto& c : cases) EXPECT_EQ(Base64Encode(c.input), c.expected) << c.input;
}

TEST(Base64Encode, LongInputStaysOnOneLine) {
  const std::string encoded = Base64Encode(std::string(57, 'x'));
  EXPECT_EQ(encoded.size(), 76u);
  EXPECT_EQ(encoded.find_first_of("\r\n="), std::string::npos);
  EXPECT_EQ(Base64Encode(std::string(3000, '\0')), std::string(4000, 'A'));
}

}  // namespace
}  // namespace mailvane

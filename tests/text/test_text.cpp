#include <gtest/gtest.h>

#include <vector>

#include "text/Text.h"

namespace mailvane {
namespace {

TEST(AnswerText, EndsAtFirstZeroByte) {
  EXPECT_EQ(AnswerText(std::string("ab\0cd", 5)), "ab");
  EXPECT_EQ(AnswerText("\x81\xFF"), "\x81\xFF");
  EXPECT_EQ(AnswerText(std::string("\0x", 2)), "");
}

struct FindCase {
  std::string name, text, marker;
  int start;
  bool ignoreCase;
  int expected;
};

TEST(FindText, Cases) {
  const FindCase cases[] = {
      {"first", "abcabc", "c", 1, false, 3},
      {"from start", "abcabc", "c", 4, false, 6},
      {"at start", "abcabc", "c", 6, false, 6},
      {"past end", "abcabc", "c", 7, false, -1},
      {"start below one", "abcabc", "a", -3, false, 1},
      {"longer than text", "abc", "abcd", 1, false, -1},
      {"partial overlap", "aaab", "aab", 1, false, 2},
      {"partial overlap 2", "xyzzy", "zy", 1, false, 4},
      {"empty marker", "abc", "", 1, false, 1},
      {"empty marker is found at 1", "abc", "", 3, false, 1},
      {"empty marker past end", "abc", "", 4, false, -1},
      {"empty text", "", "", 1, false, -1},
      {"not inside two-byte character", "\x81\x41\x41", "A", 1, false, 3},
      {"two-byte marker", "a\xD6\xD0\xCE\xC4", "\xCE\xC4", 1, false, 4},
      {"match after a mid-character candidate", "a\x81\x81\x81x", "\x81x", 1, false, 4},
      {"characters counted from start", "\xB0\xA1[", "[", 2, false, -1},
      {"lone lead byte at end", "ab\x81", "\x81", 1, false, 3},
      {"ignore case", "xABc", "abC", 1, true, 2},
      {"case counts", "xABc", "abC", 1, false, -1},
      {"fold A-Z only", "@", "`", 1, true, -1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FindText(c.text, c.marker, c.start, c.ignoreCase), c.expected) << c.name;
}

struct ReplaceCase {
  std::string name, text, from, to;
  bool ignoreCase;
  std::string expected;
};

TEST(ReplaceText, Cases) {
  const ReplaceCase cases[] = {
      {"every occurrence", "a-b-c", "-", "+", false, "a+b+c"},
      {"left to right, no overlap", "aaa", "aa", "b", false, "ba"},
      {"replacement not searched again", "aa", "a", "aa", false, "aaaa"},
      {"removal", "Set-Cookie: a", "Set-Cookie:", "", false, " a"},
      {"empty from", "abc", "", "x", false, "abc"},
      {"empty text", "", "a", "b", false, ""},
      {"ignore case", "aAa", "a", "b", true, "bbb"},
      {"case counts", "aAa", "A", "b", false, "aba"},
      {"not inside two-byte character", "\x95\x5Cu\\u", "\\u", "%u", false, "\x95\x5Cu%u"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ReplaceText(c.text, c.from, c.to, c.ignoreCase), c.expected) << c.name;
}

TEST(ReplaceText, LargeText) {
  std::string text;
  for (int i = 0; i < 2'500'000; ++i) text += "ab\xD6\xD0";
  const std::string replaced = ReplaceText(text, "b\xD6", "");
  EXPECT_EQ(replaced.size(), text.size() / 2);
  EXPECT_EQ(replaced.substr(0, 8), "a\xD0" "a\xD0" "a\xD0" "a\xD0");
  // A marker that begins with a second byte is never found.
  EXPECT_EQ(ReplaceText(text, "\xD0" "a", "").size(), text.size());
}

TEST(TrimSpaces, Cases) {
  const struct {
    std::string text, expected;
  } cases[] = {
      {"  a b  ", "a b"},
      {"\xA1\xA1 a\xA1\xA1 ", "a"},
      {"\ta\t", "\ta\t"},
      {"", ""},
      {"   \xA1\xA1", ""},
      {"\xB0\xA1\xA1", "\xB0\xA1\xA1"},          // a character, then a lone 0xA1
      {"x\xB0\xA1\xA1\xA1", "x\xB0\xA1"},       // a character, then a full-width space
      {"\xA1\xA1\xA1", "\xA1"},
      {"a\x81", "a\x81"},
  };
  for (const auto& c : cases) EXPECT_EQ(TrimSpaces(c.text), c.expected) << c.text;
}

TEST(RemoveSpaces, Cases) {
  EXPECT_EQ(RemoveSpaces(" a = 1 ;\xA1\xA1" "b=2 "), "a=1;b=2");
  EXPECT_EQ(RemoveSpaces("\xB0\xA1\xA1\xB0"), "\xB0\xA1\xA1\xB0");
  EXPECT_EQ(RemoveSpaces(""), "");
}

TEST(SplitText, Cases) {
  using Pieces = std::vector<std::string_view>;
  const struct {
    std::string text, separator;
    Pieces expected;
  } cases[] = {
      {"a;b", ";", {"a", "b"}},
      {"a;b;", ";", {"a", "b"}},
      {";a", ";", {"", "a"}},
      {"a;;b", ";", {"a", "", "b"}},
      {";", ";", {""}},
      {"", ";", {}},
      {"abc", ";", {"abc"}},
      {"a\r\nb\r\n\r\n", "\r\n", {"a", "b", ""}},
      {"a; b;c", "; ", {"a", "b;c"}},
      {"\x81;x;y", ";", {"\x81;x", "y"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitText(c.text, c.separator), c.expected) << c.text;
}

}  // namespace
}  // namespace mailvane

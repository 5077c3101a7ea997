#include <gtest/gtest.h>

#include "text/Escapes.h"

namespace mailvane {
namespace {

using namespace std::string_literals;

struct DecodeCase {
  std::string name, input, expected;
};

TEST(DecodeEscapes, ServiceAnswers) {
  const DecodeCase cases[] = {
      {"unicode escapes", "\\u4e2d\\u6587", "\xD6\xD0\xCE\xC4"},
      {"upper-case hex", "\\u4E2D", "\xD6\xD0"},
      {"escaped slashes", "a\\/b\\/c", "a/b/c"},
      {"apostrophe", "it's", "it's"},
      {"right single quotation mark", "it\xA1\xAFs", "it's"},
      {"escaped apostrophe", "it\\'s", "it's"},
      {"CR LF survives", "a\r\nb", "a\r\nb"},
      {"stand-in becomes CR LF", "a{$}b", "a\r\nb"},
      {"leading lone CR", "\rabc", "abc"},
      {"leading CR LF kept", "\r\nabc", "\r\nabc"},
      {"empty", "", ""},
      {"local text passes", "\xD6\xD0 x", "\xD6\xD0 x"},
      {"escape after local text", "\xD6\xD0\\u6587", "\xD6\xD0\xCE\xC4"},
      {"backslash as second byte", "\x95\x5Cu4e2d", "\x95\x5Cu4e2d"},
      {"outside the code page", "a\\u0e01b", "a?b"},
      {"zero character ends", "a\\u0000b", "a"},
      {"ends at zero byte", "a\0\\u4e2d"s, "a"},
      {"JSON answer", "{\"FROM\":\"\\u5f20<a@b.c>\",\"url\":\"http:\\/\\/x\\/\"}",
       "{\"FROM\":\"\xD5\xC5<a@b.c>\",\"url\":\"http://x/\"}"},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeEscapes(c.input), c.expected) << c.name;
}

TEST(DecodeEscapes, StringLiteralEscapes) {
  const DecodeCase cases[] = {
      {"control characters", "\\b\\f\\n\\r\\t", "\b\f\n\r\t"},
      {"quote and backslash", "\\\"\\\\", "\"\\"},
      {"hex", "\\x41\\x7a", "Az"},
      {"hex needs two digits", "\\x4g", "x4g"},
      {"octal", "\\101\\60", "A0"},
      {"octal takes at most three digits", "\\1010", "A0"},
      {"octal from 4 takes two digits", "\\477", "'7"},
      {"octal zero ends the text", "a\\0b", "a"},
      {"not octal", "\\8\\9", "89"},
      {"\\v is a letter", "\\v", "v"},
      {"any other character", "\\q\\%", "q%"},
      {"short unicode escape", "\\u4e", "%u4e"},
      // The literal is read first, unescape runs on its result.
      {"escaped backslash before u", "\\\\u0041", "A"},
      {"escaped percent stays", "%5Cn", "\\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeEscapes(c.input), c.expected) << c.name;
}

TEST(DecodeEscapes, Unescape) {
  const DecodeCase cases[] = {
      {"percent hex", "%41", "A"},
      {"percent u", "%u0041%u4E2D", "A\xD6\xD0"},
      {"lone percent", "100%", "100%"},
      {"percent and non-hex", "%zz%4", "%zz%4"},
      {"short percent u", "%u00", "%u00"},
      {"upper-case U is not unescaped", "%U0041", "%U0041"},
      {"percent zero ends", "a%00b", "a"},
      {"latin-1 code point", "%E9", "\xA8\xA6"},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeEscapes(c.input), c.expected) << c.name;
}

// Texts that would not form a valid script literal are decoded all the same,
// the offending characters passing through.
TEST(DecodeEscapes, RawLineBreaksAndTrailingBackslash) {
  const DecodeCase cases[] = {
      {"line feed", "a\\u4e2d\nb", "a\xD6\xD0\nb"},
      {"ends in line feed", "\\u4e2d\n", "\xD6\xD0\n"},
      {"carriage return inside", "a\rb\\/", "a\rb/"},
      {"trailing backslash", "abc\\", "abc\\"},
      {"escaped backslash at end", "abc\\\\", "abc\\"},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeEscapes(c.input), c.expected) << c.name;
}

TEST(DecodeEscapes, InvalidBytes) {
  EXPECT_EQ(DecodeEscapes("a\x81"), "a?");
  EXPECT_EQ(DecodeEscapes("\x81\x20\\/"), "? /");
  std::string all;
  for (int i = 1; i < 256; ++i) all += static_cast<char>(i);
  EXPECT_FALSE(DecodeEscapes(all).empty());
  EXPECT_FALSE(DecodeEscapes(std::string(all.rbegin(), all.rend())).empty());
}

TEST(DecodeEscapes, LargeAnswer) {
  std::string answer;
  for (int i = 0; i < 500'000; ++i) answer += "\\u4e2d'\\/\r\n";
  std::string expected;
  for (int i = 0; i < 500'000; ++i) expected += "\xD6\xD0'/\r\n";
  EXPECT_EQ(DecodeEscapes(answer), expected);
}

TEST(BytesToText, Utf16LittleEndianToLocal) {
  EXPECT_EQ(BytesToText("\x2D\x4E\x87\x65"s), "\xD6\xD0\xCE\xC4");
  EXPECT_EQ(BytesToText("A\0B"s), "A");
  EXPECT_EQ(BytesToText("A\0\0\0B\0"s), "A");
  EXPECT_EQ(BytesToText(""), "");
}

}  // namespace
}  // namespace mailvane

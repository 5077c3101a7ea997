#include <gtest/gtest.h>

#include "text/CodePage.h"

namespace mailvane {
namespace {

using namespace std::string_literals;

TEST(Utf8ToLocal, Cases) {
  const struct {
    std::string name, utf8, local;
  } cases[] = {
      {"Chinese", "\xE4\xB8\xAD\xE6\x96\x87", "\xD6\xD0\xCE\xC4"},
      {"ASCII", "abc 123", "abc 123"},
      {"empty", "", ""},
      {"euro sign is 0x80", "\xE2\x82\xAC", "\x80"},
      {"outside the code page", "a\xE0\xB8\x81" "b", "a?b"},
      {"outside the BMP", "\xF0\x9F\x98\x80", "?"},
      {"invalid byte", "a\xFF" "b", "a?b"},
      {"truncated sequence at end", "a\xE4\xB8", "a?"},
      {"ends at zero byte", "a\0b"s, "a"},
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8ToLocal(c.utf8), c.local) << c.name;
}

TEST(LocalToUtf8, Cases) {
  EXPECT_EQ(LocalToUtf8("\xD6\xD0\xCE\xC4"), "\xE4\xB8\xAD\xE6\x96\x87");
  EXPECT_EQ(LocalToUtf8("\x80"), "\xE2\x82\xAC");
  EXPECT_EQ(LocalToUtf8("abc"), "abc");
  // A lone lead byte or an invalid second byte is a replacement character.
  EXPECT_EQ(LocalToUtf8("a\x81"), "a\xEF\xBF\xBD");
  EXPECT_EQ(LocalToUtf8("\x81\x20x"), "\xEF\xBF\xBD x");
}

TEST(TextToUtf16, DecodesWithTheChosenCodePageAndEndsWithZero) {
  EXPECT_EQ(TextToUtf16("\xD6\xD0" "A", kCodePageGbk, true), "\x2D\x4E\x41\x00\x00\x00"s);
  EXPECT_EQ(TextToUtf16("\xE4\xB8\xAD", kCodePageGbk, false), "\x2D\x4E\x00\x00"s);
  EXPECT_EQ(TextToUtf16("\xE4\xB8\xAD", kCodePageUtf8, true), "\x2D\x4E\x00\x00"s);
  EXPECT_EQ(TextToUtf16("", kCodePageGbk, true), "\0\0"s);
  EXPECT_EQ(TextToUtf16("a\0b"s, kCodePageGbk, true), "a\0\0\0"s);
}

TEST(Utf16ToText, EncodesUpToFirstZeroCharacter) {
  EXPECT_EQ(Utf16ToText("\x2D\x4E\x41\x00"s, kCodePageGbk, true), "\xD6\xD0" "A");
  EXPECT_EQ(Utf16ToText("\x2D\x4E"s, kCodePageUtf8, true), "\xE4\xB8\xAD");
  EXPECT_EQ(Utf16ToText("\x2D\x4E"s, kCodePageUtf8, false), "\xD6\xD0");  // local code page
  EXPECT_EQ(Utf16ToText("A\0\0\0B\0"s, kCodePageGbk, true), "A");
  EXPECT_EQ(Utf16ToText("A\0B"s, kCodePageGbk, true), "A");              // odd byte dropped
  EXPECT_EQ(Utf16ToText("\x00\xD8" "A\0"s, kCodePageGbk, true), "?A");  // lone surrogate
  EXPECT_EQ(Utf16ToText("\xAC\x20"s, kCodePageGbk, true), "\x80");
  EXPECT_EQ(Utf16ToText("", kCodePageGbk, true), "");
}

TEST(CodePage, ConvertsLargeTextsBothWays) {
  std::string local;
  for (int i = 0; i < 1'000'000; ++i) local += "\xD6\xD0" "a";
  const std::string utf8 = LocalToUtf8(local);
  EXPECT_EQ(utf8.size(), 4'000'000u);
  EXPECT_EQ(Utf8ToLocal(utf8), local);
}

TEST(CodePage, AnyBytesConvertWithoutFault) {
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i == 0 ? 1 : i);
  for (const std::string& bytes : {all, std::string(all.rbegin(), all.rend()), "\x81"s, "\xFF"s}) {
    const std::string utf8 = LocalToUtf8(bytes);
    EXPECT_FALSE(utf8.empty());
    EXPECT_FALSE(Utf8ToLocal(utf8).empty());
    EXPECT_FALSE(Utf8ToLocal(bytes).empty());
    // At most two bytes for each of the size / 2 code units.
    EXPECT_LE(Utf16ToText(bytes, kCodePageGbk, true).size(), bytes.size());
  }
  EXPECT_FALSE(Utf16ToText(all, kCodePageGbk, true).empty());
}

// The direct conversions between the two code pages give what the route
// through UTF-16 gives, on mixed texts far longer than any inner buffer,
// with characters cut at every possible place by the pieces' borders.
TEST(CodePage, DirectConversionsAgreeWithTheRouteThroughUtf16) {
  const std::string pieces[] = {"abc ", "\xE4\xB8\xAD\xE6\x96\x87", "\xE2\x82\xAC", "\xF0\x9F\x98\x80",
                                "\xC3", "\xFF", "\xE4\xB8", "x\r\n"};
  std::string utf8;
  for (int i = 0; utf8.size() < 300'000; ++i) utf8 += pieces[(i * 7 + i / 5) % 8];
  const std::string viaUtf16 =
      Utf16ToText(TextToUtf16(utf8, kCodePageGbk, false), kCodePageGbk, true);
  EXPECT_EQ(Utf8ToLocal(utf8), viaUtf16);

  const std::string local = Utf8ToLocal(utf8) + "\xD6";  // a lead byte cut off at the end
  EXPECT_EQ(LocalToUtf8(local),
            Utf16ToText(TextToUtf16(local, kCodePageGbk, true), kCodePageUtf8, true));
}

}  // namespace
}  // namespace mailvane

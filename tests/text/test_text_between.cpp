#include <gtest/gtest.h>

#include "text/Text.h"

namespace mailvane {
namespace {

// "#引号" in code page 936.
const std::string kQuote = "\x23\xD2\xFD\xBA\xC5";

struct BetweenCase {
  std::string name, text, left, right;
  int start;
  bool ignoreCase;
  std::string expected;
};

TEST(TextBetween, Cases) {
  const BetweenCase cases[] = {
      {"plain", "data=[x]", "[", "]", 1, false, "x"},
      {"placeholder", "<input value=\"abc123\" >", "value=" + kQuote, kQuote, 1, false, "abc123"},
      {"real quotes", "<input value=\"abc123\" >", "value=\"", "\"", 1, false, "abc123"},
      {"placeholder twice", "a=\"\"x\"\"", kQuote + kQuote, kQuote + kQuote, 1, false, "x"},
      {"first left marker", "a[1]b[2]", "[", "]", 1, false, "1"},
      {"right after left", "]x[y]", "[", "]", 1, false, "y"},
      {"adjacent", "[]", "[", "]", 1, false, ""},
      {"no right", "[abc", "[", "]", 1, false, ""},
      {"no left", "abc]", "[", "]", 1, false, ""},
      {"empty text", "", "[", "]", 1, false, ""},
      {"empty left", "abc;d", "", ";", 1, false, "abc"},
      {"empty left ignores start", "abc;d", "", ";", 3, false, "abc"},
      {"empty left, start past end", "abc;d", "", ";", 9, false, ""},
      {"empty left, empty text", "", "", ";", 1, false, ""},
      {"empty right", "[a]", "[", "", 1, false, ""},
      {"multi-byte markers", "<b>x</b>", "<b>", "</b>", 1, false, "x"},
      {"start 3", "[a][b]", "[", "]", 3, false, "b"},
      {"start 0", "[a][b]", "[", "]", 0, false, "a"},
      {"start -5", "[a][b]", "[", "]", -5, false, "a"},
      {"start on last byte", "[a][b]", "[", "]", 6, false, ""},
      {"start past end", "[a][b]", "[", "]", 7, false, ""},
      {"left inside two-byte character", "\x81[x]", "[", "]", 1, false, ""},
      {"right inside two-byte character", "[x\x81]y]", "[", "]", 1, false, "x\x81]y"},
      {"after two-byte character", "\x81[x[y]", "[", "]", 1, false, "y"},
      {"case counts", "<DIV>x</div>", "<div>", "</DIV>", 1, false, ""},
      {"ignore case", "<DIV>x</div>", "<div>", "</DIV>", 1, true, "x"},
      {"ignore case folds A-Z only", "{x}", "[", "]", 1, true, ""},
      {"ignore case on second byte", "\x81\x41x]", "\x81\x61", "]", 1, true, "x"},
      {"second byte exact", "\x81\x41x]", "\x81\x61", "]", 1, false, ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TextBetween(c.text, c.left, c.right, c.start, c.ignoreCase), c.expected) << c.name;
}

TEST(TextBetween, DefaultsAreStartOneAndExactCase) {
  EXPECT_EQ(TextBetween("[a][b]", "[", "]"), "a");
  EXPECT_EQ(TextBetween("[A]", "[a", "]"), "");
}

TEST(TextBetween, LargeTextWithRepetitiveMarkers) {
  // A marker that almost matches everywhere: a byte-by-byte retry at every
  // position would take hours on this text.
  const std::string marker = std::string(5000, 'a') + "b";
  std::string text(10'000'000, 'a');
  text += "b<piece>";
  text += marker;
  EXPECT_EQ(TextBetween(text, marker, marker), "<piece>");
}

}  // namespace
}  // namespace mailvane

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "text/Text.h"
#include "web/Cookies.h"

namespace mailvane {
namespace {

struct MergeCase {
  std::string name, oldCookies, newCookies, expected;
};

TEST(MergeCookies, Cases) {
  const MergeCase cases[] = {
      {"new value wins, old kept", "a=1; b=2", "a=3; c=4", "a=3; c=4; b=2"},
      {"deleted by the response", "a=1; b=2", "b=deleted", "a=1"},
      {"spaces and trailing separator", "a = 1;b=2;", "", "a=1; b=2"},
      {"exact repeats dropped", "", "a=1; a=1; c=2", "a=1; c=2"},
      {"one name twice in a response", "", "a=1; a=2", "a=1; a=2"},
      {"one name twice held", "a=1; a=2", "", "a=1"},
      {"pair without value", "x; a=1", "x=5", "x=5; a=1"},
      {"both empty", "", "", ""},
      {"held deletion dropped", "a=deleted; b=2", "", "b=2"},
      {"marker case counts", "a=DELETED", "", "a=DELETED"},
      {"value holds =", "a=b=c; a=x", "", "a=b=c"},
      {"empty piece survives once", "a=1;;b=2", "", "a=1; ; b=2"},
      {"leading empty piece", ";a=1;;b=2", "", "; a=1; b=2"},
      {"empty piece at the end goes", "a=1;;", "", "a=1"},
      {"full-width spaces", "a\xA1\xA1=1", "", "a=1"},
      {"0xA1 0xA1 inside characters stays", "n=\xB0\xA1\xA1\xB0", "", "n=\xB0\xA1\xA1\xB0"},
      {"names compare exactly", "A=1", "a=2", "a=2; A=1"},
  };
  for (const auto& c : cases) {
    std::string oldCookies = c.oldCookies;
    std::string newCookies = c.newCookies;
    EXPECT_EQ(MergeCookies(oldCookies, newCookies), c.expected) << c.name;
    EXPECT_EQ(oldCookies, c.expected) << c.name;
  }
}

TEST(MergeCookies, RewritesNewCookiesWithoutSpaces) {
  std::string oldCookies = "a=1";
  std::string newCookies = " b = 2 ;\xA1\xA1" "c=3 ";
  EXPECT_EQ(MergeCookies(oldCookies, newCookies), "b=2; c=3; a=1");
  EXPECT_EQ(newCookies, "b=2;c=3");
  EXPECT_EQ(oldCookies, "b=2; c=3; a=1");
}

TEST(MergeCookies, WrittenFormIsStable) {
  std::string cookies = "a=1; b=2; c=x=y";
  std::string same = cookies;
  EXPECT_EQ(MergeCookies(cookies, same), "a=1; b=2; c=x=y");

  // A name set twice by one response: the next merge keeps the first.
  std::string held;
  std::string response = "a=1; a=2";
  MergeCookies(held, response);
  std::string nothing;
  EXPECT_EQ(MergeCookies(held, nothing), "a=1");
}

TEST(MergeCookies, ManyCookies) {
  std::string oldCookies;
  std::string newCookies;
  for (int i = 0; i < 200'000; ++i) {
    oldCookies += "n" + std::to_string(i) + "=old;";
    if (i % 2 == 0) newCookies += "n" + std::to_string(i) + "=new;";
  }
  const std::string merged = MergeCookies(oldCookies, newCookies);
  EXPECT_EQ(merged.substr(0, 18), "n0=new; n2=new; n4");
  EXPECT_NE(merged.find("; n1=old; n3=old"), std::string::npos);
  EXPECT_EQ(merged.find("n0=old"), std::string::npos);
}

TEST(CookiesFromHeaders, Cases) {
  const struct {
    std::string name, headers, expected;
  } cases[] = {
      {"first pair of each line",
       "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/; HttpOnly\r\nContent-Type: text/html\r\n"
       "Set-Cookie: b=2\r\n\r\n",
       "a=1; b=2"},
      {"no final line break", "Set-Cookie: a=1; path=/", "a=1"},
      {"no Set-Cookie", "Content-Type: text/html\r\n", ""},
      {"empty", "", ""},
      {"without attributes", "Set-Cookie: a=1\r\n", "a=1"},
      {"name case counts", "set-cookie: a=1\r\n", ""},
      {"other header with ; counts empty", "Set-Cookie: a=1\r\nX-Note: Set-Cookie; x\r\nSet-Cookie: b=2",
       "a=1; ; b=2"},
      {"other header without ; counts whole", "X-Info:  no Set-Cookie here \r\n",
       "X-Info:  no Set-Cookie here"},
      {"prefix removed in any case", "Set-Cookie: SET-COOKIE:x\r\n", "x"},
      {"value keeps =", "Set-Cookie: t=a=b; Path=/\r\n", "t=a=b"},
      {"full-width spaces trimmed", "Set-Cookie:\xA1\xA1" "a=1\xA1\xA1;\r\n", "a=1"},
  };
  for (const auto& c : cases) EXPECT_EQ(CookiesFromHeaders(c.headers), c.expected) << c.name;
}


// The merge written out step by step, slowly, as the reference for texts
// the tables do not reach: stray lead bytes that swallow a separator,
// empty pieces, repeats, deletion markers.
std::string MergeStepByStep(std::string oldCookies, std::string newCookies) {
  oldCookies = RemoveSpaces(oldCookies);
  newCookies = RemoveSpaces(newCookies);
  auto nameOf = [](std::string_view pair) {
    const int at = FindText(pair, "=");
    return TrimSpaces(at < 1 ? pair : pair.substr(0, at - 1));
  };
  std::vector<std::string> merged;
  for (std::string_view p : SplitText(newCookies, ";")) merged.emplace_back(p);
  for (std::string_view p : SplitText(oldCookies, ";")) {
    bool taken = false;
    for (const std::string& m : merged) taken = taken || nameOf(m) == nameOf(p);
    if (!taken) merged.emplace_back(p);
  }
  std::string joined;
  for (const std::string& p : merged)
    if (!(p.size() >= 8 && p.compare(p.size() - 8, 8, "=deleted") == 0)) joined += p + "; ";
  if (!joined.empty()) joined.resize(joined.size() - 2);
  std::vector<std::string> kept;
  for (std::string_view p : SplitText(joined, "; "))
    if (std::find(kept.begin(), kept.end(), p) == kept.end()) kept.emplace_back(p);
  std::string result;
  for (size_t i = 0; i < kept.size(); ++i) result += (i == 0 ? "" : "; ") + kept[i];
  return result;
}

TEST(MergeCookies, AgreesWithTheStepsOnRandomTexts) {
  // Few distinct bytes, so names repeat, separators meet lead bytes, and
  // pieces end in half a character.
  const char alphabet[] = {'a', 'b', '=', ';', ' ', '1', '\xd6', '\xd0', '\xa1'};
  std::mt19937 random(20261211);
  for (int round = 0; round < 20000; ++round) {
    std::string texts[2];
    for (std::string& t : texts) {
      const int length = static_cast<int>(random() % 14);
      for (int i = 0; i < length; ++i) t += alphabet[random() % sizeof alphabet];
      if (random() % 4 == 0) t += "=deleted";
    }
    std::string held = texts[0], fresh = texts[1];
    const std::string expected = MergeStepByStep(texts[0], texts[1]);
    ASSERT_EQ(MergeCookies(held, fresh), expected) << "old: " << texts[0] << " new: " << texts[1];
    ASSERT_EQ(held, expected);
  }
}

}  // namespace
}  // namespace mailvane

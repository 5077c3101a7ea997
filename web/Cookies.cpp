#include "web/Cookies.h"

#include <unordered_set>
#include <vector>

#include "text/Text.h"

namespace mailvane {

namespace {

constexpr std::string_view kDeletionMarker = "=deleted";

// The text of a piece before its first "="; the whole piece without one.
std::string_view CookieName(std::string_view pair) {
  return pair.substr(0, pair.find('='));
}

bool IsDeletion(std::string_view pair) {
  return pair.size() >= kDeletionMarker.size() &&
         pair.substr(pair.size() - kDeletionMarker.size()) == kDeletionMarker;
}

// Pieces joined by "; ".
std::string JoinCookies(const std::vector<std::string_view>& pairs) {
  std::string joined;
  for (size_t i = 0; i < pairs.size(); ++i) {
    if (i > 0) joined.append("; ");
    joined.append(pairs[i]);
  }
  return joined;
}

}  // namespace

std::string CookiesFromHeaders(std::string_view headers) {
  std::string cookies;
  for (std::string_view line : SplitText(headers, "\r\n")) {
    if (FindText(line, "Set-Cookie") < 0) continue;
    // The first name=value only: attributes after the first ";" are dropped.
    const std::string pair = FindText(line, ";") < 0
                                 ? TrimSpaces(ReplaceText(line, "Set-Cookie:", "", true))
                                 : TrimSpaces(TextBetween(line, "Set-Cookie:", ";"));
    cookies.append(pair).append("; ");
  }
  if (!cookies.empty()) cookies.resize(cookies.size() - 2);
  return cookies;
}

std::string MergeCookies(std::string& oldCookies, std::string& newCookies) {
  oldCookies = RemoveSpaces(oldCookies);
  newCookies = RemoveSpaces(newCookies);

  // The latest response's pairs first, all of them; then every held pair
  // whose name is not taken yet.
  std::vector<std::string_view> merged = SplitText(newCookies, ";");
  std::unordered_set<std::string_view> names;
  for (std::string_view pair : merged) names.insert(CookieName(pair));
  for (std::string_view pair : SplitText(oldCookies, ";"))
    if (names.insert(CookieName(pair)).second) merged.push_back(pair);

  std::vector<std::string_view> kept;
  for (std::string_view pair : merged)
    if (!IsDeletion(pair)) kept.push_back(pair);
  const std::string joined = JoinCookies(kept);

  // Exact repeats go, the first of each stays where it was.
  std::vector<std::string_view> distinct;
  std::unordered_set<std::string_view> seen;
  for (std::string_view pair : SplitText(joined, "; "))
    if (seen.insert(pair).second) distinct.push_back(pair);

  oldCookies = JoinCookies(distinct);
  return oldCookies;
}

}  // namespace mailvane

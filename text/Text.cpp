#include "text/Text.h"

#include <algorithm>

#include "text/MarkerSearch.h"

namespace mailvane {

namespace {

constexpr unsigned char kFullWidthSpaceByte = 0xA1;

// Byte length of the space (ASCII or full-width) that begins at i, or 0.
size_t SpaceLength(std::string_view text, size_t i) {
  const auto byte = static_cast<unsigned char>(text[i]);
  if (byte == 0x20) return 1;
  if (byte == kFullWidthSpaceByte && i + 1 < text.size() &&
      static_cast<unsigned char>(text[i + 1]) == kFullWidthSpaceByte)
    return 2;
  return 0;
}

// Byte length of the character that begins at i, cut at the end of text.
size_t CharLengthAt(std::string_view text, size_t i) {
  return std::min(CharLength(static_cast<unsigned char>(text[i])), text.size() - i);
}

}  // namespace

std::string AnswerText(std::string_view bytes) {
  return std::string(bytes.substr(0, bytes.find('\0')));
}

int FindText(std::string_view text, std::string_view marker, int startPosition, bool ignoreCase) {
  const size_t from = startPosition < 1 ? 0 : static_cast<size_t>(startPosition) - 1;
  if (from >= text.size()) return -1;
  if (marker.empty()) return 1;
  const size_t at = MarkerSearch(marker, ignoreCase).Next(text, from);
  return at == MarkerSearch::npos ? -1 : static_cast<int>(at + 1);
}

std::string ReplaceText(std::string_view text, std::string_view from, std::string_view to,
                        bool ignoreCase) {
  if (from.empty() || text.empty()) return std::string(text);
  const MarkerSearch search(from, ignoreCase);
  std::string result;
  result.reserve(text.size());
  size_t pos = 0;
  for (size_t at; (at = search.Next(text, pos)) != MarkerSearch::npos; pos = at + from.size()) {
    result.append(text.substr(pos, at - pos));
    result.append(to);
  }
  result.append(text.substr(pos));
  return result;
}

std::string TrimSpaces(std::string_view text) {
  size_t begin = std::string_view::npos;
  size_t end = 0;
  for (size_t i = 0; i < text.size();) {
    if (const size_t space = SpaceLength(text, i)) {
      i += space;
      continue;
    }
    if (begin == std::string_view::npos) begin = i;
    i += CharLengthAt(text, i);
    end = i;
  }
  if (begin == std::string_view::npos) return {};
  return std::string(text.substr(begin, end - begin));
}

std::string RemoveSpaces(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    if (const size_t space = SpaceLength(text, i)) {
      i += space;
      continue;
    }
    const size_t length = CharLengthAt(text, i);
    result.append(text.substr(i, length));
    i += length;
  }
  return result;
}

std::vector<std::string_view> SplitText(std::string_view text, std::string_view separator) {
  std::vector<std::string_view> pieces;
  if (text.empty()) return pieces;
  if (separator.empty()) return {text};
  const MarkerSearch search(separator, false);
  size_t pos = 0;
  for (size_t at; (at = search.Next(text, pos)) != MarkerSearch::npos;
       pos = at + separator.size())
    pieces.push_back(text.substr(pos, at - pos));
  if (pos < text.size()) pieces.push_back(text.substr(pos));
  return pieces;
}

}  // namespace mailvane

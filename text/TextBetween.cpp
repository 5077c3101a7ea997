#include "text/Text.h"

namespace mailvane {

namespace {

// "#引号" in code page 936: markers spell a double quote this way.
constexpr std::string_view kQuotePlaceholder = "\x23\xD2\xFD\xBA\xC5";

}  // namespace

std::string TextBetween(std::string_view text, std::string_view leftMarker,
                        std::string_view rightMarker, int startPosition, bool ignoreCase) {
  const std::string left = ReplaceText(leftMarker, kQuotePlaceholder, "\"");
  const std::string right = ReplaceText(rightMarker, kQuotePlaceholder, "\"");
  const int leftAt = FindText(text, left, startPosition, ignoreCase);
  if (leftAt < 0) return {};
  const long long pieceStart = static_cast<long long>(leftAt) + static_cast<long long>(left.size());
  if (pieceStart > static_cast<long long>(text.size())) return {};
  const int rightAt = FindText(text, right, static_cast<int>(pieceStart), ignoreCase);
  // An empty right marker is found at 1, before the piece: nothing between.
  if (rightAt <= pieceStart) return {};
  return std::string(text.substr(static_cast<size_t>(pieceStart - 1),
                                 static_cast<size_t>(rightAt - pieceStart)));
}

}  // namespace mailvane

#include "text/MarkerSearch.h"

namespace mailvane {

MarkerSearch::MarkerSearch(std::string_view marker, bool ignoreCase)
    : ignoreCase_(ignoreCase), border_(marker.size(), 0) {
  marker_.reserve(marker.size());
  for (char byte : marker) marker_.push_back(static_cast<char>(Fold(byte)));
  for (size_t i = 1, k = 0; i < marker_.size(); ++i) {
    while (k > 0 && marker_[i] != marker_[k]) k = border_[k - 1];
    if (marker_[i] == marker_[k]) ++k;
    border_[i] = k;
  }
}

unsigned char MarkerSearch::Fold(char byte) const {
  const auto c = static_cast<unsigned char>(byte);
  return ignoreCase_ && c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

size_t MarkerSearch::Next(std::string_view text, size_t from) const {
  const size_t length = marker_.size();
  size_t matched = 0;
  size_t charStart = from;  // walks the characters, never past a match start
  for (size_t j = from; j < text.size(); ++j) {
    const char c = static_cast<char>(Fold(text[j]));
    while (matched > 0 && marker_[matched] != c) matched = border_[matched - 1];
    if (marker_[matched] == c) ++matched;
    if (matched < length) continue;
    const size_t start = j + 1 - length;
    while (charStart < start) charStart += CharLength(static_cast<unsigned char>(text[charStart]));
    if (charStart == start) return start;
    matched = border_[length - 1];
  }
  return npos;
}

}  // namespace mailvane

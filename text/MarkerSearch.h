#pragma once
// The search under FindText, ReplaceText and SplitText: Knuth-Morris-Pratt over
// bytes (A-Z folded when case is ignored), so a search stays linear in the
// text whatever the marker, and a match counts only where a character begins.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace mailvane {

// Length of the character whose first byte is lead: two from 0x80 up.
inline size_t CharLength(unsigned char lead) { return lead >= 0x80 ? 2 : 1; }

class MarkerSearch {
 public:
  static constexpr size_t npos = std::string_view::npos;

  // marker must not be empty.
  MarkerSearch(std::string_view marker, bool ignoreCase);

  // 0-based index of the first match at or after from that begins a character,
  // characters being counted from from; npos when there is none.
  size_t Next(std::string_view text, size_t from) const;

 private:
  unsigned char Fold(char byte) const;

  bool ignoreCase_;
  std::string marker_;          // folded
  std::vector<size_t> border_;  // border_[i]: longest proper border of marker_[0..i]
};

}  // namespace mailvane

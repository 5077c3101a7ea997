#include <cstdlib>

#include "FuzzInput.h"
#include "text/Text.h"

// Text, two markers, a start position and the case flag from one input.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto p = SplitFuzzInput(data, size, 4);
  const int start = p[3].empty() ? 1 : static_cast<signed char>(p[3][0]);
  const bool ignoreCase = p[3].size() > 1 && (p[3][1] & 1);
  const std::string piece = mailvane::TextBetween(p[0], p[1], p[2], start, ignoreCase);
  if (piece.size() > p[0].size()) std::abort();
  const int at = mailvane::FindText(p[0], p[1], start, ignoreCase);
  if (at != -1 && (at < 1 || static_cast<size_t>(at) > p[0].size() + 1)) std::abort();
  mailvane::TrimSpaces(p[0]);
  mailvane::ReplaceText(p[0], p[1], p[2], ignoreCase);
  return 0;
}

#pragma once
// Splits one fuzz input into pieces at 0xFF 0x00 pairs, so a single byte
// string can drive a routine that takes several texts.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

inline std::vector<std::string> SplitFuzzInput(const uint8_t* data, size_t size, size_t pieces) {
  std::vector<std::string> out(pieces);
  size_t piece = 0;
  for (size_t i = 0; i < size; ++i) {
    if (piece + 1 < pieces && data[i] == 0xFF && i + 1 < size && data[i + 1] == 0x00) {
      ++piece;
      ++i;
      continue;
    }
    out[piece].push_back(static_cast<char>(data[i]));
  }
  return out;
}

// A minimal PNG writer: 8-bit RGB, one IDAT of stored (uncompressed) deflate
// blocks, so no compression library is needed.
#include <algorithm>
#include <array>
#include <cstdint>

#include "tools/standin/StandInParts.h"

namespace mailvane::standin {

namespace {

constexpr int kWidth = 120;
constexpr int kHeight = 35;

// 5 by 7 digits, one row per byte, the top bit of five the left pixel.
constexpr std::array<std::array<std::uint8_t, 7>, 10> kDigits = {{
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E},  // 0
    {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},  // 1
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F},  // 2
    {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},  // 3
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02},  // 4
    {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},  // 5
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E},  // 6
    {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},  // 7
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E},  // 8
    {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},  // 9
}};

std::uint32_t Crc32(std::string_view bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char b : bytes) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

std::uint32_t Adler32(std::string_view bytes) {
  std::uint32_t a = 1, b = 0;
  for (unsigned char c : bytes) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

void PutBigEndian(std::string& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

void PutChunk(std::string& out, std::string_view type, std::string_view data) {
  PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
  std::string typed(type);
  typed += data;
  out += typed;
  PutBigEndian(out, Crc32(typed));
}

std::string StoredZlib(std::string_view raw) {
  std::string out = "\x78\x01";
  std::size_t pos = 0;
  do {
    const std::size_t len = std::min<std::size_t>(65535, raw.size() - pos);
    const bool last = pos + len == raw.size();
    out += static_cast<char>(last ? 1 : 0);
    out += static_cast<char>(len & 0xFF);
    out += static_cast<char>(len >> 8);
    out += static_cast<char>(~len & 0xFF);
    out += static_cast<char>((~len >> 8) & 0xFF);
    out.append(raw.substr(pos, len));
    pos += len;
  } while (pos < raw.size());
  PutBigEndian(out, Adler32(raw));
  return out;
}

}  // namespace

std::string CaptchaPng(std::string_view digits) {
  std::array<std::array<std::array<std::uint8_t, 3>, kWidth>, kHeight> pixels{};
  for (auto& row : pixels) row.fill({0xF2, 0xF4, 0xF7});
  // A few faint lines so that it looks like what it is.
  for (int x = 0; x < kWidth; ++x) {
    pixels[(x * 7 / 23 + 5) % kHeight][x] = {0xB8, 0xC4, 0xD8};
    pixels[(kHeight - 1 - x / 5 % kHeight)][x] = {0xD0, 0xB8, 0xC8};
  }
  constexpr int kScale = 4;
  const int left = (kWidth - static_cast<int>(digits.size()) * 6 * kScale) / 2;
  for (std::size_t d = 0; d < digits.size(); ++d) {
    if (digits[d] < '0' || digits[d] > '9') continue;
    const auto& glyph = kDigits[digits[d] - '0'];
    const int dy = (d % 2 == 0) ? 2 : 5;
    for (int gy = 0; gy < 7; ++gy) {
      for (int gx = 0; gx < 5; ++gx) {
        if (!(glyph[gy] & (0x10 >> gx))) continue;
        for (int sy = 0; sy < kScale; ++sy) {
          for (int sx = 0; sx < kScale; ++sx) {
            const int x = left + static_cast<int>(d) * 6 * kScale + gx * kScale + sx;
            const int y = dy + gy * kScale + sy;
            if (x >= 0 && x < kWidth && y >= 0 && y < kHeight) pixels[y][x] = {0x20, 0x3A, 0x78};
          }
        }
      }
    }
  }
  std::string raw;
  raw.reserve(kHeight * (1 + kWidth * 3));
  for (const auto& row : pixels) {
    raw += '\0';  // filter: none
    for (const auto& px : row) raw.append(reinterpret_cast<const char*>(px.data()), 3);
  }
  std::string png = "\x89PNG\r\n\x1a\n";
  std::string header;
  PutBigEndian(header, kWidth);
  PutBigEndian(header, kHeight);
  header += std::string("\x08\x02\x00\x00\x00", 5);  // 8-bit RGB, no interlace
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", StoredZlib(raw));
  PutChunk(png, "IEND", {});
  return png;
}

}  // namespace mailvane::standin

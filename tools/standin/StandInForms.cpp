#include <algorithm>
#include <cctype>

#include "tools/standin/StandInParts.h"

namespace mailvane::standin {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string_view TrimSpaces(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

}  // namespace

std::string FormDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '+') {
      out += ' ';
    } else if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

Pairs ParseForm(std::string_view body) {
  Pairs pairs;
  std::size_t start = 0;
  while (start <= body.size()) {
    std::size_t end = body.find('&', start);
    if (end == std::string_view::npos) end = body.size();
    const std::string_view field = body.substr(start, end - start);
    if (!field.empty()) {
      const std::size_t eq = field.find('=');
      if (eq == std::string_view::npos) {
        pairs.emplace_back(FormDecode(field), "");
      } else {
        pairs.emplace_back(FormDecode(field.substr(0, eq)), FormDecode(field.substr(eq + 1)));
      }
    }
    start = end + 1;
  }
  return pairs;
}

Pairs ParseArg(std::string_view arg) {
  static const std::vector<std::string> keys = {"d", "f", "t", "r", "p", "s", "yzm", "at"};
  auto startsPair = [&](std::size_t pos) {
    return std::any_of(keys.begin(), keys.end(), [&](const std::string& key) {
      return arg.substr(pos, key.size() + 1) == key + "=";
    });
  };
  Pairs pairs;
  std::size_t start = 0;
  while (start < arg.size()) {
    std::size_t end = start;
    for (;;) {
      end = arg.find('_', end);
      if (end == std::string_view::npos || startsPair(end + 1)) break;
      ++end;
    }
    if (end == std::string_view::npos) end = arg.size();
    const std::string_view piece = arg.substr(start, end - start);
    const std::size_t eq = piece.find('=');
    if (eq == std::string_view::npos) {
      pairs.emplace_back(std::string(piece), "");
    } else {
      pairs.emplace_back(std::string(piece.substr(0, eq)), std::string(piece.substr(eq + 1)));
    }
    start = end + 1;
  }
  return pairs;
}

Pairs ParseCookieHeader(std::string_view header) {
  Pairs pairs;
  std::size_t start = 0;
  while (start < header.size()) {
    std::size_t end = header.find(';', start);
    if (end == std::string_view::npos) end = header.size();
    const std::string_view item = TrimSpaces(header.substr(start, end - start));
    const std::size_t eq = item.find('=');
    if (eq != std::string_view::npos) {
      pairs.emplace_back(std::string(TrimSpaces(item.substr(0, eq))),
                         std::string(TrimSpaces(item.substr(eq + 1))));
    }
    start = end + 1;
  }
  return pairs;
}

std::string Find(const Pairs& pairs, std::string_view key) {
  for (const auto& [name, value] : pairs) {
    if (name == key) return value;
  }
  return {};
}

}  // namespace mailvane::standin

#include "text/Escapes.h"

#include "text/CodePage.h"

namespace mailvane {

namespace {

// Stand-ins while the text is decoded: "{$}" for CR LF, "’" (0xA1 0xAF) for
// the apostrophe. Both are turned back afterwards, so a genuine "{$}" or "’"
// in the answer comes out as CR LF or an apostrophe.
constexpr std::string_view kLineBreakStandIn = "{$}";
constexpr std::string_view kApostropheStandIn = "\xA1\xAF";

int HexValue(char16_t unit) {
  if (unit >= u'0' && unit <= u'9') return unit - u'0';
  if (unit >= u'a' && unit <= u'f') return unit - u'a' + 10;
  if (unit >= u'A' && unit <= u'F') return unit - u'A' + 10;
  return -1;
}

// The value of count hex digits at text[at], or -1 when they are not all there.
int HexAt(std::u16string_view text, size_t at, size_t count) {
  if (at + count > text.size()) return -1;
  int value = 0;
  for (size_t i = at; i < at + count; ++i) {
    const int digit = HexValue(text[i]);
    if (digit < 0) return -1;
    value = value * 16 + digit;
  }
  return value;
}

bool IsOctal(char16_t unit) { return unit >= u'0' && unit <= u'7'; }

// The escapes of a JScript string literal. Where the literal would not
// compile (a raw line break, a trailing lone backslash) the characters pass
// through unchanged instead of the whole text being lost.
std::u16string DecodeLiteralEscapes(std::u16string_view text) {
  std::u16string result;
  result.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const char16_t unit = text[i++];
    if (unit != u'\\' || i == text.size()) {
      result.push_back(unit);
      continue;
    }
    const char16_t escaped = text[i++];
    switch (escaped) {
      case u'b': result.push_back(u'\b'); break;
      case u'f': result.push_back(u'\f'); break;
      case u'n': result.push_back(u'\n'); break;
      case u'r': result.push_back(u'\r'); break;
      case u't': result.push_back(u'\t'); break;
      case u'x':
      case u'u': {
        const size_t digits = escaped == u'x' ? 2 : 4;
        const int value = HexAt(text, i, digits);
        if (value < 0) {
          result.push_back(escaped);
        } else {
          result.push_back(static_cast<char16_t>(value));
          i += digits;
        }
        break;
      }
      default:
        if (IsOctal(escaped)) {
          // Up to three digits from 0-3 (at most \377), up to two from 4-7.
          int value = escaped - u'0';
          const size_t maxDigits = escaped <= u'3' ? 3 : 2;
          for (size_t digits = 1; digits < maxDigits && i < text.size() && IsOctal(text[i]);
               ++digits)
            value = value * 8 + (text[i++] - u'0');
          result.push_back(static_cast<char16_t>(value));
        } else {
          result.push_back(escaped);  // \' \" \\ \/ \v and any other character
        }
    }
  }
  return result;
}

// The script language's unescape(): %uXXXX and %XX; any other % stays.
std::u16string Unescape(std::u16string_view text) {
  std::u16string result;
  result.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] == u'%') {
      if (i + 1 < text.size() && text[i + 1] == u'u') {
        if (const int value = HexAt(text, i + 2, 4); value >= 0) {
          result.push_back(static_cast<char16_t>(value));
          i += 6;
          continue;
        }
      }
      if (const int value = HexAt(text, i + 1, 2); value >= 0) {
        result.push_back(static_cast<char16_t>(value));
        i += 3;
        continue;
      }
    }
    result.push_back(text[i++]);
  }
  return result;
}

}  // namespace

std::string DecodeEscapes(std::string_view text) {
  std::string prepared = ReplaceText(AnswerText(text), "\r\n", kLineBreakStandIn);
  if (!prepared.empty() && prepared.front() == '\r') prepared.erase(0, 1);
  prepared = ReplaceText(prepared, "\\u", "%u");
  prepared = ReplaceText(prepared, "'", kApostropheStandIn);

  std::u16string decoded = Unescape(DecodeLiteralEscapes(DecodeCodePage(prepared, kCodePageGbk)));
  if (const size_t zero = decoded.find(u'\0'); zero != std::u16string::npos) decoded.resize(zero);

  const std::string local = EncodeCodePage(decoded, kCodePageGbk);
  return ReplaceText(ReplaceText(local, kApostropheStandIn, "'"), kLineBreakStandIn, "\r\n");
}

std::string BytesToText(std::string_view utf16) {
  return Utf16ToText(utf16, kCodePageGbk, true);
}

}  // namespace mailvane

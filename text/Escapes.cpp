#include "text/Escapes.h"

#include <algorithm>

#include "text/CodePage.h"
#include "text/MarkerSearch.h"

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
// Works in place: the decoded text is never longer than its escapes.
void DecodeLiteralEscapes(std::u16string& text) {
  char16_t* out = text.data();
  auto push = [&out](char16_t unit) { *out++ = unit; };
  size_t i = 0;
  while (i < text.size()) {
    const char16_t unit = text[i++];
    if (unit != u'\\' || i == text.size()) {
      push(unit);
      continue;
    }
    const char16_t escaped = text[i++];
    switch (escaped) {
      case u'b': push(u'\b'); break;
      case u'f': push(u'\f'); break;
      case u'n': push(u'\n'); break;
      case u'r': push(u'\r'); break;
      case u't': push(u'\t'); break;
      case u'x':
      case u'u': {
        const size_t digits = escaped == u'x' ? 2 : 4;
        const int value = HexAt(text, i, digits);
        if (value < 0) {
          push(escaped);
        } else {
          push(static_cast<char16_t>(value));
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
          push(static_cast<char16_t>(value));
        } else {
          push(escaped);  // \' \" \\ \/ \v and any other character
        }
    }
  }
  text.resize(static_cast<size_t>(out - text.data()));
}

// The script language's unescape(): %uXXXX and %XX; any other % stays.
// In place as well, for the same reason.
void Unescape(std::u16string& text) {
  char16_t* out = text.data();
  auto push = [&out](char16_t unit) { *out++ = unit; };
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] == u'%') {
      if (i + 1 < text.size() && text[i + 1] == u'u') {
        if (const int value = HexAt(text, i + 2, 4); value >= 0) {
          push(static_cast<char16_t>(value));
          i += 6;
          continue;
        }
      }
      if (const int value = HexAt(text, i + 1, 2); value >= 0) {
        push(static_cast<char16_t>(value));
        i += 3;
        continue;
      }
    }
    push(text[i++]);
  }
  text.resize(static_cast<size_t>(out - text.data()));
}

// The answer up to its first zero byte with the stand-ins put in, one walk
// over its characters: CR LF becomes "{$}" (a CR left at the very start is
// dropped), "\\u" becomes "%u" for Unescape, the apostrophe "’".
std::string PrepareForDecoding(std::string_view answer) {
  std::string_view text = answer.substr(0, answer.find('\0'));
  if (!text.empty() && text.front() == '\r' && text.substr(0, 2) != "\r\n") text.remove_prefix(1);
  std::string prepared;
  prepared.reserve(text.size() + text.size() / 8);
  for (size_t i = 0; i < text.size();) {
    const char byte = text[i];
    const std::string_view pair = text.substr(i, 2);
    if (pair == "\r\n") {
      prepared.append(kLineBreakStandIn);
      i += 2;
    } else if (pair == "\\u") {
      prepared.append("%u");
      i += 2;
    } else if (byte == '\'') {
      prepared.append(kApostropheStandIn);
      ++i;
    } else {
      const size_t length = std::min(CharLength(static_cast<unsigned char>(byte)), text.size() - i);
      prepared.append(text.substr(i, length));
      i += length;
    }
  }
  return prepared;
}

// The stand-ins turned back, in place: "’" to the apostrophe, "{$}" to CR LF.
// Both are whole characters, so one walk finds what two searches would.
void RestoreStandIns(std::string& text) {
  const std::string_view view = text;
  size_t out = 0;
  for (size_t i = 0; i < view.size();) {
    if (view.substr(i, kApostropheStandIn.size()) == kApostropheStandIn) {
      text[out++] = '\'';
      i += kApostropheStandIn.size();
    } else if (view.substr(i, kLineBreakStandIn.size()) == kLineBreakStandIn) {
      text[out++] = '\r';
      text[out++] = '\n';
      i += kLineBreakStandIn.size();
    } else {
      const size_t length =
          std::min(CharLength(static_cast<unsigned char>(view[i])), view.size() - i);
      for (size_t k = 0; k < length; ++k) text[out++] = view[i + k];
      i += length;
    }
  }
  text.resize(out);
}

// Plain ASCII with nothing that an escape, a stand-in or the cut at a zero
// byte would touch comes out as it went in: most senders of an inbox.
bool NothingToDecode(std::string_view text) {
  for (const char byte : text) {
    const auto c = static_cast<unsigned char>(byte);
    if (c == 0 || c >= 0x80 || c == '\\' || c == '%' || c == '\'' || c == '\r' || c == '{')
      return false;
  }
  return true;
}

}  // namespace

std::string DecodeEscapes(std::string_view text) {
  if (NothingToDecode(text)) return std::string(text);
  std::u16string decoded = DecodeCodePage(PrepareForDecoding(text), kCodePageGbk);
  DecodeLiteralEscapes(decoded);
  Unescape(decoded);
  if (const size_t zero = decoded.find(u'\0'); zero != std::u16string::npos) decoded.resize(zero);

  std::string local = EncodeCodePage(decoded, kCodePageGbk);
  RestoreStandIns(local);
  return local;
}

std::string BytesToText(std::string_view utf16) {
  return Utf16ToText(utf16, kCodePageGbk, true);
}

}  // namespace mailvane

#include "text/CodePage.h"

#include <unicode/ucnv.h>

#include <array>
#include <vector>
#include <cstdint>
#include <memory>

namespace mailvane {

namespace {

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

// ICU's windows-936 is the Windows table (0x80 is the euro sign).
Converter OpenConverter(int codePage) {
  std::string name;
  if (codePage == kCodePageGbk) name = "windows-936";
  else if (codePage == kCodePageUtf8) name = "UTF-8";
  else name = "windows-" + std::to_string(codePage);
  UErrorCode status = U_ZERO_ERROR;
  Converter converter(ucnv_open(name.c_str(), &status));
  if (U_FAILURE(status)) return nullptr;
  // With "?" as substitute, bytes that cannot be decoded give U+FFFD.
  ucnv_setSubstChars(converter.get(), "?", 1, &status);
  if (U_FAILURE(status)) return nullptr;
  return converter;
}

// Opening a converter costs far more than a short conversion, so each thread
// keeps its own (converters hold state and are not shared between threads).
// Every use starts from a reset, so a failed conversion leaves nothing behind.
// Entries are never evicted, so a converter handed out stays open while the
// caller asks for a second one; a thread meets only a few code pages.
UConverter* CachedConverter(int codePage) {
  struct Entry {
    int codePage = 0;
    Converter converter;
  };
  thread_local std::vector<Entry> cache;
  for (Entry& entry : cache) {
    if (entry.codePage == codePage) {
      ucnv_reset(entry.converter.get());
      return entry.converter.get();
    }
  }
  Converter opened = OpenConverter(codePage);
  if (!opened) return nullptr;
  cache.push_back(Entry{codePage, std::move(opened)});
  return cache.back().converter.get();
}

// Conversions write through a small buffer that stays in cache and append
// from it, so a large text is walked once and no output is zero-filled first.
constexpr size_t kChunkUnits = 8192;

std::string_view UpToZero(std::string_view text) { return text.substr(0, text.find('\0')); }

// ASCII is the same in the local code page and in UTF-8.
bool IsAscii(std::string_view text) {
  for (const char byte : text)
    if (static_cast<unsigned char>(byte) >= 0x80) return false;
  return true;
}

// bytes in one converter's code page -> bytes in another's, in one pass.
std::string ConvertBytes(std::string_view bytes, int fromCodePage, int toCodePage,
                         size_t expectedSize) {
  if (bytes.empty() || bytes.size() > INT32_MAX) return {};
  UConverter* from = CachedConverter(fromCodePage);
  UConverter* to = CachedConverter(toCodePage);
  if (!from || !to) return {};
  std::string result;
  result.reserve(expectedSize);
  std::array<char, kChunkUnits * 2> chunk;
  std::array<UChar, kChunkUnits> pivot;
  UChar* pivotSource = pivot.data();
  UChar* pivotTarget = pivot.data();
  const char* source = bytes.data();
  const char* const sourceEnd = bytes.data() + bytes.size();
  bool first = true;
  for (;;) {
    UErrorCode status = U_ZERO_ERROR;
    char* target = chunk.data();
    ucnv_convertEx(to, from, &target, chunk.data() + chunk.size(), &source, sourceEnd,
                   pivot.data(), &pivotSource, &pivotTarget, pivot.data() + pivot.size(), first,
                   true, &status);
    first = false;
    result.append(chunk.data(), static_cast<size_t>(target - chunk.data()));
    if (status == U_BUFFER_OVERFLOW_ERROR) continue;
    if (U_FAILURE(status)) return {};
    return result;
  }
}

}  // namespace

std::u16string DecodeCodePage(std::string_view bytes, int codePage) {
  UConverter* converter = CachedConverter(codePage);
  if (!converter || bytes.empty() || bytes.size() > INT32_MAX) return {};
  std::u16string units;
  units.reserve(bytes.size());  // no code page here gives more units than bytes
  std::array<UChar, kChunkUnits> chunk;
  const char* source = bytes.data();
  const char* const sourceEnd = bytes.data() + bytes.size();
  for (;;) {
    UErrorCode status = U_ZERO_ERROR;
    UChar* target = chunk.data();
    ucnv_toUnicode(converter, &target, chunk.data() + chunk.size(), &source, sourceEnd, nullptr,
                   true, &status);
    units.append(chunk.data(), static_cast<size_t>(target - chunk.data()));
    if (status == U_BUFFER_OVERFLOW_ERROR) continue;
    if (U_FAILURE(status)) return {};
    return units;
  }
}

std::string EncodeCodePage(std::u16string_view units, int codePage) {
  UConverter* converter = CachedConverter(codePage);
  if (!converter || units.empty() || units.size() > INT32_MAX / 2) return {};
  std::string bytes;
  bytes.reserve(units.size() * 2);
  std::array<char, kChunkUnits * 2> chunk;
  const UChar* source = units.data();
  const UChar* const sourceEnd = units.data() + units.size();
  for (;;) {
    UErrorCode status = U_ZERO_ERROR;
    char* target = chunk.data();
    ucnv_fromUnicode(converter, &target, chunk.data() + chunk.size(), &source, sourceEnd,
                     nullptr, true, &status);
    bytes.append(chunk.data(), static_cast<size_t>(target - chunk.data()));
    if (status == U_BUFFER_OVERFLOW_ERROR) continue;
    if (U_FAILURE(status)) return {};
    return bytes;
  }
}

Bytes TextToUtf16(std::string_view text, int codePage, bool useCodePage) {
  const std::u16string units =
      DecodeCodePage(UpToZero(text), useCodePage ? codePage : kCodePageUtf8);
  Bytes bytes;
  bytes.resize(units.size() * 2 + 2);
  char* out = bytes.data();
  for (char16_t unit : units) {
    *out++ = static_cast<char>(unit & 0xFF);
    *out++ = static_cast<char>(unit >> 8);
  }
  *out++ = '\0';
  *out = '\0';
  return bytes;
}

std::string Utf16ToText(std::string_view utf16, int codePage, bool useCodePage) {
  std::u16string units;
  units.reserve(utf16.size() / 2);
  for (size_t i = 0; i + 1 < utf16.size(); i += 2) {
    const auto unit = static_cast<char16_t>(static_cast<unsigned char>(utf16[i]) |
                                            static_cast<unsigned char>(utf16[i + 1]) << 8);
    if (unit == u'\0') break;
    units.push_back(unit);
  }
  return EncodeCodePage(units, useCodePage ? codePage : kCodePageGbk);
}

// Both go straight from one code page to the other: decoding to UTF-16 and
// encoding it again gives the same bytes, through a small pivot buffer.
std::string Utf8ToLocal(std::string_view utf8) {
  // Two GBK bytes stand for at most three UTF-8 ones; ASCII stays one byte.
  const std::string_view text = UpToZero(utf8);
  if (IsAscii(text)) return std::string(text);
  return ConvertBytes(text, kCodePageUtf8, kCodePageGbk, text.size());
}

std::string LocalToUtf8(std::string_view local) {
  const std::string_view text = UpToZero(local);
  if (IsAscii(text)) return std::string(text);
  return ConvertBytes(text, kCodePageGbk, kCodePageUtf8, text.size() + text.size() / 2);
}

}  // namespace mailvane

#include "text/CodePage.h"

#include <unicode/ucnv.h>

#include <cstdint>
#include <memory>

namespace mailvane {

namespace {

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

// One converter per call: converters hold state and calls come from several
// threads. ICU's windows-936 is the Windows table (0x80 is the euro sign).
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

}  // namespace

std::u16string DecodeCodePage(std::string_view bytes, int codePage) {
  Converter converter = OpenConverter(codePage);
  if (!converter || bytes.empty() || bytes.size() > INT32_MAX) return {};
  const auto length = static_cast<int32_t>(bytes.size());
  UErrorCode status = U_ZERO_ERROR;
  const int32_t needed = ucnv_toUChars(converter.get(), nullptr, 0, bytes.data(), length, &status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return {};
  std::u16string units(static_cast<size_t>(needed) + 1, u'\0');
  status = U_ZERO_ERROR;
  ucnv_reset(converter.get());
  const int32_t written = ucnv_toUChars(converter.get(), units.data(), needed + 1, bytes.data(),
                                        length, &status);
  if (U_FAILURE(status)) return {};
  units.resize(static_cast<size_t>(written));
  return units;
}

std::string EncodeCodePage(std::u16string_view units, int codePage) {
  Converter converter = OpenConverter(codePage);
  if (!converter || units.empty() || units.size() > INT32_MAX / 2) return {};
  const auto length = static_cast<int32_t>(units.size());
  UErrorCode status = U_ZERO_ERROR;
  const int32_t needed =
      ucnv_fromUChars(converter.get(), nullptr, 0, units.data(), length, &status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return {};
  std::string bytes(static_cast<size_t>(needed) + 1, '\0');
  status = U_ZERO_ERROR;
  ucnv_reset(converter.get());
  const int32_t written =
      ucnv_fromUChars(converter.get(), bytes.data(), needed + 1, units.data(), length, &status);
  if (U_FAILURE(status)) return {};
  bytes.resize(static_cast<size_t>(written));
  return bytes;
}

Bytes TextToUtf16(std::string_view text, int codePage, bool useCodePage) {
  const std::u16string units =
      DecodeCodePage(text.substr(0, text.find('\0')), useCodePage ? codePage : kCodePageUtf8);
  Bytes bytes;
  bytes.reserve(units.size() * 2 + 2);
  for (char16_t unit : units) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  bytes.append(2, '\0');
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

std::string Utf8ToLocal(std::string_view utf8) {
  return Utf16ToText(TextToUtf16(utf8, kCodePageGbk, false), kCodePageGbk, true);
}

std::string LocalToUtf8(std::string_view local) {
  return Utf16ToText(TextToUtf16(local, kCodePageGbk, true), kCodePageUtf8, true);
}

}  // namespace mailvane

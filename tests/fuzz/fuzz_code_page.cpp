#include <cstdlib>

#include "text/CodePage.h"

// Any bytes through every conversion; valid GBK must survive a round trip.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string local = mailvane::Utf8ToLocal(bytes);
  const std::string utf8 = mailvane::LocalToUtf8(local);
  if (mailvane::Utf8ToLocal(utf8) != local) std::abort();
  const mailvane::Bytes wide = mailvane::TextToUtf16(bytes, mailvane::kCodePageGbk, true);
  mailvane::Utf16ToText(wide, mailvane::kCodePageGbk, true);
  mailvane::Utf16ToText(bytes, mailvane::kCodePageGbk, false);
  mailvane::TextToUtf16(bytes, mailvane::kCodePageGbk, false);
  return 0;
}

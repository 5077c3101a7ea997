#include "text/Escapes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  mailvane::DecodeEscapes(text);
  mailvane::BytesToText(text);
  return 0;
}

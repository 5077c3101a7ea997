#pragma once
// Decoding of the escapes that the service's answers carry, done natively:
// the string-literal escapes of the script language and its unescape().
#include <string>
#include <string_view>

#include "text/Text.h"

namespace mailvane {

// An escaped answer (or one field of it) as readable local text.
std::string DecodeEscapes(std::string_view text);

// UTF-16 little-endian bytes as local text (an odd last byte is dropped).
std::string BytesToText(std::string_view utf16);

}  // namespace mailvane

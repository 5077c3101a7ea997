#pragma once
#include <string>
#include <string_view>

namespace mailvane {

// Standard Base64 (RFC 4648) with padding and no line breaks.
std::string Base64Encode(std::string_view bytes);

}  // namespace mailvane

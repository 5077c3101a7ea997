#include <cstdlib>

#include "FuzzInput.h"
#include "web/Cookies.h"

// Response headers and a cookie text held so far: collect, then merge twice.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto p = SplitFuzzInput(data, size, 2);
  std::string fresh = mailvane::CookiesFromHeaders(p[0]);
  std::string held = p[1];
  const std::string merged = mailvane::MergeCookies(held, fresh);
  if (held != merged) std::abort();  // the held text receives the merge
  // Merging a written text with itself changes nothing. Only for ASCII
  // texts without empty items: a stray lead byte at a pair's end swallows the
  // "; " that joins it, and an empty last item is no piece when split again.
  for (unsigned char c : merged)
    if (c >= 0x80 || c == 0) return 0;
  if (merged.find("; ; ") != std::string::npos || merged.starts_with("; ") ||
      merged.ends_with("; "))
    return 0;
  std::string again = merged;
  std::string same = merged;
  if (mailvane::MergeCookies(again, same) != merged) std::abort();
  return 0;
}

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
  // Merging a written text with itself changes nothing.
  std::string again = merged;
  std::string same = merged;
  if (mailvane::MergeCookies(again, same) != merged) std::abort();
  return 0;
}

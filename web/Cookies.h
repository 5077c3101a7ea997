#pragma once
// The cookie text: the service's cookies as name=value pairs joined by "; ".
#include <string>
#include <string_view>

namespace mailvane {

// The first name=value of every Set-Cookie line of a response header text.
std::string CookiesFromHeaders(std::string_view headers);

// Merges the cookies of the latest response into the text held so far. Both
// variables are rewritten: newCookies loses its spaces, oldCookies receives
// the merged text, which is also returned.
std::string MergeCookies(std::string& oldCookies, std::string& newCookies);

}  // namespace mailvane

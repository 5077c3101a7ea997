#pragma once
// One HTTP request with the system's default headers, an optional proxy and a
// cookie text. Every network access of Mailvane goes through WebAccess.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "text/Text.h"

namespace mailvane {

// A request object that a caller lends to WebAccess: a curl handle whose
// settings (time-outs, options, the last request) outlive the call.
class RequestObject {
 public:
  RequestObject();
  ~RequestObject();
  RequestObject(const RequestObject&) = delete;
  RequestObject& operator=(const RequestObject&) = delete;

  struct Impl;
  Impl& impl() { return *impl_; }

 private:
  std::unique_ptr<Impl> impl_;
};

// An answer (body, or header text) larger than this fails the request instead
// of growing without bound.
inline constexpr std::size_t kMaxAnswerBytes = std::size_t{64} * 1024 * 1024;

// A request fails once it has taken this many times its time-out in all,
// even when bytes keep trickling in.
inline constexpr int kWholeRequestIdleLimits = 4;

// Parameters in the routine's calling order. Out and in-out parameters are the
// caller's variables, passed by address; nullptr means omitted. Four
// parameters tell omission from a value: cookies (nullptr = no Cookie header
// and no merge; an empty text given still merges), proxyAuthMode (nullopt =
// 1), requestObject (nullptr = a fresh one), autoMergeCookies (nullopt = true).
Bytes WebAccess(const std::string& url,
                int method = 0,                            // 0 GET, 1 POST, 2 HEAD; others GET
                const std::string& bodyText = {},          // local text, sent as UTF-8
                std::string* cookies = nullptr,            // in, and out when merged
                std::string* returnedCookies = nullptr,    // out
                std::string* extraHeaders = nullptr,       // in and out: completed header text
                std::string* returnedHeaders = nullptr,    // out
                int* statusCode = nullptr,                 // out; 0 when no response came
                bool noRedirect = false,
                const Bytes& bodyBytes = {},               // sent instead of bodyText when not empty
                const std::string& proxyAddress = {},
                int timeoutSeconds = 0,                    // -1 leave, <=0 15 s, else seconds
                const std::string& proxyUser = {},
                const std::string& proxyPassword = {},
                std::optional<int> proxyAuthMode = std::nullopt,
                RequestObject* requestObject = nullptr,
                std::optional<bool> autoMergeCookies = std::nullopt);

// Text before the line's first colon, and after it, each trimmed of spaces.
std::string HeaderLineName(std::string_view line);
std::string HeaderLineValue(std::string_view line);

// Global set-up of the HTTP library, once per process (later calls do
// nothing). WebAccess calls it itself; the library is thread-safe here.
void InitWebAccess();

// Makes every request in flight, and every later one, fail at once: closing
// the window never waits for a time-out. ResumeRequests undoes it (tests).
void CancelAllRequests();
void ResumeRequests();

}  // namespace mailvane

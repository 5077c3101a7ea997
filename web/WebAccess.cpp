#include "web/WebAccess.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <vector>

#include "text/CodePage.h"
#include "web/Base64.h"
#include "web/Cookies.h"
#include "web/RequestObjectImpl.h"

namespace mailvane {
namespace {

using Clock = std::chrono::steady_clock;

constexpr long kDefaultTimeoutMs = 15000;
constexpr long kMaxRedirects = 10;
constexpr const char* kCrLf = "\r\n";

// Searched for in the header text, and the line added when it is missing.
struct DefaultHeader {
  const char* searched;
  const char* line;
  bool endsWithUrl;
};
constexpr DefaultHeader kDefaultHeaders[] = {
    {"Accept:", "Accept: */*", false},
    {"Referer:", "Referer: ", true},
    {"Accept-Language:", "Accept-Language: zh-cn", false},
    {"User-Agent:", "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)", false},
    {"Content-Type:", "Content-Type: application/x-www-form-urlencoded", false},
};

std::atomic<bool> g_cancelled{false};

struct SlistDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using HeaderList = std::unique_ptr<curl_slist, SlistDeleter>;

// curl_slist_append returns nullptr on failure and leaves the list as it was.
void Append(HeaderList& list, const std::string& line) {
  curl_slist* grown = curl_slist_append(list.get(), line.c_str());
  if (grown == nullptr) throw std::bad_alloc();
  list.release();
  list.reset(grown);
}

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

// A header name HTTP allows (a token); any other name would spoil the request.
bool IsHeaderName(std::string_view name) {
  if (name.empty()) return false;
  for (unsigned char c : name) {
    bool letterOrDigit = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (!letterOrDigit && std::string_view("!#$%&'*+-.^_`|~").find(char(c)) == std::string_view::npos)
      return false;
  }
  return true;
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The caller's header text with every missing default line appended.
std::string CompleteHeaderText(std::string text, const std::string& url) {
  for (const DefaultHeader& header : kDefaultHeaders) {
    if (!text.empty() && FindText(text, header.searched) > 0) continue;
    if (!text.empty()) text += kCrLf;
    text += header.line;
    if (header.endsWithUrl) text += url;
  }
  return text;
}

std::vector<std::string> SplitAtCrLf(std::string_view text) {
  std::vector<std::string> pieces;
  std::size_t start = 0;
  while (true) {
    std::size_t end = text.find(kCrLf, start);
    std::string_view piece = text.substr(start, end == std::string_view::npos ? end : end - start);
    if (!piece.empty()) pieces.emplace_back(piece);
    if (end == std::string_view::npos) break;
    start = end + 2;
  }
  return pieces;
}

// The headers for the target host: the Cookie header, then the header lines in
// order. Headers that curl would add by itself are switched off unless the
// caller sent them, so only what is listed here goes out (plus Host and
// Content-Length, which HTTP needs).
HeaderList ServerHeaders(const std::string& headerText, const std::string* cookies) {
  HeaderList list;
  std::vector<std::string> sentNames;
  auto add = [&](const std::string& name, const std::string& value) {
    if (!IsHeaderName(name) || HasLineBreak(value)) return;  // refused, the request goes on
    // curl reads "Name:" as "remove this header"; "Name;" sends it empty.
    Append(list, value.empty() ? name + ";" : name + ": " + value);
    sentNames.push_back(name);
  };
  if (cookies != nullptr && !cookies->empty()) add("Cookie", *cookies);
  for (const std::string& line : SplitAtCrLf(headerText)) add(HeaderLineName(line), HeaderLineValue(line));

  for (const char* own : {"Accept", "Expect", "Content-Type"}) {
    bool sent = false;
    for (const std::string& name : sentNames) sent = sent || SameNameIgnoringCase(name, own);
    if (!sent) Append(list, std::string(own) + ":");
  }
  return list;
}

// The headers for the proxy only: never forwarded into a CONNECT tunnel.
HeaderList ProxyHeaders(bool credentialDue, const std::string& user, const std::string& password) {
  HeaderList list;
  if (credentialDue) Append(list, "Proxy-Authorization: Basic " + Base64Encode(user + ":" + password));
  Append(list, "Proxy-Connection:");
  return list;
}

// The URL as curl takes it: UTF-8, with bytes outside ASCII and spaces
// percent-encoded, as a browser sends them.
std::string WireUrl(const std::string& url) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string wire;
  for (unsigned char c : LocalToUtf8(url)) {
    if (c >= 0x80 || c == ' ') {
      wire += '%';
      wire += kHex[c >> 4];
      wire += kHex[c & 15];
    } else {
      wire += char(c);
    }
  }
  return wire;
}

// What one perform collects, and the state of its idle clock.
struct Transfer {
  Bytes body;
  std::string headers;  // received header lines, each ended by CR LF
  std::chrono::milliseconds idleLimit{0};
  // A server that sends a byte now and then is never idle; the whole
  // request is bounded too, at a few idle limits, so it cannot hang forever.
  std::chrono::milliseconds wholeLimit{0};
  Clock::time_point started = Clock::now();
  Clock::time_point lastMove = Clock::now();
  bool connected = false;  // the idle clock runs once a connection stands
  curl_off_t downloaded = 0;
  curl_off_t uploaded = 0;
};

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  size_t length = size * count;
  if (length > kMaxAnswerBytes - transfer->body.size()) return 0;  // fails the request
  try {
    transfer->body.append(data, length);
  } catch (...) {
    return 0;
  }
  transfer->lastMove = Clock::now();
  return length;
}

size_t OnHeaderLine(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  size_t length = size * count;
  std::string_view line(data, length);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  transfer->lastMove = Clock::now();
  // Status lines and the blank line ending each response are not header lines.
  if (line.empty() || line.starts_with("HTTP/")) return length;
  if (line.size() + 2 > kMaxAnswerBytes - transfer->headers.size()) return 0;
  try {
    transfer->headers.append(line);
    transfer->headers += kCrLf;
  } catch (...) {
    return 0;
  }
  return length;
}

int OnConnected(void* user, char*, char*, int, int) {
  auto* transfer = static_cast<Transfer*>(user);
  transfer->connected = true;
  transfer->lastMove = Clock::now();
  return CURL_PREREQFUNC_OK;
}

int OnProgress(void* user, curl_off_t, curl_off_t downloaded, curl_off_t, curl_off_t uploaded) {
  auto* transfer = static_cast<Transfer*>(user);
  if (g_cancelled.load()) return 1;
  Clock::time_point now = Clock::now();
  if (now - transfer->started > transfer->wholeLimit) return 1;
  if (downloaded != transfer->downloaded || uploaded != transfer->uploaded) {
    transfer->downloaded = downloaded;
    transfer->uploaded = uploaded;
    transfer->lastMove = now;
    return 0;
  }
  return (transfer->connected && now - transfer->lastMove > transfer->idleLimit) ? 1 : 0;
}

struct Options {
  std::string url;
  int method;
  const Bytes* body;  // nullptr for GET and HEAD
  bool noRedirect;
  const std::string* proxyAddress;
  curl_slist* serverHeaders;
  curl_slist* proxyHeaders;
  long connectTimeoutMs;
};

void Configure(CURL* handle, const Options& options, Transfer& transfer) {
  curl_easy_setopt(handle, CURLOPT_URL, options.url.c_str());
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));

  if (options.method == 2) {
    curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
  } else if (options.method == 1) {
    curl_easy_setopt(handle, CURLOPT_POST, 1L);
    curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(options.body->size()));
    curl_easy_setopt(handle, CURLOPT_POSTFIELDS, options.body->data());
  } else {
    curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
  }

  curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, options.noRedirect ? 0L : 1L);
  curl_easy_setopt(handle, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 0L);
  curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 0L);
  curl_easy_setopt(handle, CURLOPT_PROXY_SSL_VERIFYPEER, 0L);
  curl_easy_setopt(handle, CURLOPT_PROXY_SSL_VERIFYHOST, 0L);

  // An empty proxy keeps curl from taking one from the environment; a given
  // proxy is used for every host, whatever the environment lists as exempt.
  curl_easy_setopt(handle, CURLOPT_PROXY, options.proxyAddress->c_str());
  if (!options.proxyAddress->empty()) curl_easy_setopt(handle, CURLOPT_NOPROXY, "");
  curl_easy_setopt(handle, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);

  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, options.serverHeaders);
  curl_easy_setopt(handle, CURLOPT_PROXYHEADER, options.proxyHeaders);
  curl_easy_setopt(handle, CURLOPT_HEADEROPT, long(CURLHEADER_SEPARATE));

  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, options.connectTimeoutMs);
  curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(kMaxAnswerBytes));
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, OnHeaderLine);
  curl_easy_setopt(handle, CURLOPT_HEADERDATA, &transfer);
  curl_easy_setopt(handle, CURLOPT_PREREQFUNCTION, OnConnected);
  curl_easy_setopt(handle, CURLOPT_PREREQDATA, &transfer);
  curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, OnProgress);
  curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &transfer);
  curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
}

// Leaves no pointer into this call's memory in a handle that outlives it.
void Unhook(CURL* handle) {
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, nullptr);
  curl_easy_setopt(handle, CURLOPT_PROXYHEADER, nullptr);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, nullptr);
  curl_easy_setopt(handle, CURLOPT_HEADERDATA, nullptr);
  curl_easy_setopt(handle, CURLOPT_PREREQDATA, nullptr);
  curl_easy_setopt(handle, CURLOPT_XFERINFODATA, nullptr);
  curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 1L);
  curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);  // drops the POST body pointer
}

Bytes PerformWebAccess(const std::string& url, int method, const std::string& bodyText,
                       std::string* cookies, std::string* returnedCookies,
                       std::string* extraHeaders, std::string* returnedHeaders, int* statusCode,
                       bool noRedirect, const Bytes& bodyBytes, const std::string& proxyAddress,
                       int timeoutSeconds, const std::string& proxyUser,
                       const std::string& proxyPassword, std::optional<int> proxyAuthMode,
                       RequestObject* requestObject, std::optional<bool> autoMergeCookies) {
  const bool mergeCookies = autoMergeCookies.value_or(true);
  if (method < 0 || method > 2) method = 0;

  std::optional<RequestObject> ownObject;
  if (requestObject == nullptr) requestObject = &ownObject.emplace();
  RequestObject::Impl& object = requestObject->impl();
  if (object.handle == nullptr) return {};
  CURL* handle = object.handle;
  curl_easy_reset(handle);  // a lent handle keeps connections, not last call's options

  if (timeoutSeconds != -1) {
    long long ms = timeoutSeconds <= 0 ? kDefaultTimeoutMs : timeoutSeconds * 1000LL;
    object.connectTimeoutMs = object.idleTimeoutMs = long(std::min<long long>(ms, LONG_MAX));
  }

  std::string scratchHeaders;
  std::string& headerText = extraHeaders != nullptr ? *extraHeaders : scratchHeaders;
  headerText = CompleteHeaderText(headerText, url);

  const bool credentialDue =
      !proxyAddress.empty() && !proxyUser.empty() && proxyAuthMode.value_or(1) == 1;
  HeaderList proxyHeaders = ProxyHeaders(credentialDue, proxyUser, proxyPassword);
  HeaderList serverHeaders = ServerHeaders(headerText, cookies);

  Bytes body;
  if (method == 1) body = !bodyBytes.empty() ? bodyBytes : LocalToUtf8(bodyText);

  Transfer transfer;
  transfer.idleLimit = std::chrono::milliseconds(object.idleTimeoutMs);
  transfer.wholeLimit = kWholeRequestIdleLimits * transfer.idleLimit;
  Configure(handle,
            Options{WireUrl(url), method, &body, noRedirect, &proxyAddress, serverHeaders.get(),
                    proxyHeaders.get(), object.connectTimeoutMs},
            transfer);
  const CURLcode result = g_cancelled.load() ? CURLE_ABORTED_BY_CALLBACK : curl_easy_perform(handle);
  long status = 0;
  if (result == CURLE_OK) curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
  Unhook(handle);

  // A failed request leaves nothing half-received behind.
  std::string headersReceived;
  if (result == CURLE_OK) {
    body = std::move(transfer.body);
    headersReceived = ReplaceText(transfer.headers, "Set-Cookie", "Set-Cookie", true);
  } else {
    body.clear();
  }

  std::string newCookies = CookiesFromHeaders(headersReceived);
  if (mergeCookies && cookies != nullptr) newCookies = MergeCookies(*cookies, newCookies);
  if (returnedHeaders != nullptr) *returnedHeaders = std::move(headersReceived);
  if (statusCode != nullptr) *statusCode = int(status);
  if (returnedCookies != nullptr) *returnedCookies = std::move(newCookies);
  return body;
}

}  // namespace

Bytes WebAccess(const std::string& url, int method, const std::string& bodyText,
                std::string* cookies, std::string* returnedCookies, std::string* extraHeaders,
                std::string* returnedHeaders, int* statusCode, bool noRedirect,
                const Bytes& bodyBytes, const std::string& proxyAddress, int timeoutSeconds,
                const std::string& proxyUser, const std::string& proxyPassword,
                std::optional<int> proxyAuthMode, RequestObject* requestObject,
                std::optional<bool> autoMergeCookies) {
  try {
    InitWebAccess();
    return PerformWebAccess(url, method, bodyText, cookies, returnedCookies, extraHeaders,
                            returnedHeaders, statusCode, noRedirect, bodyBytes, proxyAddress,
                            timeoutSeconds, proxyUser, proxyPassword, proxyAuthMode,
                            requestObject, autoMergeCookies);
  } catch (...) {
    return {};  // nothing leaves the routine but its values
  }
}

std::string HeaderLineName(std::string_view line) {
  int colon = FindText(line, ":");
  return colon < 1 ? std::string() : TrimSpaces(line.substr(0, colon - 1));
}

std::string HeaderLineValue(std::string_view line) {
  int colon = FindText(line, ":");
  return colon < 1 ? std::string() : TrimSpaces(line.substr(colon));
}

void InitWebAccess() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

void CancelAllRequests() { g_cancelled.store(true); }

void ResumeRequests() { g_cancelled.store(false); }

}  // namespace mailvane

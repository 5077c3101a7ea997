// What WebAccess puts on the wire, read byte for byte by a raw loopback server.
#include <gtest/gtest.h>

#include <optional>

#include "LoopbackServers.h"
#include "web/WebAccess.h"

namespace mailvane {
namespace {

using testing::RawRequest;
using testing::RawServer;

const std::string kAccept = "Accept: */*";
const std::string kLanguage = "Accept-Language: zh-cn";
const std::string kAgent = "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
const std::string kType = "Content-Type: application/x-www-form-urlencoded";

std::string Join(const std::vector<std::string>& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) text += (i == 0 ? "" : "\r\n") + lines[i];
  return text;
}

// Answers GET and POST with "hello", HEAD with its headers only.
void AnswerHello(const RawRequest& request, int fd, int) {
  std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\nConnection: close\r\n\r\n";
  testing::SendAll(fd, request.Method() == "HEAD" ? head : head + "hello");
}

class WebAccessWire : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitWebAccess(); }
};

// Stands for the Referer line of the request's own URL in the table below.
const std::string kReferer = "Referer: <url>";

struct HeaderCase {
  const char* what;
  std::string extraHeaders;
  std::optional<std::string> cookies;
  int method;
  std::vector<std::string> completed;  // extraHeaders after the call, one entry a line
  std::vector<std::string> wire;       // header lines after Host, in order
};

TEST_F(WebAccessWire, SendsCompletedHeadersInOrderAndNothingElse) {
  const HeaderCase cases[] = {
      {"empty", "", std::nullopt, 0,
       {kAccept, kReferer, kLanguage, kAgent, kType},
       {kAccept, kReferer, kLanguage, kAgent, kType}},
      {"own user agent", "User-Agent: X", std::nullopt, 0,
       {"User-Agent: X", kAccept, kReferer, kLanguage, kType},
       {"User-Agent: X", kAccept, kReferer, kLanguage, kType}},
      {"letter case counts", "user-agent: X", std::nullopt, 0,
       {"user-agent: X", kAccept, kReferer, kLanguage, kAgent, kType},
       {"user-agent: X", kAccept, kReferer, kLanguage, kAgent, kType}},
      {"Accept: is not in Accept-Language:", "Accept-Language: en", std::nullopt, 0,
       {"Accept-Language: en", kAccept, kReferer, kAgent, kType},
       {"Accept-Language: en", kAccept, kReferer, kAgent, kType}},
      {"cookie first", "", "a=1; b=2", 0,
       {kAccept, kReferer, kLanguage, kAgent, kType},
       {"Cookie: a=1; b=2", kAccept, kReferer, kLanguage, kAgent, kType}},
      {"empty cookie text sends no Cookie", "", "", 0,
       {kAccept, kReferer, kLanguage, kAgent, kType},
       {kAccept, kReferer, kLanguage, kAgent, kType}},
      {"empty pieces, unusable names, empty value",
       "\r\nX-One: 1\r\n\r\nno colon\r\nX-Empty:\r\n: nameless\r\nBad Name: 2\r\n\xD6\xD0: 3",
       std::nullopt, 0,
       {"", "X-One: 1", "", "no colon", "X-Empty:", ": nameless", "Bad Name: 2", "\xD6\xD0: 3",
        kAccept, kReferer, kLanguage, kAgent, kType},
       {"X-One: 1", "X-Empty:", kAccept, kReferer, kLanguage, kAgent, kType}},
      {"local text values go out as bytes", "Accept: text/html\r\nX-Name: \xD6\xD0\xCE\xC4",
       std::nullopt, 0,
       {"Accept: text/html", "X-Name: \xD6\xD0\xCE\xC4", kReferer, kLanguage, kAgent, kType},
       {"Accept: text/html", "X-Name: \xD6\xD0\xCE\xC4", kReferer, kLanguage, kAgent, kType}},
      {"post adds only Content-Length", "", std::nullopt, 1,
       {kAccept, kReferer, kLanguage, kAgent, kType},
       {kAccept, kReferer, kLanguage, kAgent, kType, "Content-Length: 0"}},
      // "Accept:" and "Content-Type:" are found inside other names: no default
      // lines, and the HTTP library must not add its own Accept or Content-Type.
      {"no invented headers", "X-Accept: a\r\nX-Content-Type: b", std::nullopt, 1,
       {"X-Accept: a", "X-Content-Type: b", kReferer, kLanguage, kAgent},
       {"X-Accept: a", "X-Content-Type: b", kReferer, kLanguage, kAgent, "Content-Length: 0"}},
  };
  for (const HeaderCase& c : cases) {
    SCOPED_TRACE(c.what);
    RawServer server(AnswerHello);
    std::string url = server.Url("/page?x=1");
    auto withUrl = [&](std::vector<std::string> lines) {
      for (std::string& line : lines)
        if (line == kReferer) line = "Referer: " + url;
      return lines;
    };
    std::optional<std::string> cookies = c.cookies;
    std::string headers = c.extraHeaders;
    int status = -1;
    Bytes body = WebAccess(url, c.method, {}, cookies ? &*cookies : nullptr, nullptr, &headers,
                           nullptr, &status);
    EXPECT_EQ(body, "hello");
    EXPECT_EQ(status, 200);
    EXPECT_EQ(headers, Join(withUrl(c.completed)));

    ASSERT_TRUE(server.WaitForRequests(1));
    std::vector<std::string> lines = server.Requests().front().HeaderLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "Host: 127.0.0.1:" + std::to_string(server.port()));
    lines.erase(lines.begin());
    EXPECT_EQ(lines, withUrl(c.wire));
  }
}

TEST_F(WebAccessWire, MethodOutOfRangeIsGetAndHeadReturnsNoBody) {
  const std::pair<int, std::string> cases[] = {
      {0, "GET"}, {3, "GET"}, {-1, "GET"}, {1, "POST"}, {2, "HEAD"}};
  for (const auto& [method, name] : cases) {
    SCOPED_TRACE(method);
    RawServer server(AnswerHello);
    int status = 0;
    Bytes body = WebAccess(server.Url("/m"), method, {}, nullptr, nullptr, nullptr, nullptr, &status);
    EXPECT_EQ(status, 200);
    EXPECT_EQ(body, name == "HEAD" ? "" : "hello");
    ASSERT_TRUE(server.WaitForRequests(1));
    EXPECT_EQ(server.Requests().front().RequestLine(), name + " /m HTTP/1.1");
  }
}

TEST_F(WebAccessWire, BodyBytesWinOverTextAndTextGoesAsUtf8) {
  struct BodyCase {
    std::string bodyText;
    Bytes bodyBytes;
    Bytes sent;
  };
  const BodyCase cases[] = {
      {"text", std::string("\0bin\xFF", 5), std::string("\0bin\xFF", 5)},
      {"data=\xD6\xD0\xCE\xC4", {}, "data=\xE4\xB8\xAD\xE6\x96\x87"},  // GBK in, UTF-8 out
      {"", {}, ""},
  };
  for (const BodyCase& c : cases) {
    SCOPED_TRACE(c.bodyText);
    RawServer server(AnswerHello);
    WebAccess(server.Url("/post"), 1, c.bodyText, nullptr, nullptr, nullptr, nullptr, nullptr,
              false, c.bodyBytes);
    ASSERT_TRUE(server.WaitForRequests(1));
    RawRequest request = server.Requests().front();
    EXPECT_EQ(request.body, c.sent);
    EXPECT_TRUE(request.HasHeaderStartingWith("Content-Length: " + std::to_string(c.sent.size())));
  }
}

TEST_F(WebAccessWire, ResponseSetCookieSpellingIsNormalised) {
  RawServer server(RawServer::Answer(
      "HTTP/1.1 200 OK\r\nset-cookie: a=1\r\nSeT-CoOkIe: b=2; Path=/\r\n"
      "Content-Length: 2\r\nConnection: close\r\n\r\nok"));
  std::string headers, returned;
  int status = 0;
  Bytes body =
      WebAccess(server.Url("/"), 0, {}, nullptr, &returned, nullptr, &headers, &status);
  EXPECT_EQ(body, "ok");
  EXPECT_EQ(status, 200);
  EXPECT_EQ(headers,
            "Set-Cookie: a=1\r\nSet-Cookie: b=2; Path=/\r\nContent-Length: 2\r\n"
            "Connection: close\r\n");
  EXPECT_EQ(returned, "a=1; b=2");
}

}  // namespace
}  // namespace mailvane

// Answers, cookies, failures and limits of WebAccess against loopback servers.
#include <gtest/gtest.h>

#include <optional>
#include <thread>

#include "LoopbackServers.h"
#include "web/WebAccess.h"

namespace mailvane {
namespace {

using testing::HttpServer;

class WebAccessHttp : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitWebAccess(); }

  void SetUp() override {
    httplib::Server& routes = server_.routes();
    routes.Get("/cookies", [](const httplib::Request& request, httplib::Response& response) {
      response.set_header("Set-Cookie", "a=3");
      response.set_header("Set-Cookie", "c=4; path=/; HttpOnly");
      response.set_header("Set-Cookie", "b=deleted");
      response.set_content(request.get_header_value("Cookie"), "text/plain");
    });
    routes.Get("/start", [](const httplib::Request&, httplib::Response& response) {
      response.set_header("Set-Cookie", "r=1; path=/");
      response.set_redirect("/landing");
      response.set_content("moved", "text/plain");
    });
    routes.Get("/landing", [](const httplib::Request&, httplib::Response& response) {
      response.set_header("Set-Cookie", "f=2");
      response.set_content("landed", "text/plain");
    });
    routes.Get(R"(/status/(\d+))", [](const httplib::Request& request, httplib::Response& response) {
      response.status = std::stoi(request.matches[1]);
      response.set_header("Set-Cookie", "e=" + std::string(request.matches[1]));
      response.set_content("error page " + std::string(request.matches[1]), "text/plain");
    });
    routes.Get(R"(/fixed/(\d+))", [](const httplib::Request& request, httplib::Response& response) {
      response.set_content(std::string(std::stoul(request.matches[1]), 'x'), "text/plain");
    });
    routes.Get(R"(/chunked/(\d+))", [](const httplib::Request& request, httplib::Response& response) {
      std::size_t total = std::stoul(request.matches[1]);
      response.set_chunked_content_provider(
          "text/plain", [total](std::size_t offset, httplib::DataSink& sink) {
            static const std::string piece(1 << 20, 'y');
            std::size_t n = std::min(piece.size(), total - offset);
            if (n > 0 && !sink.write(piece.data(), n)) return false;
            if (offset + n == total) sink.done();
            return true;
          });
    });
    routes.Get("/echo", [](const httplib::Request& request, httplib::Response& response) {
      response.set_header("Set-Cookie", "s" + request.get_header_value("Cookie").substr(1));
      response.set_content(request.get_header_value("Cookie"), "text/plain");
    });
    server_.Start();
  }

  HttpServer server_;
};

TEST_F(WebAccessHttp, CookiesAreSentAndTheResponseCookiesMerged) {
  struct CookieCase {
    const char* what;
    std::optional<std::string> cookies;
    std::optional<bool> autoMerge;
    std::optional<std::string> cookiesAfter;
    std::string returned;
  };
  const CookieCase cases[] = {
      {"merged by default", "a=1; b=2", std::nullopt, "a=3; c=4", "a=3; c=4"},
      {"merged when asked", "a=1; b=2", true, "a=3; c=4", "a=3; c=4"},
      {"not merged", "a=1; b=2", false, "a=1; b=2", "a=3; c=4; b=deleted"},
      {"no cookie text, no merge", std::nullopt, std::nullopt, std::nullopt,
       "a=3; c=4; b=deleted"},
  };
  for (const CookieCase& c : cases) {
    SCOPED_TRACE(c.what);
    std::optional<std::string> cookies = c.cookies;
    std::string returned;
    Bytes body = WebAccess(server_.Url("/cookies"), 0, {}, cookies ? &*cookies : nullptr,
                           &returned, nullptr, nullptr, nullptr, false, {}, {}, 0, {}, {},
                           std::nullopt, nullptr, c.autoMerge);
    EXPECT_EQ(body, c.cookies.value_or(""));  // what the server saw as Cookie
    EXPECT_EQ(cookies, c.cookiesAfter);
    EXPECT_EQ(returned, c.returned);
  }
}

TEST_F(WebAccessHttp, CookiesSetOnARedirectBelongToTheSession) {
  std::string cookies, returned, headers;
  int status = 0;
  Bytes body = WebAccess(server_.Url("/start"), 0, {}, &cookies, &returned, nullptr, &headers,
                         &status);
  EXPECT_EQ(body, "landed");
  EXPECT_EQ(status, 200);
  EXPECT_EQ(cookies, "r=1; f=2");
  EXPECT_EQ(returned, "r=1; f=2");
  EXPECT_NE(headers.find("Location: /landing\r\n"), std::string::npos) << headers;

  cookies.clear();
  body = WebAccess(server_.Url("/start"), 0, {}, &cookies, &returned, nullptr, &headers, &status,
                   /*noRedirect=*/true);
  EXPECT_EQ(body, "moved");
  EXPECT_EQ(status, 302);
  EXPECT_EQ(returned, "r=1");
}

TEST_F(WebAccessHttp, ErrorStatusesComeBackWithTheirBodies) {
  for (int code : {404, 500}) {
    SCOPED_TRACE(code);
    std::string cookies = "k=1", headers;
    int status = 0;
    Bytes body = WebAccess(server_.Url("/status/" + std::to_string(code)), 0, {}, &cookies,
                           nullptr, nullptr, &headers, &status);
    EXPECT_EQ(status, code);
    EXPECT_EQ(body, "error page " + std::to_string(code));
    EXPECT_NE(headers.find("Content-Length: "), std::string::npos);
    EXPECT_EQ(cookies, "e=" + std::to_string(code) + "; k=1");
  }
}

TEST_F(WebAccessHttp, FailedRequestGivesEmptyResultsAndKeepsTheSessionCookies) {
  const std::string urls[] = {
      "http://127.0.0.1:" + std::to_string(testing::ClosedPort()) + "/",  // refused
      "http://",                                                           // malformed
      "file:///etc/hostname",                                              // not HTTP
      "",
  };
  for (const std::string& url : urls) {
    SCOPED_TRACE(url);
    std::string cookies = "a = 1;b=2;", returned = "old", headers = "old", extra;
    int status = -1;
    Bytes body = WebAccess(url, 0, {}, &cookies, &returned, &extra, &headers, &status);
    EXPECT_EQ(body, "");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(headers, "");
    EXPECT_EQ(cookies, "a=1; b=2");
    EXPECT_EQ(returned, "a=1; b=2");
    EXPECT_EQ(FindText(extra, "Accept: */*"), 1) << "the header text is still completed";
  }
}

TEST_F(WebAccessHttp, AnswerOverTheSizeLimitFails) {
  struct SizeCase {
    std::string path;
    std::size_t size;
    bool arrives;
  };
  const SizeCase cases[] = {
      {"/fixed/", kMaxAnswerBytes, true},
      {"/fixed/", kMaxAnswerBytes + 1, false},  // refused from its Content-Length
      {"/chunked/", kMaxAnswerBytes, true},
      {"/chunked/", kMaxAnswerBytes + 1, false},  // refused while it streams
  };
  for (const SizeCase& c : cases) {
    SCOPED_TRACE(c.path + std::to_string(c.size));
    int status = -1;
    std::string headers;
    Bytes body = WebAccess(server_.Url(c.path + std::to_string(c.size)), 0, {}, nullptr, nullptr,
                           nullptr, &headers, &status);
    EXPECT_EQ(body.size(), c.arrives ? c.size : 0u);
    EXPECT_EQ(status, c.arrives ? 200 : 0);
    EXPECT_EQ(headers.empty(), !c.arrives);
  }
}

TEST_F(WebAccessHttp, EightThreadsAtOnceEachGetTheirOwnAnswer) {
  constexpr int kThreads = 8, kCalls = 4;
  std::vector<std::string> failures[kThreads];
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kCalls; ++i) {
        std::string mine = "t" + std::to_string(t) + "=" + std::to_string(i);
        std::string cookies = mine;
        Bytes body = WebAccess(server_.Url("/echo"), 0, {}, &cookies);
        if (body != mine) failures[t].push_back("body " + body + " for " + mine);
        if (cookies != "s" + mine.substr(1) + "; " + mine)
          failures[t].push_back("cookies " + cookies + " for " + mine);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_TRUE(failures[t].empty()) << failures[t].front();
}

}  // namespace
}  // namespace mailvane

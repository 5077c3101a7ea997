// Proxy use and proxy credentials, seen by a loopback proxy and a TLS target.
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "LoopbackServers.h"
#include "web/WebAccess.h"

namespace mailvane {
namespace {

using testing::HttpServer;
using testing::RawRequest;
using testing::RawServer;

// Sets an environment variable for one scope: the routine must not read it.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    ::setenv(name, value, 1);
  }
  ~ScopedEnvironment() {
    if (old_) ::setenv(name_, old_->c_str(), 1);
    else ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// An HTTPS server with a fresh self-signed certificate, which no client trusts.
std::unique_ptr<httplib::Server> SelfSignedServer() {
  EVP_PKEY* key = EVP_EC_gen("P-256");
  X509* cert = X509_new();
  X509_set_version(cert, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
  X509_gmtime_adj(X509_getm_notBefore(cert), 0);
  X509_gmtime_adj(X509_getm_notAfter(cert), 3600);
  X509_set_pubkey(cert, key);
  X509_NAME* name = X509_get_subject_name(cert);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>("untrusted.invalid"), -1, -1, 0);
  X509_set_issuer_name(cert, name);
  X509_sign(cert, key, EVP_sha256());
  auto server = std::make_unique<httplib::SSLServer>(cert, key);  // takes its own references
  X509_free(cert);
  EVP_PKEY_free(key);
  return server;
}

class WebAccessProxy : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitWebAccess(); }

  static Bytes Fetch(const std::string& url, const std::string& proxy, const std::string& user,
                     const std::string& password, std::optional<int> authMode = std::nullopt) {
    std::string cookies = "a=1";
    return WebAccess(url, 0, {}, &cookies, nullptr, nullptr, nullptr, nullptr, false, {}, proxy,
                     0, user, password, authMode);
  }

  RawServer proxy_{testing::ProxyResponder()};
};

TEST_F(WebAccessProxy, CredentialGoesToTheProxyOnlyWhenDue) {
  struct ProxyCase {
    std::string user, password;
    std::optional<int> authMode;
    std::optional<std::string> credential;  // the Proxy-Authorization line expected
  };
  const ProxyCase cases[] = {
      {"user", "pa:ss", std::nullopt, "Proxy-Authorization: Basic dXNlcjpwYTpzcw=="},
      {"user", "pa:ss", 1, "Proxy-Authorization: Basic dXNlcjpwYTpzcw=="},
      {"user", "", 1, "Proxy-Authorization: Basic dXNlcjo="},
      {"\xD3\xC3", "\xC3\xDC", 1, "Proxy-Authorization: Basic 08M6w9w="},  // local text bytes
      {"user", "pa:ss", 0, std::nullopt},
      {"user", "pa:ss", 2, std::nullopt},
      {"", "pa:ss", 1, std::nullopt},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const ProxyCase& c = cases[i];
    SCOPED_TRACE(i);
    // The address goes to the HTTP library unchanged, with or without a scheme.
    std::string address = (i % 2 ? "http://" : "") + std::string("127.0.0.1:") +
                           std::to_string(proxy_.port());
    EXPECT_EQ(Fetch("http://mail.example.invalid/x", address, c.user, c.password, c.authMode),
              "via proxy");
    ASSERT_TRUE(proxy_.WaitForRequests(i + 1));
    RawRequest seen = proxy_.Requests()[i];
    EXPECT_EQ(seen.RequestLine(), "GET http://mail.example.invalid/x HTTP/1.1");
    EXPECT_TRUE(seen.HasHeaderStartingWith("Cookie: a=1"));
    std::vector<std::string> lines = seen.HeaderLines();
    if (c.credential)
      EXPECT_NE(std::find(lines.begin(), lines.end(), *c.credential), lines.end()) << seen.head;
    else
      EXPECT_FALSE(seen.HasHeaderStartingWith("Proxy-Authorization")) << seen.head;
  }
}

TEST_F(WebAccessProxy, EnvironmentNeverChoosesOrBypassesTheProxy) {
  RawServer target(RawServer::Answer(
      "HTTP/1.1 200 OK\r\nContent-Length: 6\r\nConnection: close\r\n\r\ndirect"));
  const std::string deadProxy = "http://127.0.0.1:" + std::to_string(testing::ClosedPort());
  {
    ScopedEnvironment http("http_proxy", deadProxy.c_str());
    ScopedEnvironment all("ALL_PROXY", deadProxy.c_str());
    // No address given: the user and password have no effect, no proxy is used.
    EXPECT_EQ(Fetch(target.Url("/t"), "", "user", "pass"), "direct");
  }
  ASSERT_TRUE(target.WaitForRequests(1));
  RawRequest seen = target.Requests().front();
  EXPECT_EQ(seen.RequestLine(), "GET /t HTTP/1.1");
  EXPECT_FALSE(seen.HasHeaderStartingWith("Proxy-"));

  ScopedEnvironment bypass("no_proxy", "*");
  EXPECT_EQ(Fetch(target.Url("/t"), "127.0.0.1:" + std::to_string(proxy_.port()), "", ""),
            "via proxy");
}

TEST_F(WebAccessProxy, HttpsTunnelKeepsTheCredentialFromTheTarget) {
  HttpServer target(SelfSignedServer());
  target.routes().Get("/secure", [](const httplib::Request& request, httplib::Response& response) {
    response.set_content("auth=" + request.get_header_value("Proxy-Authorization") +
                             " cookie=" + request.get_header_value("Cookie"),
                         "text/plain");
  });
  target.Start();

  // Straight to the target: its certificate is not trusted, and that is ignored.
  EXPECT_EQ(Fetch(target.Url("/secure", "https"), "", "", ""), "auth= cookie=a=1");

  EXPECT_EQ(Fetch(target.Url("/secure", "https"), "127.0.0.1:" + std::to_string(proxy_.port()),
                  "user", "pa:ss"),
            "auth= cookie=a=1");
  ASSERT_TRUE(proxy_.WaitForRequests(1));
  RawRequest connect = proxy_.Requests().front();
  EXPECT_EQ(connect.RequestLine(),
            "CONNECT 127.0.0.1:" + std::to_string(target.port()) + " HTTP/1.1");
  EXPECT_TRUE(connect.HasHeaderStartingWith("Proxy-Authorization: Basic dXNlcjpwYTpzcw=="));
  EXPECT_FALSE(connect.HasHeaderStartingWith("Cookie"));  // the target's headers stay inside
}

}  // namespace
}  // namespace mailvane

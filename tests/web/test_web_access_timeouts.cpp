// Time-outs, lent request objects and cancelling, against servers that stall.
#include <gtest/gtest.h>

#include <thread>

#include "LoopbackServers.h"
#include "web/WebAccess.h"

namespace mailvane {
namespace {

using namespace std::chrono_literals;
using testing::RawRequest;
using testing::RawServer;

const std::string kLateAnswer =
    "HTTP/1.1 200 OK\r\nContent-Length: 4\r\nConnection: close\r\n\r\nlate";

// Reads the request, sends nothing for `hold`, then answers "late": a request
// that does not give up before then gets status 200.
RawServer::Responder Stall(std::chrono::milliseconds hold) {
  return [hold](const RawRequest&, int fd, int stopFd) {
    // Returns early when the client hangs up or the server stops.
    if (!testing::WaitReadable(fd, stopFd, std::chrono::steady_clock::now() + hold))
      testing::SendAll(fd, kLateAnswer);
  };
}

// Sends the head at once and the body a byte every 300 ms.
void Trickle(const RawRequest&, int fd, int stopFd) {
  if (!testing::SendAll(fd, "HTTP/1.1 200 OK\r\nContent-Length: 6\r\nConnection: close\r\n\r\n"))
    return;
  for (char c : std::string("abcdef")) {
    if (testing::StopsWithin(stopFd, 300ms) || !testing::SendAll(fd, std::string_view(&c, 1))) return;
  }
}

class WebAccessTimeouts : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitWebAccess(); }
  void TearDown() override { ResumeRequests(); }

  struct Result {
    Bytes body;
    int status = -1;
  };
  static Result Get(const std::string& url, int timeoutSeconds, RequestObject* object = nullptr,
                    int method = 0) {
    Result result;
    result.body = WebAccess(url, method, {}, nullptr, nullptr, nullptr, nullptr, &result.status,
                            false, {}, {}, timeoutSeconds, {}, {}, std::nullopt, object);
    return result;
  }
};

TEST_F(WebAccessTimeouts, StalledAnswerFailsAfterTheTimeout) {
  RawServer server(Stall(8s));
  Result result = Get(server.Url("/"), 1);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.body, "");
}

TEST_F(WebAccessTimeouts, SlowButSteadyAnswerIsNoTimeout) {
  RawServer server(Trickle);
  Result result = Get(server.Url("/"), 1);
  EXPECT_EQ(result.status, 200);
  EXPECT_EQ(result.body, "abcdef");
}

TEST_F(WebAccessTimeouts, LentRequestObjectKeepsItsTimeoutsButNotTheLastRequest) {
  RequestObject object;
  RawServer answering(RawServer::Answer(
      "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok"));
  Result posted;
  posted.body = WebAccess(answering.Url("/a"), 1, "k=v", nullptr, nullptr, nullptr, nullptr,
                          &posted.status, false, {}, {}, 1, {}, {}, std::nullopt, &object);
  EXPECT_EQ(posted.body, "ok");
  Result got = Get(answering.Url("/b"), -1, &object);
  EXPECT_EQ(got.body, "ok");
  ASSERT_TRUE(answering.WaitForRequests(2));
  RawRequest second = answering.Requests()[1];
  EXPECT_EQ(second.RequestLine(), "GET /b HTTP/1.1");
  EXPECT_FALSE(second.HasHeaderStartingWith("Content-Length"));

  // -1 leaves the 1 s of the first call in place.
  RawServer stalling(Stall(8s));
  EXPECT_EQ(Get(stalling.Url("/"), -1, &object).status, 0);
  // 0 and below set 15 s again, long enough for an answer 2 s late.
  RawServer late(Stall(2s));
  for (int seconds : {0, -5}) {
    SCOPED_TRACE(seconds);
    EXPECT_EQ(Get(answering.Url("/c"), 1, &object).body, "ok");
    EXPECT_EQ(Get(late.Url("/"), seconds, &object).body, "late");
  }
}

TEST_F(WebAccessTimeouts, CancelStopsRequestsInFlightAndLaterOnes) {
  RawServer stalling(Stall(10s));
  Result inFlight;
  std::thread caller([&] { inFlight = Get(stalling.Url("/"), 30); });
  ASSERT_TRUE(stalling.WaitForRequests(1));
  CancelAllRequests();
  caller.join();
  EXPECT_EQ(inFlight.status, 0);
  EXPECT_EQ(inFlight.body, "");

  RawServer answering(RawServer::Answer(kLateAnswer));
  std::string cookies = "a=1";
  int status = -1;
  Bytes body = WebAccess(answering.Url("/"), 0, {}, &cookies, nullptr, nullptr, nullptr, &status);
  EXPECT_EQ(body, "");
  EXPECT_EQ(status, 0);
  EXPECT_EQ(cookies, "a=1");
  EXPECT_TRUE(answering.Requests().empty());

  ResumeRequests();
  EXPECT_EQ(Get(answering.Url("/"), 0).body, "late");
}

}  // namespace
}  // namespace mailvane

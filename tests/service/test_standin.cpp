// The stand-in service over real loopback HTTP, spoken to by WebAccess.
#include "tools/standin/StandInService.h"

#include <gtest/gtest.h>

#include "service/FormBody.h"
#include "text/Text.h"
#include "web/WebAccess.h"

namespace mailvane {
namespace {

using standin::Failure;
using standin::StandInService;

class StandInTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { InitWebAccess(); }
  void SetUp() override { ASSERT_TRUE(service.Start()); }

  // The first mailbox and its session, as a client gets them.
  std::string SignIn() {
    std::string jar;
    std::string returned;
    const std::string page = AnswerText(WebAccess(service.ServiceRoot(), 0, {}, &jar, &returned));
    name = TextBetween(page, "value=\"", "\"");
    return returned;
  }
  std::string Post(const std::string& body, std::string cookies) {
    return AnswerText(WebAccess(service.ServiceRoot(), 1, body, &cookies));
  }

  StandInService service;
  std::string name;
};

TEST_F(StandInTest, HomePageHandsOutAMailboxAndASession) {
  const std::string cookies = SignIn();
  EXPECT_EQ(name.size(), 10u);
  EXPECT_EQ(service.ActiveMailbox(), name);
  EXPECT_NE(cookies.find("mv_sid="), std::string::npos) << cookies;
  EXPECT_NE(cookies.find("mv_lang=zh-cn"), std::string::npos) << cookies;
}

TEST_F(StandInTest, OperationsNeedTheSessionCookie) {
  const std::string cookies = SignIn();
  service.AddSampleMails(name);
  const std::string refused = Post(RefreshBody(name), "");
  EXPECT_EQ(refused.rfind(R"({"status":0,)", 0), 0u) << refused;
  EXPECT_EQ(Post(RefreshBody(name), "mv_sid=0123456789abcdefffff").rfind(R"({"status":0,)", 0), 0u);
  const std::string inbox = Post(RefreshBody(name), cookies);
  EXPECT_EQ(inbox.rfind(R"({"status":1,"info":"ok","data":[{"user":{)", 0), 0u) << inbox;
  EXPECT_EQ(inbox.substr(inbox.size() - 4), "]}]}");
}

TEST_F(StandInTest, OperationsDecodeTheFormAndRecordTheRequest) {
  const std::string cookies = SignIn();
  const std::vector<std::string> mids = service.AddSampleMails(name);
  ASSERT_EQ(mids.size(), 3u);
  EXPECT_EQ(mids[0].size(), 14u);
  service.ClearRequests();

  EXPECT_NE(Post(DelMailBody(name, mids[1]), cookies).find("[true]"), std::string::npos);
  EXPECT_NE(Post(DelMailBody(name, mids[1]), cookies).find("[false]"), std::string::npos);
  EXPECT_EQ(service.Mails(name).size(), 2u);

  const auto requests = service.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].server, "service");
  EXPECT_EQ(requests[0].method, "POST");
  EXPECT_EQ(requests[0].path, "/");
  EXPECT_EQ(requests[0].body, DelMailBody(name, mids[1]));
  EXPECT_EQ(requests[0].Header("cookie"), cookies);
  EXPECT_EQ(requests[0].Header("Content-Type"), "application/x-www-form-urlencoded");
}

TEST_F(StandInTest, CaptchaIsAPngWithACookieOnItsOwnHost) {
  SignIn();
  std::string jar;
  std::string returned;
  const std::string url = service.CaptchaUrl() + "0.123456789012345";
  const Bytes image = WebAccess(url, 0, {}, &jar, &returned);
  ASSERT_GT(image.size(), 33u);
  EXPECT_EQ(image.substr(0, 8), "\x89PNG\r\n\x1a\n");
  EXPECT_EQ(image.substr(12, 4), "IHDR");
  EXPECT_EQ(image.substr(16, 8), std::string("\0\0\0\x78\0\0\0\x23", 8));  // 120 x 35
  EXPECT_EQ(image.substr(image.size() - 8, 4), "IEND");
  EXPECT_NE(returned.find("mv_yzm="), std::string::npos);
  EXPECT_EQ(service.LastCaptchaText().size(), 4u);
  EXPECT_NE(service.CaptchaUrl(), service.ServiceRoot());
  EXPECT_EQ(service.Requests().back().server, "captcha");
  EXPECT_EQ(service.Requests().back().target, "/?m=tool&act=caption&rnd=0.123456789012345");
}

TEST_F(StandInTest, ReplyChecksLinkAndCaptchaAgainstItsCookies) {
  const std::string session = SignIn();
  const std::string mid = service.AddSampleMails(name)[0];
  const std::string link = service.ReplyLinkFor(mid);
  const std::string f = TextBetween(link + "=", "f_", "=");
  const std::string t = TextBetween(link + "=", "t_", "=");
  EXPECT_EQ(f, mid);
  EXPECT_EQ(t.size(), 12u);

  std::string captchaCookies = session;
  WebAccess(service.CaptchaUrl() + "0.5", 0, {}, &captchaCookies);
  const std::string digits = service.LastCaptchaText();
  auto reply = [&](const std::string& yzm, const std::string& token) {
    std::string cookies = captchaCookies;
    return AnswerText(WebAccess(link, 1, AnonymousBody("hi & bye", f, token, "re", yzm), &cookies));
  };
  EXPECT_NE(reply(digits == "0000" ? "1111" : "0000", t).find("\\u9a8c\\u8bc1\\u7801"), std::string::npos);
  EXPECT_NE(reply(digits, "wrong").find(R"("status":0)"), std::string::npos);
  EXPECT_NE(reply(digits, t).find(R"("status":1)"), std::string::npos);
  const auto replies = service.Replies();
  ASSERT_EQ(replies.size(), 3u);
  EXPECT_TRUE(replies[2].accepted);
  EXPECT_EQ(replies[2].text, "hi & bye");
  EXPECT_EQ(replies[2].args.size(), 7u);
}

TEST_F(StandInTest, StalledAnswersEndWhenReleased) {
  const std::string cookies = SignIn();
  service.SetFailure("refresh", Failure::Stall);
  std::string answer;
  std::thread client([&] { answer = Post(RefreshBody(name), cookies); });
  for (int i = 0; i < 500 && service.StalledCount() == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(service.StalledCount(), 1);
  service.ReleaseStalled();
  client.join();
  EXPECT_EQ(answer.rfind(R"({"status":1,"info":"ok")", 0), 0u);
}

}  // namespace
}  // namespace mailvane

// The anonymous reply and the captcha, through the window.
#include "tests/service/WindowDriver.h"

#include "service/Service.h"
#include "text/Text.h"
#include "web/WebAccess.h"

namespace mailvane {
namespace {

using standin::Failure;

class ReplyWindowTest : public WindowTest {
 protected:
  // Opens the HTML mail; returns its MID.
  std::string OpenFirstMail() {
    const std::string mid = OpenWindowWithMails()[0];
    OpenMail(0);
    return mid;
  }
  void SendReply() {
    Click("按钮3");
    EXPECT_TRUE(WaitUntilIdle());
    EXPECT_TRUE(WaitUntil([&] { return !Messages().empty(); }));
  }
};

TEST_F(ReplyWindowTest, EmptyCaptchaBoxAsksForTheCaptchaAndSendsNothing) {
  OpenFirstMail();
  SendReply();
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], std::make_pair(U("请输入验证码！"), U("提示信息")));
  EXPECT_TRUE(service_->Replies().empty());
}

TEST_F(ReplyWindowTest, ReplyGoesToTheLinkWithItsPiecesInOrder) {
  const std::string mid = OpenFirstMail();
  const std::string link = ReplyLink.Get();
  const std::string t = TextBetween(link + "=", "t_", "=");
  const std::string subject = Text("分组框1").toStdString();
  const std::string code = subject.substr(subject.find('{') + 1, 4);
  const std::string captchaCookies = CaptchaCookies.Get();
  SetText("编辑框_内容", U("Thanks & bye = 100% 谢谢"));
  SetText("编辑框_验证码", QString::fromStdString(service_->LastCaptchaText()));
  SendReply();

  const auto sent = RequestsOf("anonymous");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ("http://127.0.0.1:" + TextBetween(service_->ServiceRoot(), "127.0.0.1:", "/") + sent[0].target,
            link);
  EXPECT_EQ(sent[0].body,
            "data=Thanks+%26+bye+%3D+100%25+%E8%B0%A2%E8%B0%A2"
            "&type=anonymous&arg=f%3D" + mid +
            "_t%3D" + t +
            "_r%3D" + mid +
            "_p%3D0_s%3D%E5%9B%9E%E5%A4%8D%EF%BC%9A%5BNorthwind%5D+Your+code+%7B" + code + "%7D"
            "_yzm%3D" + service_->LastCaptchaText() +
            "_at%3D");
  EXPECT_EQ(sent[0].Header("Cookie"), captchaCookies);
  ASSERT_EQ(service_->Replies().size(), 1u);
  EXPECT_TRUE(service_->Replies()[0].accepted);
  EXPECT_EQ(service_->Replies()[0].text, "Thanks & bye = 100% 谢谢");
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].first, U(R"({"status":1,"info":"回复成功","data":[true]})"));
  EXPECT_EQ(Messages()[0].second, U("提示信息"));
  // Nothing is reset: the same reply can be sent again.
  EXPECT_EQ(Text("编辑框_验证码").toStdString(), service_->LastCaptchaText());
  EXPECT_EQ(CaptchaCookies.Get(), captchaCookies);
}

TEST_F(ReplyWindowTest, WrongCaptchaShowsTheServicesAnswer) {
  OpenFirstMail();
  SetText("编辑框_验证码", "  ");  // spaces are a captcha too
  SendReply();
  ASSERT_EQ(RequestsOf("anonymous").size(), 1u);
  EXPECT_NE(RequestsOf("anonymous")[0].body.find("_yzm%3D++_at%3D"), std::string::npos);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Messages()[0].first.contains(U("验证码错误")));
  EXPECT_FALSE(service_->Replies()[0].accepted);
}

TEST_F(ReplyWindowTest, FailedRequestShowsAnEmptyAnswer) {
  OpenFirstMail();
  SetText("编辑框_验证码", "1234");
  service_->Stop();
  SendReply();
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], std::make_pair(QString(), U("提示信息")));
}

TEST_F(ReplyWindowTest, ClickOnTheCaptchaFetchesANewOneAndKeepsWhatWasTyped) {
  OpenFirstMail();
  const std::string before = CaptchaCookies.Get();
  const QString subject = Text("分组框1");
  SetText("编辑框_验证码", "9");
  Find<QLabel>("图片框_yzm")->clear();
  Click("图片框_yzm");
  ASSERT_TRUE(WaitForRequests("captcha", 2));
  ASSERT_TRUE(WaitUntil([&] { return CaptchaCookies.Get() != before; }));
  ASSERT_TRUE(WaitUntil([&] { return !Find<QLabel>("图片框_yzm")->pixmap().isNull(); }));
  const auto captcha = RequestsOf("captcha");
  EXPECT_NE(captcha[0].target, captcha[1].target);
  EXPECT_EQ(Text("编辑框_验证码"), "9");
  EXPECT_EQ(Text("分组框1"), subject);
}

}  // namespace
}  // namespace mailvane

// The first mailbox and the mailbox change, through the window.
#include "tests/service/WindowDriver.h"

#include "web/WebAccess.h"

namespace mailvane {
namespace {

using standin::Failure;

class MailboxWindowTest : public WindowTest {};

TEST_F(MailboxWindowTest, FirstStartTakesTheNameAndCookiesOfTheHomePage) {
  OpenWindow();
  ASSERT_TRUE(WaitUntil([&] { return !Text("编辑框2").isEmpty(); }));
  EXPECT_EQ(Text("编辑框1").toStdString(), service_->ActiveMailbox());
  EXPECT_EQ(Text("组合框1").toStdString(), service_->MailDomains()[0]);
  const QString cookies = Text("编辑框2");
  EXPECT_TRUE(cookies.startsWith("mv_sid=")) << cookies.toStdString();
  EXPECT_TRUE(cookies.endsWith("; mv_lang=zh-cn")) << cookies.toStdString();

  const auto home = RequestsOf("home");
  ASSERT_EQ(home.size(), 1u);
  EXPECT_EQ(home[0].target, "/");
  EXPECT_EQ(home[0].body, "");
  EXPECT_EQ(home[0].Header("Cookie"), "");
  EXPECT_EQ(home[0].Header("Referer"), service_->ServiceRoot());
  EXPECT_EQ(home[0].Header("Accept-Language"), "zh-cn");
}

TEST_F(MailboxWindowTest, ChangeAsksForTheTypedDomainAndMergesTheCookies) {
  OpenWindowWithMails();
  const std::string oldName = mailbox_;
  const std::string oldCookies = Text("编辑框2").toStdString();
  SetText("组合框1", "typed.example");
  Click("按钮1");
  ASSERT_TRUE(WaitForRequests("renew", 1));
  ASSERT_TRUE(WaitUntilIdle());

  const auto renew = RequestsOf("renew");
  ASSERT_EQ(renew.size(), 1u);
  EXPECT_EQ(renew[0].method, "POST");
  EXPECT_EQ(renew[0].body, "data=" + oldName + "&type=renew&arg=d%3Dtyped.example_f%3D");
  EXPECT_EQ(renew[0].Header("Cookie"), oldCookies);
  const std::string newName = service_->ActiveMailbox();
  EXPECT_NE(newName, oldName);
  EXPECT_EQ(Text("编辑框1").toStdString(), newName);
  // The merge puts the answer's cookies before the ones kept.
  EXPECT_EQ(Text("编辑框2").toStdString(), "mv_box=" + newName + "; " + oldCookies);
  // The list keeps the old mailbox's mails until the next refresh.
  EXPECT_EQ(RowCount(), 3);
}

struct ChangeFailure {
  const char* name;
  Failure failure;
  bool noConnection;
};

class FailedChangeTest : public MailboxWindowTest,
                         public testing::WithParamInterface<ChangeFailure> {};

TEST_P(FailedChangeTest, LeavesTheNameAndTheCookiesAsTheyWere) {
  OpenWindowWithMails();
  const QString name = Text("编辑框1");
  const QString cookies = Text("编辑框2");
  if (GetParam().noConnection) {
    service_->Stop();
  } else {
    service_->SetFailure("renew", GetParam().failure);
  }
  Click("按钮1");
  if (!GetParam().noConnection) ASSERT_TRUE(WaitForRequests("renew", 1));
  ASSERT_TRUE(WaitUntilIdle());
  EXPECT_EQ(Text("编辑框1"), name);
  EXPECT_EQ(Text("编辑框2"), cookies);
  EXPECT_TRUE(Messages().empty());
}

INSTANTIATE_TEST_SUITE_P(Failures, FailedChangeTest,
                         testing::Values(ChangeFailure{"Refusal", Failure::Refuse, false},
                                         ChangeFailure{"ZeroByte", Failure::ZeroByte, false},
                                         ChangeFailure{"NoConnection", Failure::None, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MailboxWindowTest, FailedHomePageGivesAnEmptyMailboxThatTheNextCommandSends) {
  service_->SetFailure("home", Failure::Refuse);
  OpenWindow();
  ASSERT_TRUE(WaitForRequests("home", 1));
  Click("按钮1");  // queued behind the start-up fetch
  ASSERT_TRUE(WaitForRequests("renew", 1));
  ASSERT_TRUE(WaitUntilIdle());
  EXPECT_EQ(RequestsOf("renew")[0].body,
            "data=&type=renew&arg=d%3D" + service_->MailDomains()[0] + "_f%3D");
  EXPECT_EQ(RequestsOf("renew")[0].Header("Cookie"), "");
  EXPECT_EQ(Text("编辑框1"), "");  // refused: no session to ask with
}

}  // namespace
}  // namespace mailvane

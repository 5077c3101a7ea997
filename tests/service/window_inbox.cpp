// The inbox refresh and the mail list, through the window.
#include "tests/service/WindowDriver.h"

#include <QClipboard>
#include <QGuiApplication>

namespace mailvane {
namespace {

using standin::Failure;

class InboxWindowTest : public WindowTest {};

TEST_F(InboxWindowTest, RefreshShowsTheTimesAndOneRowPerMail) {
  const std::vector<std::string> mids = OpenWindowWithMails();
  const std::string cookies = Text("编辑框2").toStdString();
  const auto refresh = RequestsOf("refresh");
  ASSERT_EQ(refresh.size(), 1u);
  EXPECT_EQ(refresh[0].body, "data=" + mailbox_ + "&type=refresh&arg=");
  EXPECT_EQ(refresh[0].Header("Cookie"), cookies);
  EXPECT_EQ(refresh[0].Header("Content-Type"), "application/x-www-form-urlencoded");

  EXPECT_TRUE(Text("标签10").startsWith(U("开始时间：20")));
  EXPECT_TRUE(Text("标签11").startsWith(U("结束时间：20")));
  const auto mails = service_->Mails(mailbox_);
  ASSERT_EQ(RowCount(), 3);
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(Cell(row, 0), QString::number(row + 1));
    EXPECT_EQ(Cell(row, 1).toStdString(), mails[row].to);
    EXPECT_EQ(Cell(row, 2).toStdString(), mails[row].sendTime);
    EXPECT_EQ(Cell(row, 4).toStdString(), mids[row]);  // fourteen digits, exactly
  }
  EXPECT_EQ(Cell(0, 3).toStdString(), "Northwind Orders <orders@northwind.example>");
  EXPECT_EQ(Cell(2, 3), U("客服 <support@lanting.example>"));  // %u escapes decoded

  Refresh(3);  // the same list again, not a doubled one
  EXPECT_EQ(Cell(2, 0), "3");
  EXPECT_EQ(Text("编辑框2").toStdString(), cookies);
}

struct RefreshFailure {
  const char* name;
  Failure failure;
  bool noConnection;
};

class FailedRefreshTest : public InboxWindowTest,
                          public testing::WithParamInterface<RefreshFailure> {};

TEST_P(FailedRefreshTest, EmptiesTheListAndLeavesTheLabelsBare) {
  OpenWindowWithMails();
  if (GetParam().noConnection) {
    service_->Stop();
  } else {
    service_->SetFailure("refresh", GetParam().failure);
  }
  Click("按钮2");
  ASSERT_TRUE(WaitUntil([&] { return Text("标签10") == U("开始时间："); }));
  EXPECT_EQ(Text("标签11"), U("结束时间："));
  EXPECT_EQ(RowCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Failures, FailedRefreshTest,
                         testing::Values(RefreshFailure{"Refusal", Failure::Refuse, false},
                                         RefreshFailure{"NoEnvelope", Failure::NoEnvelope, false},
                                         RefreshFailure{"ZeroByte", Failure::ZeroByte, false},
                                         RefreshFailure{"NoConnection", Failure::None, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(InboxWindowTest, InvalidLocalBytesSpoilOnlyTheirOwnValue) {
  OpenWindowWithMails();
  service_->SetFailure("refresh", Failure::InvalidGbk);  // two bad bytes before the first FROM
  Refresh(3);
  const QString from = Cell(0, 3);
  EXPECT_TRUE(from.endsWith("Northwind Orders <orders@northwind.example>")) << from.toStdString();
  EXPECT_NE(from, "Northwind Orders <orders@northwind.example>");
  EXPECT_EQ(Cell(1, 3), "alerts@status.example");
  EXPECT_EQ(Cell(2, 4).size(), 14);
}

TEST_F(InboxWindowTest, TenThousandMailsFillTheListInOneStep) {
  OpenWindowWithMails();
  service_->AddGeneratedMails(mailbox_, 10000);
  Refresh(10003);
  EXPECT_EQ(Cell(10002, 0), "10003");
  EXPECT_EQ(Cell(0, 3).toStdString(), "newsletter" + std::to_string(9999 % 37) + "@list.example");
}

TEST_F(InboxWindowTest, WindowKeepsWorkingWhileARefreshWaitsForTheService) {
  OpenWindowWithMails();
  service_->SetFailure("refresh", Failure::Stall);
  Click("按钮2");
  ASSERT_TRUE(WaitUntil([&] { return service_->StalledCount() == 1; }));
  // The window's thread is free: its own handlers run and typing lands.
  Click("按钮4");
  EXPECT_EQ(QGuiApplication::clipboard()->text(), Text("编辑框1") + "@" + Text("组合框1"));
  SetText("编辑框_验证码", "1234");
  EXPECT_EQ(Text("编辑框_验证码"), "1234");
  service_->SetFailure("refresh", Failure::None);
  service_->ReleaseStalled();
  ASSERT_TRUE(WaitUntil([&] { return RowCount() == 3; }));
}

TEST_F(InboxWindowTest, AutoRefreshShowsNewMailAsItArrives) {
  OpenWindowWithMails();
  window_->setAutoRefreshSleepForTesting(std::chrono::milliseconds(20));
  Click("选择框1");
  const std::string mid = service_->DeliverNewMail();
  ASSERT_TRUE(WaitUntil([&] { return RowCount() == 4; }));
  EXPECT_EQ(Cell(0, 4).toStdString(), mid);
  Click("选择框1");
}

}  // namespace
}  // namespace mailvane

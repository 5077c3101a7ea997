// Deleting a mail, through the window.
#include "tests/service/WindowDriver.h"

namespace mailvane {
namespace {

using standin::Failure;

class DeleteWindowTest : public WindowTest {
 protected:
  void Delete() {
    Trigger("删除邮件");
    EXPECT_TRUE(WaitUntilIdle());
  }
};

TEST_F(DeleteWindowTest, RemovesTheRowOfTheDeletedMail) {
  const std::vector<std::string> mids = OpenWindowWithMails();
  const std::string cookies = Text("编辑框2").toStdString();
  SelectRow(1);
  Delete();
  const auto sent = RequestsOf("delmail");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].body, "data=" + mailbox_ + "&type=delmail&arg=f%3D" + mids[1]);
  EXPECT_EQ(sent[0].Header("Cookie"), cookies);
  ASSERT_TRUE(WaitUntil([&] { return RowCount() == 2; }));
  EXPECT_EQ(Cell(0, 4).toStdString(), mids[0]);
  EXPECT_EQ(Cell(1, 4).toStdString(), mids[2]);
  EXPECT_EQ(Cell(1, 0), "3");  // not renumbered
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Text("编辑框2").toStdString(), cookies);
}

TEST_F(DeleteWindowTest, ListRebuiltWhileWaitingStillLosesTheRightRow) {
  const std::vector<std::string> mids = OpenWindowWithMails();
  service_->SetFailure("delmail", Failure::Stall);
  SelectRow(1);
  Trigger("删除邮件");
  ASSERT_TRUE(WaitUntil([&] { return service_->StalledCount() == 1; }));
  // Meanwhile a new mail comes and the auto-refresh rebuilds the list.
  const std::string newMid = service_->DeliverNewMail();
  window_->setAutoRefreshSleepForTesting(std::chrono::milliseconds(20));
  Click("选择框1");
  ASSERT_TRUE(WaitUntil([&] { return RowCount() == 4; }));
  Click("选择框1");
  service_->ReleaseStalled();
  ASSERT_TRUE(WaitUntilIdle());
  ASSERT_TRUE(WaitUntil([&] { return RowCount() == 3; }));
  std::vector<std::string> left;
  for (int row = 0; row < RowCount(); ++row) left.push_back(Cell(row, 4).toStdString());
  EXPECT_EQ(left, (std::vector<std::string>{newMid, mids[0], mids[2]}));
}

struct DeleteFailure {
  const char* name;
  Failure failure;
  bool noConnection;
  bool select;
};

class FailedDeleteTest : public DeleteWindowTest,
                         public testing::WithParamInterface<DeleteFailure> {};

TEST_P(FailedDeleteTest, ShowsTheFailureAndKeepsTheRow) {
  OpenWindowWithMails();
  if (GetParam().noConnection) service_->Stop();
  service_->SetFailure("delmail", GetParam().failure);
  if (GetParam().select) SelectRow(0);
  Delete();
  ASSERT_TRUE(WaitUntil([&] { return !Messages().empty(); }));
  EXPECT_EQ(Messages()[0], std::make_pair(U("错误提示"), U("邮件删除失败！")));
  EXPECT_EQ(RowCount(), 3);
  if (!GetParam().noConnection && !GetParam().select) {
    ASSERT_EQ(RequestsOf("delmail").size(), 1u);
    EXPECT_EQ(RequestsOf("delmail")[0].body, "data=" + mailbox_ + "&type=delmail&arg=f%3D");
  }
}

INSTANTIATE_TEST_SUITE_P(Failures, FailedDeleteTest,
                         testing::Values(DeleteFailure{"Refusal", Failure::Refuse, false, true},
                                         DeleteFailure{"ZeroByte", Failure::ZeroByte, false, true},
                                         DeleteFailure{"NoConnection", Failure::None, true, true},
                                         DeleteFailure{"NoSelection", Failure::None, false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace mailvane

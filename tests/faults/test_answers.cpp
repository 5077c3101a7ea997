// Damaged answers end to end: a mail whose answer holds a zero byte, bytes
// that are no local character, or 5 MB of content, opened through the
// window against the stand-in service. Nothing crashes; the damage stays in
// the values it hit.
#include "tests/faults/FaultWindow.h"
#include "tools/standin/StandInService.h"

namespace mailvane::faults {
namespace {

using standin::Failure;

class DamagedMailTest : public FaultWindowTest {
 protected:
  void SetUp() override {
    FaultWindowTest::SetUp();
    ASSERT_TRUE(service_.Start());
    const auto domains = service_.MailDomains();
    Open(ServiceEndpoints{service_.ServiceRoot(), service_.CaptchaUrl(), {domains[0], domains[1]}},
         Directory());
    ASSERT_TRUE(PumpUntil([&] { return !form().编辑框2->toPlainText().isEmpty(); }));
    service_.AddSampleMails(form().编辑框1->text().toStdString());
    QTest::mouseClick(form().按钮2, Qt::LeftButton);
    ASSERT_TRUE(PumpUntil([&] { return Rows() == 3; }));
    // Text only: the HTML view is not what these faults are about.
    QTest::mouseClick(form().选择框2, Qt::LeftButton);
    ASSERT_FALSE(form().选择框2->isChecked());
  }
  void TearDown() override {
    FaultWindowTest::TearDown();
    service_.Stop();
  }

  // Opens the plain-text sample mail and waits for its captcha, which comes
  // last.
  void OpenPlainMail() {
    form().图片框_yzm->clear();
    form().超级列表框1->setCurrentIndex(form().mailList->index(1, 1));
    form().查看邮件->trigger();
    ASSERT_TRUE(PumpUntil([&] { return !form().图片框_yzm->pixmap().isNull(); },
                          std::chrono::seconds(30)));
  }
  QString Content() const { return form().编辑框_内容->toPlainText(); }

  standin::StandInService service_;
};

TEST_F(DamagedMailTest, ZeroByteEmptiesTheMailButNotTheWindow) {
  service_.SetFailure("mailinfo", Failure::ZeroByte);
  Ticker ticker;
  OpenPlainMail();
  EXPECT_TRUE(form().分组框1->isVisible());
  EXPECT_EQ(form().分组框1->title(), "");
  EXPECT_EQ(form().标签_发件人->text(), "");
  EXPECT_EQ(Content(), "");
  EXPECT_TRUE(KeepsTicking(ticker));
  EXPECT_EQ(Rows(), 3);
}

TEST_F(DamagedMailTest, InvalidLocalBytesSpoilOnlyTheSubject) {
  service_.SetFailure("mailinfo", Failure::InvalidGbk);
  const standin::Mail mail = service_.Mails(form().编辑框1->text().toStdString())[1];
  OpenPlainMail();
  const QString subject = QString::fromStdString(mail.subject);
  EXPECT_TRUE(form().分组框1->title().endsWith(subject)) << form().分组框1->title().toStdString();
  EXPECT_NE(form().分组框1->title(), subject);
  EXPECT_EQ(form().标签_发件人->text().toStdString(), mail.from);
  EXPECT_TRUE(Content().contains("The nightly job finished.")) << Content().toStdString();
}

TEST_F(DamagedMailTest, FiveMegabyteMailArrivesWhole) {
  service_.SetFailure("mailinfo", Failure::HugeMail);
  Ticker ticker;
  OpenPlainMail();
  EXPECT_GT(Content().size(), 4 * 1000 * 1000);
  EXPECT_TRUE(Content().endsWith("<p>THE END</p></body></html>")) << Content().right(80).toStdString();
  EXPECT_TRUE(KeepsTicking(ticker));
  ExpectCopyClickHandled();
}

}  // namespace
}  // namespace mailvane::faults

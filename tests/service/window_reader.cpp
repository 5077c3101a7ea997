// Opening a mail in the reader, as HTML and as text, through the window.
#include "tests/service/WindowDriver.h"

#include <QDir>
#include <QFile>

#include "app/HtmlViewHost.h"
#include "service/Service.h"
#include "text/CodePage.h"
#include "web/WebAccess.h"

namespace mailvane {
namespace {

using standin::Failure;

class ReaderWindowTest : public WindowTest {
 protected:
  QByteArray HtmlFile() const {
    QFile file(dir_.filePath("html.htm"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  bool HtmlViewShown() const { return Find<QWidget>("超文本浏览框1")->isVisible(); }
  // The rendered page's text, once the view has loaded the document.
  QString RenderedText() {
    HtmlViewPane* pane = window_->htmlView().pane();
    if (!pane) return {};
    QString text;
    bool done = false;
    pane->ReadPlainText([&](const QString& t) {
      text = t;
      done = true;
    });
    WaitUntil([&] { return done; });
    return text;
  }
  // Into the build tree, so a test run leaves the sources alone; the copies
  // in docs/ come from here.
  void Screenshot(const char* file) {
    // Give the view a moment to paint its first frame; nothing is asserted on it.
    WaitUntil([] { return false; }, 1500);
    QDir().mkpath(MAILVANE_SCREENSHOT_DIR);
    EXPECT_TRUE(window_->grab().save(QString(MAILVANE_SCREENSHOT_DIR "/") + file, "PNG"));
  }
  static QString Plain(const std::string& crlf) {
    return QString::fromStdString(crlf).replace("\r\n", "\n");
  }
};

TEST_F(ReaderWindowTest, HtmlMailFillsTheReaderAndRendersFromTheFile) {
  const std::vector<std::string> mids = OpenWindowWithMails();
  const standin::Mail mail = service_->Mails(mailbox_)[0];
  const std::string cookies = Text("编辑框2").toStdString();
  OpenMail(0);

  const auto info = RequestsOf("mailinfo");
  ASSERT_EQ(info.size(), 1u);
  EXPECT_EQ(info[0].body, "data=" + mailbox_ + "&type=mailinfo&arg=f%3D" + mids[0]);
  EXPECT_EQ(info[0].Header("Cookie"), cookies);

  EXPECT_TRUE(Find<QWidget>("分组框1")->isVisible());
  EXPECT_EQ(Text("分组框1").toStdString(), mail.subject);  // brackets and braces intact
  EXPECT_EQ(Text("标签_发件人").toStdString(), mail.from);
  EXPECT_EQ(Text("标签_收件人").toStdString(), mail.to);
  EXPECT_EQ(Text("标签_收到时间").toStdString(), mail.sendTime);
  EXPECT_EQ(Text("编辑框_内容").toStdString(), mail.content);  // quotes, "]]}" and %2F intact
  EXPECT_EQ(ReplyLink.Get(), service_->ReplyLinkFor(mids[0]));
  // html.htm holds the content as local text, and the view shows it.
  EXPECT_EQ(HtmlFile().toStdString(), Utf8ToLocal(mail.content));
  EXPECT_TRUE(HtmlViewShown());
  ASSERT_TRUE(WaitUntil([&] { return RenderedText().contains(U("您的订单已发货")); }));
  EXPECT_FALSE(RenderedText().contains("<p>"));

  // The captcha: a fresh random text, the mailbox's cookies sent, the
  // returned ones kept for the reply only.
  const auto captcha = RequestsOf("captcha");
  ASSERT_EQ(captcha.size(), 1u);
  const std::string prefix = "/?m=tool&act=caption&rnd=";
  ASSERT_EQ(captcha[0].target.rfind(prefix, 0), 0u);
  EXPECT_EQ(captcha[0].target.size(), prefix.size() + 17);
  EXPECT_EQ(captcha[0].Header("Cookie"), cookies);
  EXPECT_NE(CaptchaCookies.Get().find("mv_yzm="), std::string::npos);
  EXPECT_NE(CaptchaCookies.Get().find("mv_sid="), std::string::npos);
  EXPECT_EQ(Text("编辑框2").toStdString(), cookies);
  Screenshot("reader-html.png");
}

TEST_F(ReaderWindowTest, TextModeShowsTheOpenedMailAndLeavesTheFileAlone) {
  OpenWindowWithMails();
  const auto mails = service_->Mails(mailbox_);
  OpenMail(0);
  ASSERT_TRUE(HtmlViewShown());

  Click("选择框2");  // to text: the file's text back into the box, the view hidden
  EXPECT_FALSE(HtmlViewShown());
  EXPECT_EQ(Text("编辑框_内容").toStdString(), mails[0].content);

  OpenMail(1);  // the plain-text mail, while the box is unticked
  EXPECT_FALSE(HtmlViewShown());
  EXPECT_EQ(Text("编辑框_内容"), Plain(mails[1].content));
  EXPECT_EQ(HtmlFile().toStdString(), Utf8ToLocal(mails[0].content));
  Screenshot("reader-text.png");

  Click("选择框2");  // back to HTML: what the box holds now goes to the file
  EXPECT_TRUE(HtmlViewShown());
  EXPECT_EQ(QString::fromUtf8(HtmlFile()), Plain(mails[1].content));
}

TEST_F(ReaderWindowTest, ChineseMailAndEscapedSenderReadCorrectly) {
  OpenWindowWithMails();
  const auto mails = service_->Mails(mailbox_);
  OpenMail(2);
  EXPECT_EQ(Text("分组框1").toStdString(), mails[2].subject);
  EXPECT_EQ(Text("标签_发件人"), U("客服 <support@lanting.example>"));
  EXPECT_EQ(Text("编辑框_内容").toStdString(), mails[2].content);
}

struct ReadFailure {
  const char* name;
  Failure failure;
  bool noConnection;
};

class FailedReadTest : public ReaderWindowTest,
                       public testing::WithParamInterface<ReadFailure> {};

TEST_P(FailedReadTest, ShowsEmptyValuesAndStillFetchesACaptcha) {
  OpenWindowWithMails();
  OpenMail(0);
  ASSERT_FALSE(ReplyLink.Get().empty());
  if (GetParam().noConnection) {
    CancelAllRequests();  // every request fails at once, the captcha's too
  } else {
    service_->SetFailure("mailinfo", GetParam().failure);
  }
  SelectRow(1);
  Trigger("查看邮件");
  ASSERT_TRUE(WaitUntil([&] { return Text("分组框1").isEmpty() && Text("编辑框_内容").isEmpty(); }));
  EXPECT_EQ(Text("标签_发件人"), "");
  EXPECT_TRUE(Text("标签_收到时间").isEmpty());
  ASSERT_TRUE(WaitUntil([] { return ReplyLink.Get().empty(); }));
  if (!GetParam().noConnection) EXPECT_TRUE(WaitForRequests("captcha", 2));
}

INSTANTIATE_TEST_SUITE_P(Failures, FailedReadTest,
                         testing::Values(ReadFailure{"Refusal", Failure::Refuse, false},
                                         ReadFailure{"NoEnvelope", Failure::NoEnvelope, false},
                                         ReadFailure{"ZeroByte", Failure::ZeroByte, false},
                                         ReadFailure{"NoConnection", Failure::None, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReaderWindowTest, InvalidLocalBytesSpoilOnlyTheSubject) {
  OpenWindowWithMails();
  const auto mails = service_->Mails(mailbox_);
  service_->SetFailure("mailinfo", Failure::InvalidGbk);
  OpenMail(0);
  EXPECT_TRUE(Text("分组框1").endsWith(QString::fromStdString(mails[0].subject)));
  EXPECT_NE(Text("分组框1").toStdString(), mails[0].subject);
  EXPECT_EQ(Text("标签_发件人").toStdString(), mails[0].from);
  EXPECT_EQ(Text("编辑框_内容").toStdString(), mails[0].content);
}

TEST_F(ReaderWindowTest, FiveMegabyteMailArrivesWhole) {
  OpenWindowWithMails();
  service_->SetFailure("mailinfo", Failure::HugeMail);
  OpenMail(0);
  const QString content = Text("编辑框_内容");
  EXPECT_GE(content.toUtf8().size(), 5 * 1024 * 1024);
  EXPECT_TRUE(content.endsWith("<p>THE END</p></body></html>"));
  EXPECT_EQ(HtmlFile().toStdString(), Utf8ToLocal(content.toStdString()));
}

}  // namespace
}  // namespace mailvane

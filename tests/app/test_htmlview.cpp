// The HTML view: the mail shows, in its local code page, and nothing else is
// loaded: no remote image, style or font, no script.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDesktopServices>

#include "WindowTestSupport.h"
#include "app/HtmlViewHost.h"

namespace mailvane::testing {
namespace {

// Counts the TCP connections made to it, whether or not a request follows
// (a preconnect opens a socket that no request interceptor ever sees); a
// mail must cause none.
class ConnectionCounter {
 public:
  ConnectionCounter() {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(fd_, 16);
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] {
      while (!stop_.load()) {
        pollfd waiting{fd_, POLLIN, 0};
        if (::poll(&waiting, 1, 50) <= 0) continue;
        const int client = ::accept(fd_, nullptr, nullptr);
        if (client < 0) continue;
        ++connections_;
        ::close(client);
      }
    });
  }
  ~ConnectionCounter() {
    stop_ = true;
    thread_.join();
    ::close(fd_);
  }
  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  int Connections() const { return connections_.load(); }

 private:
  int fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> connections_{0};
  std::thread thread_;
};

class HtmlViewTest : public WindowTest {
 protected:
  // Writes html.htm, points the view at it as the mail reader does, and
  // returns the page's text once it has loaded.
  QString Show(const std::string& localBytes) {
    const std::string path = Directory() + "/html.htm";
    QFile file(QString::fromStdString(path));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(localBytes.data(), static_cast<qint64>(localBytes.size()));
    file.close();

    MainWindow& w = *window;
    bool loaded = false;
    w.backend()->WriteVisible("超文本浏览框1", true);
    EXPECT_NE(w.htmlView().pane(), nullptr);
    if (!w.htmlView().pane()) return {};
    w.htmlView().pane()->SetLoadFinished([&](bool) { loaded = true; });
    w.backend()->WriteAddress("超文本浏览框1", path);
    EXPECT_TRUE(PumpUntil([&] { return loaded; }, std::chrono::seconds(60)));
    w.htmlView().pane()->SetLoadFinished({});
    QString text;
    bool answered = false;
    w.htmlView().pane()->ReadPlainText([&](const QString& t) {
      text = t;
      answered = true;
    });
    EXPECT_TRUE(PumpUntil([&] { return answered; }, std::chrono::seconds(30)));
    return text;
  }
};

TEST_F(HtmlViewTest, ModuleLoadsOnFirstUseOnly) {
  MainWindow& w = OpenWithSavedMailbox();
  EXPECT_EQ(w.htmlView().pane(), nullptr);
  EXPECT_FALSE(HtmlViewHost::ModulePath().isEmpty());
  w.backend()->WriteVisible("超文本浏览框1", false);
  EXPECT_EQ(w.htmlView().pane(), nullptr);
  w.backend()->WriteVisible("超文本浏览框1", true);
  ASSERT_NE(w.htmlView().pane(), nullptr);
  EXPECT_FALSE(w.form().超文本浏览框1->isHidden());
  EXPECT_EQ(w.htmlView().pane()->Widget()->parentWidget(), w.form().超文本浏览框1);
}

TEST_F(HtmlViewTest, LocalCodePageWinsOverTheMarkupsCharset) {
  OpenWithSavedMailbox();
  window->form().分组框1->show();
  const std::string mail = "<html><head><meta charset=\"utf-8\"><title>t</title></head><body><p>" +
                           Gbk("你好，世界：临时邮箱") + "</p></body></html>";
  EXPECT_TRUE(Show(mail).contains(QString::fromUtf8("你好，世界：临时邮箱")));
}

TEST_F(HtmlViewTest, MailLoadsNothingFromTheNetworkAndRunsNoScript) {
  ConnectionCounter tracker;
  OpenWithSavedMailbox();
  window->form().分组框1->show();
  const std::string mail =
      "<html><head>"
      "<link rel=\"stylesheet\" href=\"" + tracker.Url("/style.css") + "\">"
      "<style>@font-face{font-family:T;src:url(" + tracker.Url("/font.woff") + ")}"
      "body{font-family:T;background:url(" + tracker.Url("/bg.png") + ")}</style>"
      "</head><body><p id=\"p\">static text</p>"
      "<img src=\"" + tracker.Url("/pixel.png") + "\">"
      "<iframe src=\"" + tracker.Url("/frame.html") + "\"></iframe>"
      "<img src=\"file:///etc/hostname\">"
      "<script>document.getElementById('p').textContent='script ran';"
      "new Image().src='" + tracker.Url("/script.png") + "';</script>"
      "</body></html>";
  const QString text = Show(mail);
  EXPECT_TRUE(text.contains("static text"));
  EXPECT_FALSE(text.contains("script ran"));
  QTest::qWait(300);  // give a late fetch its chance to arrive
  EXPECT_EQ(tracker.Connections(), 0);
}

TEST_F(HtmlViewTest, ResourceHintsOpenNoConnection) {
  ConnectionCounter counter;
  OpenWithSavedMailbox();
  window->form().分组框1->show();
  const std::string mail =
      "<html><head>"
      "<link rel=\"preconnect\" href=\"" + counter.Url("/") + "\">"
      "<link rel=\"dns-prefetch\" href=\"" + counter.Url("/") + "\">"
      "<link rel=\"prefetch\" href=\"" + counter.Url("/next.html") + "\">"
      "<link rel=\"preload\" as=\"image\" href=\"" + counter.Url("/hint.png") + "\">"
      "<meta http-equiv=\"refresh\" content=\"0;url=" + counter.Url("/refresh") + "\">"
      "</head><body><p>hinted</p><a href=\"" + counter.Url("/link") + "\">link</a></body></html>";
  EXPECT_TRUE(Show(mail).contains("hinted"));
  QTest::qWait(500);  // give a late connection its chance to arrive
  EXPECT_EQ(counter.Connections(), 0);
}

// The document is served whole, however large: no 2 MB limit.
TEST_F(HtmlViewTest, LargeMailIsShownToTheEnd) {
  OpenWithSavedMailbox();
  window->form().分组框1->show();
  std::string mail = "<html><body><p>";
  while (mail.size() < 3 * 1024 * 1024) mail += Gbk("内容很长的邮件 ");
  mail += "<b>THE END</b></p></body></html>";
  EXPECT_TRUE(Show(mail).contains("THE END"));
}

}  // namespace
}  // namespace mailvane::testing

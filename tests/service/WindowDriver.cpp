#include "tests/service/WindowDriver.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <unistd.h>

#include "app/MailListModel.h"
#include "service/Service.h"
#include "web/WebAccess.h"

namespace mailvane {

void WindowTest::SetUp() {
  ResumeRequests();
  ReplyLink.Set({});
  CaptchaCookies.Set({});
  service_ = std::make_unique<standin::StandInService>();
  ASSERT_TRUE(service_->Start());
  ASSERT_TRUE(dir_.isValid());
}

void WindowTest::TearDown() {
  CloseMessages();
  CloseWindow();
  service_->Stop();
}

void WindowTest::OpenWindow() {
  const auto domains = service_->MailDomains();
  window_ = std::make_unique<MainWindow>(
      ServiceEndpoints{service_->ServiceRoot(), service_->CaptchaUrl(), {domains[0], domains[1]}},
      dir_.path().toStdString());
  window_->show();
}

std::vector<std::string> WindowTest::OpenWindowWithMails() {
  OpenWindow();
  EXPECT_TRUE(WaitUntil([&] { return !Text("编辑框2").isEmpty(); }));
  mailbox_ = Text("编辑框1").toStdString();
  std::vector<std::string> mids = service_->AddSampleMails(mailbox_);
  Refresh(3);
  return mids;
}

void WindowTest::CloseWindow() {
  if (!window_) return;
  window_->close();
  window_.reset();
}

QString WindowTest::Text(const char* name) const {
  QObject* widget = window_->findChild<QObject*>(U(name));
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit->text();
  if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) return edit->toPlainText();
  if (auto* combo = qobject_cast<QComboBox*>(widget)) return combo->currentText();
  if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
  if (auto* group = qobject_cast<QGroupBox*>(widget)) return group->title();
  ADD_FAILURE() << "no text control " << name;
  return {};
}

void WindowTest::SetText(const char* name, const QString& text) {
  QObject* widget = window_->findChild<QObject*>(U(name));
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    edit->clear();
    QTest::keyClicks(edit, text);
  } else if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) {
    edit->setPlainText(text);
  } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    combo->setEditText(text);
  } else {
    ADD_FAILURE() << "no editable control " << name;
  }
}

void WindowTest::Click(const char* name) {
  QWidget* widget = Find<QWidget>(name);
  ASSERT_NE(widget, nullptr);
  QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

void WindowTest::Trigger(const char* action) {
  QAction* item = Find<QAction>(action);
  ASSERT_NE(item, nullptr);
  item->trigger();
}

void WindowTest::SelectRow(int row) {
  auto* list = Find<QTreeView>("超级列表框1");
  const QModelIndex index = list->model()->index(row, 1);
  list->scrollTo(index);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
}

int WindowTest::RowCount() const { return window_->form().mailList->rowCount(); }

QString WindowTest::Cell(int row, int column) const {
  return window_->form().mailList->index(row, column).data().toString();
}

bool WindowTest::WaitUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(2);
  }
  QCoreApplication::processEvents();
  return true;
}

bool WindowTest::WaitUntilIdle() {
  return WaitUntil([] { return QApplication::overrideCursor() == nullptr; });
}

std::vector<standin::RecordedRequest> WindowTest::RequestsOf(const std::string& type) const {
  std::vector<standin::RecordedRequest> found;
  for (auto& r : service_->Requests()) {
    const bool match = type == "captcha" ? r.server == "captcha"
                       : type == "home"  ? r.method == "GET" && r.server == "service"
                                         : r.body.find("&type=" + type + "&") != std::string::npos;
    if (match) found.push_back(r);
  }
  return found;
}

bool WindowTest::WaitForRequests(const std::string& type, std::size_t count) {
  return WaitUntil([&] { return RequestsOf(type).size() >= count; });
}

std::vector<std::pair<QString, QString>> WindowTest::Messages() const {
  std::vector<std::pair<QString, QString>> shown;
  if (!window_) return shown;
  for (auto* box : window_->findChildren<QMessageBox*>())
    if (box->isVisible()) shown.emplace_back(box->text(), box->windowTitle());
  return shown;
}

void WindowTest::CloseMessages() {
  if (!window_) return;
  for (auto* box : window_->findChildren<QMessageBox*>()) box->close();
  QCoreApplication::processEvents();
}

void WindowTest::Refresh(int rows) {
  const std::size_t before = RequestsOf("refresh").size();
  // Written again by the refresh after it has emptied the list, so a list of
  // the right length seen after that is the new one.
  Find<QLabel>("标签11")->clear();
  Click("按钮2");
  ASSERT_TRUE(WaitForRequests("refresh", before + 1));
  ASSERT_TRUE(WaitUntil([&] { return RowCount() == rows && Text("标签11").size() > 5; }))
      << RowCount();
}

void WindowTest::OpenMail(int row) {
  const std::size_t captchas = RequestsOf("captcha").size();
  Find<QLabel>("图片框_yzm")->clear();
  SelectRow(row);
  Trigger("查看邮件");
  ASSERT_TRUE(WaitForRequests("captcha", captchas + 1));
  ASSERT_TRUE(WaitUntil([&] { return !Find<QLabel>("图片框_yzm")->pixmap().isNull(); }));
}

}  // namespace mailvane

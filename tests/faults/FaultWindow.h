#pragma once
// The real window, offscreen, on a temporary data directory, pointed at a
// misbehaving server; a 10 ms timer on the window's thread that shows whether
// the window kept serving its events; bounded waits.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>
#include <string>

#include "app/MailListModel.h"
#include "app/MainWindow.h"
#include "app/ProfileFile.h"
#include "app/WindowBackend.h"
#include "tests/app/WindowTestSupport.h"
#include "text/CodePage.h"
#include "web/WebAccess.h"

namespace mailvane::faults {

using testing::FileBytes;
using testing::Gbk;
using testing::PumpUntil;

inline QString U(const char* utf8) { return QString::fromUtf8(utf8); }

// Counts the ticks of a 10 ms timer on the window's thread.
class Ticker {
 public:
  Ticker() {
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { ++ticks_; });
    timer_.start(10);
  }
  int ticks() const { return ticks_; }

 private:
  QTimer timer_;
  int ticks_ = 0;
};

inline ServiceEndpoints EndpointsAt(const std::string& serviceRoot) {
  return {serviceRoot, serviceRoot + "?m=tool&act=caption&rnd=",
          {"example.invalid", "example2.invalid"}};
}

class FaultWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResumeRequests();
    ASSERT_TRUE(data_.isValid());
  }
  void TearDown() override {
    CloseMessages();
    window_.reset();
    ResumeRequests();
  }

  std::string Directory() const { return data_.path().toStdString(); }
  std::string SettingsPath() const { return Directory() + "/config.ini"; }

  // A saved mailbox, so the window asks the service for nothing at start.
  void SaveMailbox(const std::string& name = "box7", const std::string& cookies = "mv_sid=s1") {
    const std::string section = Gbk("保存数据");
    ASSERT_TRUE(WriteProfileString(SettingsPath(), section, Gbk("邮箱ID"), name));
    ASSERT_TRUE(WriteProfileString(SettingsPath(), section, Gbk("邮箱dz"), "example.invalid"));
    ASSERT_TRUE(WriteProfileString(SettingsPath(), section, "cookies", cookies));
  }

  MainWindow& Open(const ServiceEndpoints& endpoints, const std::string& directory) {
    window_ = std::make_unique<MainWindow>(endpoints, directory);
    window_->show();
    QCoreApplication::processEvents();
    return *window_;
  }
  MainWindow& Open(const std::string& serviceRoot) { return Open(EndpointsAt(serviceRoot), Directory()); }

  const MainForm& form() const { return window_->form(); }
  int Rows() const { return form().mailList->rowCount(); }

  // Rows a refresh has to clear.
  void FillList(int rows) {
    std::vector<MailRow> filled;
    for (int i = 0; i < rows; ++i) filled.push_back({std::to_string(i + 1), "a", "b", "c", "1"});
    window_->backend()->ReplaceRows("超级列表框1", std::move(filled));
    ASSERT_TRUE(PumpUntil([&] { return Rows() == rows; }));
  }

  // Clicks 按钮2 with the list filled and the labels blanked; true once the
  // refresh has written its labels.
  void ClickRefresh() {
    FillList(3);
    form().标签10->clear();
    form().标签11->clear();
    QTest::mouseClick(form().按钮2, Qt::LeftButton);
  }
  bool RefreshEnded(std::chrono::milliseconds limit = std::chrono::seconds(30)) {
    return PumpUntil([&] { return !form().标签11->text().isEmpty(); }, limit);
  }
  // What a failed refresh leaves: bare labels and no rows.
  void ExpectFailedRefreshShown() {
    EXPECT_EQ(form().标签10->text(), U("开始时间："));
    EXPECT_EQ(form().标签11->text(), U("结束时间："));
    EXPECT_EQ(Rows(), 0);
    EXPECT_TRUE(Messages().empty());
  }

  // A click on another control is handled at once: 按钮4 copies the address.
  void ExpectCopyClickHandled() {
    QGuiApplication::clipboard()->clear();
    QTest::mouseClick(form().按钮4, Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              form().编辑框1->text() + "@" + form().组合框1->currentText());
  }

  // True when the timer ticks twice within the limit.
  static bool KeepsTicking(const Ticker& ticker) {
    const int before = ticker.ticks();
    return PumpUntil([&] { return ticker.ticks() >= before + 2; }, std::chrono::seconds(10));
  }

  std::vector<QString> Messages() const {
    std::vector<QString> shown;
    if (!window_) return shown;
    for (auto* box : window_->findChildren<QMessageBox*>())
      if (box->isVisible()) shown.push_back(box->text());
    return shown;
  }
  void CloseMessages() {
    if (!window_) return;
    for (auto* box : window_->findChildren<QMessageBox*>()) box->close();
    QCoreApplication::processEvents();
  }

  QTemporaryDir data_;
  std::unique_ptr<MainWindow> window_;
};

}  // namespace mailvane::faults

#pragma once
// Helpers shared by the window tests: a window on a temporary data
// directory, bounded waits, local text.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "app/MainWindow.h"
#include "app/ProfileFile.h"
#include "app/WindowBackend.h"
#include "text/CodePage.h"
#include "web/WebAccess.h"

namespace mailvane::testing {

inline std::string Gbk(const char* utf8) { return Utf8ToLocal(utf8); }

// Nothing listens on port 1: a request there fails at once.
inline ServiceEndpoints DeadEndpoints() {
  return {"http://127.0.0.1:1/", "http://127.0.0.1:1/?m=tool&act=caption&rnd=",
          {"example.invalid", "example2.invalid"}};
}

// Pumps events until done() or the time is up; the answer of done().
inline bool PumpUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds limit = std::chrono::seconds(10)) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

// Runs work on a thread of its own while the window's thread keeps pumping
// events, as a service operation does; the writes it posted are delivered
// before this returns.
inline void RunOnWorker(const std::function<void()>& work) {
  std::atomic<bool> finished{false};
  std::thread worker([&] {
    work();
    finished = true;
  });
  const bool ended = PumpUntil([&] { return finished.load(); });
  worker.join();
  QCoreApplication::processEvents();
  ASSERT_TRUE(ended);
}

inline QByteArray FileBytes(const std::string& path) {
  QFile file(QString::fromStdString(path));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QByteArray Bytes(const std::string& text) { return QByteArray::fromStdString(text); }

// A window on a temporary data directory. With a settings file holding just
// the section, the window starts without asking the service for a mailbox.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(data.isValid());
    ResumeRequests();
  }
  void TearDown() override {
    window.reset();
    ResumeRequests();
  }

  std::string Directory() const { return data.path().toStdString(); }
  std::string SettingsPath() const { return Directory() + "/config.ini"; }

  void WriteSectionOnly() {
    QFile file(QString::fromStdString(SettingsPath()));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(Bytes(Gbk("[保存数据]\r\n")));
  }

  // Opens the window and lets its created event run.
  MainWindow& Open(const MainWindow::OperationHook& hook = {}) {
    window = std::make_unique<MainWindow>(DeadEndpoints(), Directory());
    if (hook) window->setOperationHookForTesting(hook);
    window->show();
    QCoreApplication::processEvents();
    return *window;
  }

  MainWindow& OpenWithSavedMailbox(const MainWindow::OperationHook& hook = {}) {
    WriteSectionOnly();
    return Open(hook);
  }

  QTemporaryDir data;
  std::unique_ptr<MainWindow> window;
};

}  // namespace mailvane::testing

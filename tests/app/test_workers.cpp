// The workers behind the window: the auto-refresh rhythm, the command thread,
// and closing while they run.
#include <httplib.h>

#include <QCheckBox>
#include <QCursor>
#include <QPushButton>
#include <condition_variable>
#include <set>

#include "WindowTestSupport.h"

namespace mailvane::testing {
namespace {

// Counts refreshes and the threads they ran on.
struct RefreshLog {
  std::mutex mutex;
  int count = 0;
  std::set<std::thread::id> threads;

  MainWindow::OperationHook Hook() {
    return [this](std::string_view operation) {
      if (operation != "RefreshInbox") return;
      std::lock_guard lock(mutex);
      ++count;
      threads.insert(std::this_thread::get_id());
    };
  }
  int Count() {
    std::lock_guard lock(mutex);
    return count;
  }
  size_t Threads() {
    std::lock_guard lock(mutex);
    return threads.size();
  }
};

class AutoRefreshTest : public WindowTest {
 protected:
  MainWindow& OpenWithSleep(std::chrono::milliseconds sleep) {
    MainWindow& w = OpenWithSavedMailbox(log.Hook());
    w.setAutoRefreshSleepForTesting(sleep);
    return w;
  }
  void Click(MainWindow& w) { QTest::mouseClick(w.form().选择框1, Qt::LeftButton); }

  // The count once it has not moved for a while.
  int SettledCount(std::chrono::milliseconds quiet) {
    int last = log.Count();
    for (int rounds = 0; rounds < 50; ++rounds) {
      QTest::qWait(static_cast<int>(quiet.count()));
      const int now = log.Count();
      if (now == last) return now;
      last = now;
    }
    return -1;
  }

  RefreshLog log;
};

TEST_F(AutoRefreshTest, TickedBoxRefreshesAtOnceAndAgainAfterTheSleeps) {
  MainWindow& w = OpenWithSleep(std::chrono::milliseconds(5));
  Click(w);
  ASSERT_TRUE(w.form().选择框1->isChecked());
  ASSERT_TRUE(PumpUntil([&] { return log.Count() >= 3; }));
  EXPECT_EQ(log.Threads(), 1u);
  EXPECT_EQ(log.threads.count(std::this_thread::get_id()), 0u);  // never the window's thread
  Click(w);
  const int settled = SettledCount(std::chrono::milliseconds(200));
  ASSERT_GT(settled, 0);
  QTest::qWait(100);
  EXPECT_EQ(log.Count(), settled);  // the worker has ended
}

TEST_F(AutoRefreshTest, UntickDuringTheWaitLetsExactlyOneMoreRefreshHappen) {
  MainWindow& w = OpenWithSleep(std::chrono::milliseconds(200));
  Click(w);
  ASSERT_TRUE(PumpUntil([&] { return log.Count() == 1; }));
  QTest::qWait(150);  // the refresh (to a closed port) is over: the worker sleeps
  Click(w);
  ASSERT_TRUE(PumpUntil([&] { return log.Count() == 2; }));
  EXPECT_EQ(SettledCount(std::chrono::milliseconds(500)), 2);
}

TEST_F(AutoRefreshTest, TickingAgainWhileTheWorkerLivesStartsNoOther) {
  MainWindow& w = OpenWithSleep(std::chrono::milliseconds(100));
  Click(w);
  ASSERT_TRUE(PumpUntil([&] { return log.Count() == 1; }));
  QTest::qWait(100);  // into the sleeps
  for (int i = 0; i < 6; ++i) Click(w);  // untick, tick, ... ends ticked
  ASSERT_TRUE(w.form().选择框1->isChecked());
  ASSERT_TRUE(PumpUntil([&] { return log.Count() >= 4; }));
  EXPECT_EQ(log.Threads(), 1u);
}

TEST_F(AutoRefreshTest, UntickedClickStartsNothing) {
  MainWindow& w = OpenWithSleep(std::chrono::milliseconds(5));
  w.form().选择框1->setChecked(true);
  Click(w);  // unticks
  EXPECT_EQ(SettledCount(std::chrono::milliseconds(100)), 0);
}

// A service that takes each request and answers only when the test lets it,
// or after ten seconds.
class StallingService {
 public:
  StallingService() {
    server_.Post("/", [this](const httplib::Request&, httplib::Response& response) {
      std::unique_lock lock(mutex_);
      ++requests_;
      arrived_.notify_all();
      release_.wait_for(lock, std::chrono::seconds(10), [this] { return released_; });
      response.set_content("", "text/html");
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
  }
  ~StallingService() {
    {
      std::lock_guard lock(mutex_);
      released_ = true;
    }
    release_.notify_all();
    server_.stop();
    thread_.join();
  }
  ServiceEndpoints Endpoints() const {
    const std::string root = "http://127.0.0.1:" + std::to_string(port_) + "/";
    return {root, root + "?m=tool&act=caption&rnd=", {"example.invalid", "example2.invalid"}};
  }
  int Requests() {
    std::lock_guard lock(mutex_);
    return requests_;
  }

 private:
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable arrived_, release_;
  int requests_ = 0;
  bool released_ = false;
};

using ClosingTest = WindowTest;

TEST_F(ClosingTest, ClosingWhileRequestsHangEndsEveryWorkerAndSaves) {
  StallingService service;
  WriteSectionOnly();
  window = std::make_unique<MainWindow>(service.Endpoints(), Directory());
  window->show();
  QCoreApplication::processEvents();
  window->form().编辑框1->setText("closing");
  QTest::mouseClick(window->form().选择框1, Qt::LeftButton);  // auto-refresh worker
  QTest::mouseClick(window->form().按钮1, Qt::LeftButton);   // command thread
  window->form().查看邮件->trigger();                        // mail reader
  ASSERT_TRUE(PumpUntil([&] { return service.Requests() >= 3; }));

  std::shared_ptr<WindowBackend> backend = window->backend();
  window->close();  // returns once every worker has ended
  EXPECT_TRUE(backend->IsClosed());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(FileBytes(SettingsPath()).contains("closing"));
  window.reset();
}

TEST_F(ClosingTest, DestroyingWithoutCloseStopsWorkersToo) {
  std::atomic<bool> inRefresh{false};
  std::shared_ptr<WindowBackend> held;
  MainWindow& w = OpenWithSavedMailbox([&](std::string_view operation) {
    if (operation != "RefreshInbox") return;
    inRefresh = true;
    // Keeps reading until the window goes: each read waits for the window.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!held->IsClosed() && std::chrono::steady_clock::now() < end) held->ReadText("编辑框1");
  });
  held = w.backend();
  QTest::mouseClick(w.form().按钮2, Qt::LeftButton);
  ASSERT_TRUE(PumpUntil([&] { return inRefresh.load(); }));
  window.reset();
  EXPECT_TRUE(held->IsClosed());
}

class CommandTest : public WindowTest {};

// Holds one named operation until released (or ten seconds pass).
struct Gate {
  std::mutex mutex;
  std::condition_variable changed;
  bool open = false;
  std::vector<std::string> started;

  MainWindow::OperationHook Hook(std::string held) {
    return [this, held](std::string_view operation) {
      std::unique_lock lock(mutex);
      started.emplace_back(operation);
      changed.notify_all();
      if (operation == held) changed.wait_for(lock, std::chrono::seconds(10), [this] { return open; });
    };
  }
  void Open() {
    {
      std::lock_guard lock(mutex);
      open = true;
    }
    changed.notify_all();
  }
  std::vector<std::string> Started() {
    std::lock_guard lock(mutex);
    return started;
  }
};

TEST_F(CommandTest, ARunningChangeShowsBusyCursorAndIgnoresASecondClick) {
  Gate gate;
  MainWindow& w = OpenWithSavedMailbox(gate.Hook("ChangeMailbox"));
  QTest::mouseClick(w.form().按钮1, Qt::LeftButton);
  QTest::mouseClick(w.form().按钮1, Qt::LeftButton);
  ASSERT_TRUE(PumpUntil([&] { return gate.Started().size() == 1; }));
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
  QTest::qWait(50);
  EXPECT_EQ(gate.Started(), std::vector<std::string>{"ChangeMailbox"});

  gate.Open();
  ASSERT_TRUE(PumpUntil([&] { return QApplication::overrideCursor() == nullptr; }));
  QTest::mouseClick(w.form().按钮1, Qt::LeftButton);
  ASSERT_TRUE(PumpUntil([&] { return gate.Started().size() == 2; }));
}

TEST_F(CommandTest, CommandsWaitForTheStartUpFetchAndKeepTheUsersOrder) {
  Gate gate;
  MainWindow& w = Open(gate.Hook("FetchInitialMailbox"));  // no settings file
  ASSERT_TRUE(PumpUntil([&] { return gate.Started().size() == 1; }));
  QTest::mouseClick(w.form().按钮2, Qt::LeftButton);
  w.form().删除邮件->trigger();
  w.form().分组框1->show();
  QTest::mousePress(w.form().图片框_yzm, Qt::LeftButton);
  QTest::mouseClick(w.form().按钮3, Qt::LeftButton);
  QTest::qWait(50);
  EXPECT_EQ(gate.Started(), std::vector<std::string>{"FetchInitialMailbox"});
  gate.Open();
  ASSERT_TRUE(PumpUntil([&] { return gate.Started().size() == 5; }));
  EXPECT_EQ(gate.Started(), (std::vector<std::string>{"FetchInitialMailbox", "RefreshInbox", "DeleteMail",
                                                       "LoadCaptcha", "SendReply"}));
}

// The reader and the auto-refresh run beside the command thread; at a first
// start they too wait until the first mailbox has been fetched.
TEST_F(CommandTest, ReaderAndAutoRefreshWaitForTheStartUpFetch) {
  Gate gate;
  MainWindow& w = Open(gate.Hook("FetchInitialMailbox"));  // no settings file
  ASSERT_TRUE(PumpUntil([&] { return gate.Started().size() == 1; }));
  w.form().查看邮件->trigger();
  QTest::mouseClick(w.form().选择框1, Qt::LeftButton);
  QTest::qWait(50);
  EXPECT_EQ(gate.Started(), std::vector<std::string>{"FetchInitialMailbox"});
  gate.Open();
  ASSERT_TRUE(PumpUntil([&] { return gate.Started().size() >= 3; }));
  const std::vector<std::string> started = gate.Started();
  std::vector<std::string> after(started.begin() + 1, started.begin() + 3);
  std::sort(after.begin(), after.end());
  EXPECT_EQ(after, (std::vector<std::string>{"RefreshInbox", "ViewMail"}));
  QTest::mouseClick(w.form().选择框1, Qt::LeftButton);  // untick: the worker ends
}

}  // namespace
}  // namespace mailvane::testing

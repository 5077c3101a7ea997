#pragma once
// The main window: the form, its events, the mailbox kept in config.ini
// between runs, and the workers that run the service operations so that the
// window never waits for the network.
#include <QWidget>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <thread>

#include "app/CommandQueue.h"
#include "app/DataDirectory.h"
#include "app/MainForm.h"
#include "service/Service.h"

namespace mailvane {

class HtmlViewHost;
class WindowBackend;

class MainWindow : public QWidget {
 public:
  // dataDirectory holds config.ini and html.htm (file-system bytes, no
  // trailing separator).
  explicit MainWindow(ServiceEndpoints endpoints,
                      std::string dataDirectory = ToFileSystemPath(DefaultDataDirectory()));
  ~MainWindow() override;

  const MainForm& form() const { return form_; }
  const std::shared_ptr<WindowBackend>& backend() const { return backend_; }
  HtmlViewHost& htmlView() const { return *htmlView_; }
  const std::string& dataDirectory() const { return dataDirectory_; }
  std::string SettingsPath() const { return dataDirectory_ + "/config.ini"; }

  // The window's own handlers.
  void CopyAddress();
  void ShowMailMenu();
  void HideReader();
  void PrepareMailbox();
  void LoadSettings();
  void SaveSettings();
  static void ExitCleanup();
  void StartAutoRefresh();

  // Tests only: the length of each of the five sleeps between refreshes
  // (1000 ms), and a call made on the operation's own thread just before
  // each service operation, with its name.
  void setAutoRefreshSleepForTesting(std::chrono::milliseconds sleep);
  using OperationHook = std::function<void(std::string_view operation)>;
  void setOperationHookForTesting(OperationHook hook);

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  using Operation = void (*)(const ServiceContext&);

  void WireEvents();
  void RunOperation(std::string_view name, Operation operation);
  // Runs on the command thread. An exclusive command shows the busy cursor
  // while it runs and is not started again before it has finished.
  void PostCommand(std::string_view name, Operation operation, bool exclusive = false);
  void FinishExclusiveCommand(const std::string& name);
  void OpenMail();
  void AutoRefreshLoop();
  bool AutoRefreshTicked();
  void Shutdown();

  ServiceEndpoints endpoints_;
  std::string dataDirectory_;
  MainForm form_;
  std::unique_ptr<HtmlViewHost> htmlView_;
  std::shared_ptr<WindowBackend> backend_;

  std::set<std::string> exclusiveRunning_;  // window thread only
  bool busyCursorShown_ = false;
  bool shutDown_ = false;

  StopSignal stop_;
  ReadyGate firstMailbox_;  // held while the first mailbox is being fetched
  std::atomic<long long> autoRefreshSleepMs_{1000};
  bool autoRefreshRunning_ = false;  // window thread only
  std::thread autoRefreshThread_;

  std::mutex hookMutex_;
  OperationHook operationHook_;

  // Declared last: destroyed first, after Shutdown() has stopped them.
  WorkerThreads mailReaders_;
  CommandQueue commands_;
};

}  // namespace mailvane

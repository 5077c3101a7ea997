#pragma once
// The control layer of the main window: the service operations reach the
// controls through it, by their form names, from any thread. Widgets are
// touched on the window's thread only: a call from another thread is posted
// to it, a write without waiting (writes keep their order) and a read waiting
// for the control's value (so it sees the caller's earlier writes).
//
// The backend outlives the window: workers hold it by shared_ptr. Once the
// window starts closing, Close() makes every call return an empty value at
// once and drops every write, and wakes readers that wait, so a worker never
// blocks a window that waits for it.
#include <QPointer>
#include <QThread>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include "service/Controls.h"

class QAbstractItemView;
class QObject;
class QWidget;

namespace mailvane {

class HtmlViewHost;
class MailListModel;

class WindowBackend : public ControlBackend, public std::enable_shared_from_this<WindowBackend> {
 public:
  // window: the main window, whose children carry the form names as
  // objectName; htmlView: the host of the HTML view. Made on the window's
  // thread; both must live until Close().
  static std::shared_ptr<WindowBackend> Create(QWidget* window, HtmlViewHost* htmlView);

  // Called on the window's thread when it starts closing; irreversible.
  void Close();
  bool IsClosed() const;

  // The named control; the window's thread only, anything else is a fault
  // that ends the program. Null when no control has that name.
  QWidget* Control(std::string_view name) const;

  // Runs task on the window's thread and waits for it; false when the window
  // closed first (the task then may not have run).
  bool RunOnWindowThread(const std::function<void()>& task);
  // Runs task on the window's thread without waiting; dropped once closed.
  void PostToWindowThread(std::function<void()> task);

  std::string ReadText(std::string_view control) override;
  void WriteText(std::string_view control, const std::string& text) override;
  void WriteSelectedItem(std::string_view control, int index) override;
  bool ReadTicked(std::string_view control) override;
  void WriteVisible(std::string_view control, bool visible) override;
  void WritePicture(std::string_view control, const Bytes& image) override;
  void WriteAddress(std::string_view control, const std::string& path) override;

  int SelectedRow(std::string_view list) override;
  void DeleteAllRows(std::string_view list) override;
  void ReplaceRows(std::string_view list, std::vector<MailRow> rows) override;
  std::string CellText(std::string_view list, int row, int column) override;
  int RowCount(std::string_view list) override;
  int FindRow(std::string_view list, int column, const std::string& text) override;
  void DeleteRow(std::string_view list, int row) override;

  void ShowMessage(const std::string& text, const std::string& title) override;

 private:
  WindowBackend(QWidget* window, HtmlViewHost* htmlView);

  bool OnWindowThread() const { return QThread::currentThread() == windowThread_; }
  template <class Result>
  Result Read(Result fallback, std::function<Result()> read);
  void Write(std::function<void()> write);
  QAbstractItemView* ListView(std::string_view name) const;
  MailListModel* List(std::string_view name) const;

  QWidget* window_;
  HtmlViewHost* htmlView_;
  QThread* windowThread_;
  QObject* context_;  // lives on the window's thread, a child of the window

  mutable std::mutex mutex_;
  std::condition_variable answered_;
  bool closed_ = false;
};

}  // namespace mailvane

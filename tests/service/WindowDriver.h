#pragma once
// Drives the real window, offscreen, against the stand-in service on
// loopback: widgets found by their form names, clicked like a user does,
// waits bounded and processing events.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTreeView>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "tools/standin/StandInService.h"

namespace mailvane {

// UTF-8 source text as the window shows it.
inline QString U(const char* utf8) { return QString::fromUtf8(utf8); }

class WindowTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A first start: the window fetches its mailbox from the home page.
  void OpenWindow();
  // A first start that waits for the mailbox, then puts the sample mails in
  // it and refreshes; returns their MIDs, top first.
  std::vector<std::string> OpenWindowWithMails();
  void CloseWindow();

  template <class T>
  T* Find(const char* name) const {
    T* widget = window_->findChild<T*>(U(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QString Text(const char* name) const;  // edit, combo, label, group caption
  void SetText(const char* name, const QString& text);
  void Click(const char* name);           // button, check box, picture
  void Trigger(const char* action);       // a menu item chosen
  void SelectRow(int row);
  int RowCount() const;
  QString Cell(int row, int column) const;

  static bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 20000);
  // Until no command that shows the busy cursor is running.
  static bool WaitUntilIdle();
  // The requests of one operation type ("refresh", ...) or the captcha's.
  std::vector<standin::RecordedRequest> RequestsOf(const std::string& type) const;
  bool WaitForRequests(const std::string& type, std::size_t count);
  // The message boxes open now, as (text, title).
  std::vector<std::pair<QString, QString>> Messages() const;
  void CloseMessages();

  // Refresh with the button and wait for the list to hold rows rows.
  void Refresh(int rows);
  // Open the mail of row and wait until it is shown and its captcha came.
  void OpenMail(int row);

  std::unique_ptr<standin::StandInService> service_;
  QTemporaryDir dir_;
  std::unique_ptr<MainWindow> window_;
  std::string mailbox_;  // name handed out at start
};

}  // namespace mailvane

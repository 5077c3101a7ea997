#include "app/MainWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCursor>
#include <QFileInfo>
#include <QMouseEvent>
#include <QTimer>

#include "app/HtmlViewHost.h"
#include "app/MailListModel.h"
#include "app/ProfileFile.h"
#include "app/WindowBackend.h"
#include "text/CodePage.h"
#include "web/WebAccess.h"

namespace mailvane {

namespace {

constexpr int kAutoRefreshSleeps = 5;

std::string SettingsSection() { return Utf8ToLocal("保存数据"); }
std::string MailboxNameKey() { return Utf8ToLocal("邮箱ID"); }
std::string MailDomainKey() { return Utf8ToLocal("邮箱dz"); }
std::string CookiesKey() { return "cookies"; }

}  // namespace

MainWindow::MainWindow(ServiceEndpoints endpoints, std::string dataDirectory)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      endpoints_(std::move(endpoints)),
      dataDirectory_(std::move(dataDirectory)),
      form_(this, endpoints_.mailDomains),
      htmlView_(std::make_unique<HtmlViewHost>(form_.超文本浏览框1)),
      backend_(WindowBackend::Create(this, htmlView_.get())) {
  setWindowTitle(QStringLiteral("Mailvane"));
  // A fixed frame: 585 by 382 outside, with a 3-pixel border and a 19-pixel
  // caption around this client area.
  setFixedSize(kClientWidth, kClientHeight);
  move(50, 50);
  WireEvents();
  // The window's created event: once the window and its controls exist.
  QTimer::singleShot(0, this, [this] { PrepareMailbox(); });
}

MainWindow::~MainWindow() {
  Shutdown();
  htmlView_.reset();  // the view goes before the placeholder that holds it
}

void MainWindow::WireEvents() {
  connect(form_.按钮4, &QPushButton::clicked, this, [this] { CopyAddress(); });
  connect(form_.按钮1, &QPushButton::clicked, this,
          [this] { PostCommand("ChangeMailbox", ChangeMailbox, true); });
  connect(form_.按钮2, &QPushButton::clicked, this,
          [this] { PostCommand("RefreshInbox", RefreshInbox); });
  connect(form_.选择框1, &QCheckBox::clicked, this, [this] { StartAutoRefresh(); });
  connect(form_.超级列表框1, &QWidget::customContextMenuRequested, this,
          [this] { ShowMailMenu(); });
  connect(form_.查看邮件, &QAction::triggered, this, [this] { OpenMail(); });
  connect(form_.删除邮件, &QAction::triggered, this,
          [this] { PostCommand("DeleteMail", DeleteMail, true); });
  connect(form_.选择框2, &QCheckBox::clicked, this,
          [this] { RunOperation("ShowHtml", ShowHtml); });
  connect(form_.按钮3, &QPushButton::clicked, this,
          [this] { PostCommand("SendReply", SendReply, true); });
  form_.图片框1->installEventFilter(this);
  form_.图片框_yzm->installEventFilter(this);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    if (watched == form_.图片框1) {
      HideReader();
      return true;
    }
    if (watched == form_.图片框_yzm) {
      PostCommand("LoadCaptcha", LoadCaptcha);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void MainWindow::RunOperation(std::string_view name, Operation operation) {
  // Every operation but the fetch itself uses the mailbox: the readers and
  // the auto-refresh, which run beside the command thread, wait for it too.
  if (operation != FetchInitialMailbox && !firstMailbox_.WaitReleased()) return;
  OperationHook hook;
  {
    std::lock_guard lock(hookMutex_);
    hook = operationHook_;
  }
  if (hook) hook(name);
  MailWindow window(*backend_);
  operation(ServiceContext{window, endpoints_, dataDirectory_});
}

void MainWindow::PostCommand(std::string_view name, Operation operation, bool exclusive) {
  if (shutDown_) return;
  std::string key(name);
  if (exclusive) {
    if (!exclusiveRunning_.insert(key).second) return;  // already running
    if (!busyCursorShown_) {
      QApplication::setOverrideCursor(Qt::BusyCursor);
      busyCursorShown_ = true;
    }
  }
  commands_.Post([this, key, operation, exclusive, backend = backend_] {
    RunOperation(key, operation);
    if (exclusive) backend->PostToWindowThread([this, key] { FinishExclusiveCommand(key); });
  });
}

void MainWindow::FinishExclusiveCommand(const std::string& name) {
  exclusiveRunning_.erase(name);
  if (exclusiveRunning_.empty() && busyCursorShown_) {
    QApplication::restoreOverrideCursor();
    busyCursorShown_ = false;
  }
}

void MainWindow::CopyAddress() {
  const std::string address =
      backend_->ReadText("编辑框1") + "@" + backend_->ReadText("组合框1");
  if (QClipboard* clipboard = QGuiApplication::clipboard())
    clipboard->setText(QString::fromUtf8(LocalToUtf8(address)));
}

void MainWindow::ShowMailMenu() { form_.菜单->popup(QCursor::pos() + QPoint(3, 3)); }

void MainWindow::HideReader() { form_.分组框1->hide(); }

// The reader shows at once, before the mail has arrived; its own worker
// fills it.
void MainWindow::OpenMail() {
  if (shutDown_) return;
  mailReaders_.Start([this] { RunOperation("ViewMail", ViewMail); });
  form_.分组框1->show();
}

void MainWindow::PrepareMailbox() {
  if (shutDown_) return;
  if (QFileInfo::exists(QFile::decodeName(QByteArray::fromStdString(SettingsPath())))) {
    LoadSettings();
    return;
  }
  backend_->WriteSelectedItem("组合框1", 0);
  firstMailbox_.Hold();
  PostCommand("FetchInitialMailbox", FetchInitialMailbox);
  commands_.Post([this] { firstMailbox_.Release(); });
}

void MainWindow::LoadSettings() {
  backend_->WriteText("编辑框1", ReadProfileString(SettingsPath(), SettingsSection(), MailboxNameKey()));
  backend_->WriteText("组合框1", ReadProfileString(SettingsPath(), SettingsSection(), MailDomainKey()));
  backend_->WriteText("编辑框2", ReadProfileString(SettingsPath(), SettingsSection(), CookiesKey()));
}

// Never refuses: a failed write goes unnoticed and the window closes.
void MainWindow::SaveSettings() {
  WriteProfileString(SettingsPath(), SettingsSection(), MailboxNameKey(), backend_->ReadText("编辑框1"));
  WriteProfileString(SettingsPath(), SettingsSection(), MailDomainKey(), backend_->ReadText("组合框1"));
  WriteProfileString(SettingsPath(), SettingsSection(), CookiesKey(), backend_->ReadText("编辑框2"));
}

void MainWindow::ExitCleanup() {
  ReplyLink.Set({});
  CaptchaCookies.Set({});
}

// One worker at most: a click while it lives starts no other; the worker
// itself sees the box ticked again at its next test.
void MainWindow::StartAutoRefresh() {
  if (shutDown_ || autoRefreshRunning_) return;
  if (autoRefreshThread_.joinable()) autoRefreshThread_.join();  // it has ended
  autoRefreshRunning_ = true;
  autoRefreshThread_ = std::thread([this] { AutoRefreshLoop(); });
}

// Tested on the window's thread, together with the running flag, so that a
// click arriving as the worker ends either sees it running or starts a new one.
bool MainWindow::AutoRefreshTicked() {
  bool ticked = false;
  const bool answered = backend_->RunOnWindowThread([this, &ticked] {
    ticked = form_.选择框1->isChecked();
    if (!ticked) autoRefreshRunning_ = false;
  });
  return answered && ticked;
}

void MainWindow::AutoRefreshLoop() {
  if (!AutoRefreshTicked()) return;
  for (;;) {
    RunOperation("RefreshInbox", RefreshInbox);
    if (!AutoRefreshTicked()) return;
    const std::chrono::milliseconds sleep(autoRefreshSleepMs_.load());
    for (int i = 0; i < kAutoRefreshSleeps; ++i)
      if (!stop_.SleepFor(sleep)) return;
  }
}

void MainWindow::setAutoRefreshSleepForTesting(std::chrono::milliseconds sleep) {
  autoRefreshSleepMs_.store(sleep.count());
}

void MainWindow::setOperationHookForTesting(OperationHook hook) {
  std::lock_guard lock(hookMutex_);
  operationHook_ = std::move(hook);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!shutDown_) SaveSettings();
  Shutdown();
  event->accept();
}

// Nothing writes to a control after this: the backend drops every call,
// requests in flight fail at once, and every worker has ended on return.
void MainWindow::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  backend_->Close();
  stop_.Stop();
  firstMailbox_.Stop();
  CancelAllRequests();
  commands_.Stop();
  mailReaders_.JoinAll();
  if (autoRefreshThread_.joinable()) autoRefreshThread_.join();
  if (busyCursorShown_) {
    QApplication::restoreOverrideCursor();
    busyCursorShown_ = false;
  }
  exclusiveRunning_.clear();
  form_.菜单->hide();
}

}  // namespace mailvane

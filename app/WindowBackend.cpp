#include "app/WindowBackend.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPixmap>
#include <QWidget>
#include <optional>

#include "app/HtmlViewHost.h"
#include "app/MailListModel.h"
#include "text/CodePage.h"

namespace mailvane {

namespace {

QString FromLocal(const std::string& text) { return QString::fromUtf8(LocalToUtf8(text)); }

std::string ToLocal(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  return Utf8ToLocal(std::string_view(utf8.constData(), utf8.size()));
}

}  // namespace

std::shared_ptr<WindowBackend> WindowBackend::Create(QWidget* window, HtmlViewHost* htmlView) {
  return std::shared_ptr<WindowBackend>(new WindowBackend(window, htmlView));
}

WindowBackend::WindowBackend(QWidget* window, HtmlViewHost* htmlView)
    : window_(window),
      htmlView_(htmlView),
      windowThread_(window->thread()),
      context_(new QObject(window)) {}

void WindowBackend::Close() {
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
  }
  answered_.notify_all();
}

bool WindowBackend::IsClosed() const {
  std::lock_guard lock(mutex_);
  return closed_;
}

QWidget* WindowBackend::Control(std::string_view name) const {
  if (!OnWindowThread())
    qFatal("mailvane: control %.*s touched outside the window's thread",
           static_cast<int>(name.size()), name.data());
  return window_->findChild<QWidget*>(
      QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
}

QAbstractItemView* WindowBackend::ListView(std::string_view name) const {
  return qobject_cast<QAbstractItemView*>(Control(name));
}

MailListModel* WindowBackend::List(std::string_view name) const {
  QAbstractItemView* view = ListView(name);
  return view ? dynamic_cast<MailListModel*>(view->model()) : nullptr;
}

bool WindowBackend::RunOnWindowThread(const std::function<void()>& task) {
  return Read<bool>(false, [&task] {
    task();
    return true;
  });
}

void WindowBackend::PostToWindowThread(std::function<void()> task) { Write(std::move(task)); }

template <class Result>
Result WindowBackend::Read(Result fallback, std::function<Result()> read) {
  if (OnWindowThread()) return IsClosed() ? fallback : read();
  struct Answer {
    bool done = false;
    Result value;
  };
  auto answer = std::make_shared<Answer>(Answer{false, fallback});
  std::unique_lock lock(mutex_);
  if (closed_) return fallback;
  // The caller waits below, so read may refer to the caller's locals.
  QMetaObject::invokeMethod(
      context_,
      [self = shared_from_this(), answer, &read] {
        std::optional<Result> value;
        if (!self->IsClosed()) value = read();
        std::lock_guard answerLock(self->mutex_);
        if (answer->done) return;
        if (value && !self->closed_) answer->value = std::move(*value);
        answer->done = true;
        self->answered_.notify_all();
      },
      Qt::QueuedConnection);
  answered_.wait(lock, [&] { return answer->done || closed_; });
  if (!answer->done) {
    // Closed while waiting: the task must not run any more, it would refer
    // to this finished call.
    answer->done = true;
    return fallback;
  }
  return answer->value;
}

void WindowBackend::Write(std::function<void()> write) {
  if (OnWindowThread()) {
    if (!IsClosed()) write();
    return;
  }
  std::lock_guard lock(mutex_);
  if (closed_) return;
  QMetaObject::invokeMethod(
      context_,
      [self = shared_from_this(), write = std::move(write)] {
        if (!self->IsClosed()) write();
      },
      Qt::QueuedConnection);
}

std::string WindowBackend::ReadText(std::string_view control) {
  return Read<std::string>({}, [this, name = std::string(control)]() -> std::string {
    QWidget* widget = Control(name);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) return ToLocal(edit->text());
    if (auto* combo = qobject_cast<QComboBox*>(widget)) return ToLocal(combo->currentText());
    if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) return ToLocal(edit->toPlainText());
    if (auto* group = qobject_cast<QGroupBox*>(widget)) return ToLocal(group->title());
    if (auto* label = qobject_cast<QLabel*>(widget)) return ToLocal(label->text());
    return {};
  });
}

void WindowBackend::WriteText(std::string_view control, const std::string& text) {
  Write([this, name = std::string(control), text] {
    QWidget* widget = Control(name);
    const QString value = FromLocal(text);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) edit->setText(value);
    // Only the text: the selected item stays as it was.
    else if (auto* combo = qobject_cast<QComboBox*>(widget)) combo->setEditText(value);
    else if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) edit->setPlainText(value);
    else if (auto* group = qobject_cast<QGroupBox*>(widget)) group->setTitle(value);
    else if (auto* label = qobject_cast<QLabel*>(widget)) label->setText(value);
  });
}

void WindowBackend::WriteSelectedItem(std::string_view control, int index) {
  Write([this, name = std::string(control), index] {
    auto* combo = qobject_cast<QComboBox*>(Control(name));
    if (combo && index >= 0 && index < combo->count()) combo->setCurrentIndex(index);
  });
}

bool WindowBackend::ReadTicked(std::string_view control) {
  return Read<bool>(false, [this, name = std::string(control)] {
    auto* box = qobject_cast<QCheckBox*>(Control(name));
    return box && box->isChecked();
  });
}

void WindowBackend::WriteVisible(std::string_view control, bool visible) {
  Write([this, name = std::string(control), visible] {
    QWidget* widget = Control(name);
    if (!widget) return;
    if (widget == htmlView_->placeholder() && visible) {
      htmlView_->EnsureLoaded();
      widget->raise();
    }
    widget->setVisible(visible);
  });
}

void WindowBackend::WritePicture(std::string_view control, const Bytes& image) {
  Write([this, name = std::string(control), image] {
    auto* picture = qobject_cast<QLabel*>(Control(name));
    if (!picture) return;
    QPixmap pixmap;
    if (pixmap.loadFromData(reinterpret_cast<const uchar*>(image.data()),
                            static_cast<uint>(image.size())))
      picture->setPixmap(pixmap);
    else
      picture->clear();
  });
}

void WindowBackend::WriteAddress(std::string_view control, const std::string& path) {
  Write([this, name = std::string(control), path] {
    if (Control(name) == htmlView_->placeholder())
      htmlView_->LoadFile(QFile::decodeName(QByteArray::fromStdString(path)));
  });
}

int WindowBackend::SelectedRow(std::string_view list) {
  return Read<int>(-1, [this, name = std::string(list)] {
    QAbstractItemView* view = ListView(name);
    if (!view || !view->selectionModel()) return -1;
    const QModelIndexList rows = view->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
  });
}

void WindowBackend::DeleteAllRows(std::string_view list) {
  Write([this, name = std::string(list)] {
    if (MailListModel* model = List(name)) model->DeleteAllRows();
  });
}

void WindowBackend::ReplaceRows(std::string_view list, std::vector<MailRow> rows) {
  auto shared = std::make_shared<std::vector<MailRow>>(std::move(rows));
  Write([this, name = std::string(list), shared] {
    if (MailListModel* model = List(name)) model->ReplaceRows(std::move(*shared));
  });
}

std::string WindowBackend::CellText(std::string_view list, int row, int column) {
  return Read<std::string>({}, [this, name = std::string(list), row, column] {
    MailListModel* model = List(name);
    return model ? model->CellText(row, column) : std::string();
  });
}

int WindowBackend::RowCount(std::string_view list) {
  return Read<int>(0, [this, name = std::string(list)] {
    MailListModel* model = List(name);
    return model ? model->rowCount() : 0;
  });
}

int WindowBackend::FindRow(std::string_view list, int column, const std::string& text) {
  return Read<int>(-1, [this, name = std::string(list), column, &text] {
    MailListModel* model = List(name);
    return model ? model->FindRow(column, text) : -1;
  });
}

void WindowBackend::DeleteRow(std::string_view list, int row) {
  Write([this, name = std::string(list), row] {
    if (MailListModel* model = List(name)) model->DeleteRow(row);
  });
}

void WindowBackend::ShowMessage(const std::string& text, const std::string& title) {
  Write([this, text, title] {
    auto* box = new QMessageBox(QMessageBox::NoIcon, FromLocal(title), FromLocal(text),
                                QMessageBox::Ok, window_);
    box->setTextFormat(Qt::PlainText);  // an answer's markup is shown, never rendered
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->open();
  });
}

}  // namespace mailvane

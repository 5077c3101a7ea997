#include "app/HtmlViewHost.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QVBoxLayout>
#include <QWidget>
#include <QtGlobal>

#include "text/CodePage.h"

namespace mailvane {

namespace {

constexpr const char* kModuleFileName = "mailvane_htmlview.so";

CreateHtmlViewPaneFunction ResolveFactory() {
  static CreateHtmlViewPaneFunction factory = [] {
    const QString path = HtmlViewHost::ModulePath();
    if (path.isEmpty()) {
      qWarning("mailvane: the HTML view module %s was not found", kModuleFileName);
      return CreateHtmlViewPaneFunction{};
    }
    // Never unloaded: the web engine does not survive being unloaded.
    auto* library = new QLibrary(path);
    auto function =
        reinterpret_cast<CreateHtmlViewPaneFunction>(library->resolve(kCreateHtmlViewPaneSymbol));
    if (!function) qWarning("mailvane: %s", qPrintable(library->errorString()));
    return function;
  }();
  return factory;
}

}  // namespace

HtmlViewHost::HtmlViewHost(QWidget* placeholder) : placeholder_(placeholder) {}

HtmlViewHost::~HtmlViewHost() = default;

QString HtmlViewHost::ModulePath() {
  const QString beside =
      QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(kModuleFileName);
  if (QFileInfo::exists(beside)) return beside;
#ifdef MAILVANE_HTMLVIEW_BUILD_PATH
  const QString built = QString::fromUtf8(MAILVANE_HTMLVIEW_BUILD_PATH);
  if (QFileInfo::exists(built)) return built;
#endif
  return {};
}

bool HtmlViewHost::EnsureLoaded() {
  if (pane_) return true;
  if (triedLoading_) return false;
  triedLoading_ = true;
  CreateHtmlViewPaneFunction create = ResolveFactory();
  if (!create) return false;
  pane_.reset(create(placeholder_));
  if (!pane_) return false;
  auto* layout = new QVBoxLayout(placeholder_);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(pane_->Widget());
  return true;
}

void HtmlViewHost::LoadFile(const QString& path) {
  if (!EnsureLoaded()) return;
  QByteArray local;
  QFile file(path);
  if (file.open(QIODevice::ReadOnly)) local = file.readAll();
  const std::string utf8 = LocalToUtf8(std::string_view(local.constData(), local.size()));
  // A byte-order mark outranks any charset the mail's markup declares.
  QByteArray document("\xEF\xBB\xBF");
  document.append(utf8.data(), static_cast<qsizetype>(utf8.size()));
  pane_->ShowDocument(document);
}

}  // namespace mailvane

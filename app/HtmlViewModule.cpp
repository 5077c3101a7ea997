// The HTML view: a web engine view set up so that a mail can show itself and
// nothing more. A disposable address must not tell anyone who reads it, so
// the page runs no script and loads nothing but the mail document: remote
// images, styles, fonts and frames are blocked, and local files too.
#include <QBuffer>
#include <QDesktopServices>
#include <QMutex>
#include <QMutexLocker>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>
#include <QWebEngineView>

#include "app/HtmlViewPane.h"

namespace mailvane {

namespace {

const QByteArray kScheme = "mailvane-mail";

// The one URL the page may load; every document gets a new one.
class AllowedDocument {
 public:
  QUrl Next(const QByteArray& html) {
    QMutexLocker lock(&mutex_);
    ++serial_;
    url_ = QUrl(QString::fromLatin1(kScheme) + QStringLiteral(":/mail/%1").arg(serial_));
    html_ = html;
    return url_;
  }
  bool IsAllowed(const QUrl& url) const {
    QMutexLocker lock(&mutex_);
    return !url_.isEmpty() && url == url_;
  }
  QByteArray HtmlFor(const QUrl& url) const {
    QMutexLocker lock(&mutex_);
    return url == url_ ? html_ : QByteArray();
  }

 private:
  mutable QMutex mutex_;
  QUrl url_;
  QByteArray html_;
  int serial_ = 0;
};

class BlockAllButDocument : public QWebEngineUrlRequestInterceptor {
 public:
  BlockAllButDocument(const AllowedDocument& allowed, QObject* parent)
      : QWebEngineUrlRequestInterceptor(parent), allowed_(allowed) {}
  void interceptRequest(QWebEngineUrlRequestInfo& info) override {
    if (!allowed_.IsAllowed(info.requestUrl())) info.block(true);
  }

 private:
  const AllowedDocument& allowed_;
};

// Serves the document without the size limit of QWebEnginePage::setContent.
class DocumentSchemeHandler : public QWebEngineUrlSchemeHandler {
 public:
  DocumentSchemeHandler(const AllowedDocument& allowed, QObject* parent)
      : QWebEngineUrlSchemeHandler(parent), allowed_(allowed) {}
  void requestStarted(QWebEngineUrlRequestJob* job) override {
    if (!allowed_.IsAllowed(job->requestUrl())) {
      job->fail(QWebEngineUrlRequestJob::RequestDenied);
      return;
    }
    auto* body = new QBuffer(job);
    body->setData(allowed_.HtmlFor(job->requestUrl()));
    job->reply("text/html", body);
  }

 private:
  const AllowedDocument& allowed_;
};

class MailPage : public QWebEnginePage {
 public:
  MailPage(QWebEngineProfile* profile, const AllowedDocument& allowed)
      : QWebEnginePage(profile, nullptr), allowed_(allowed) {}

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
    if (isMainFrame && allowed_.IsAllowed(url)) return true;
    const QString scheme = url.scheme().toLower();
    if (type == NavigationTypeLinkClicked && (scheme == "http" || scheme == "https"))
      QDesktopServices::openUrl(url);
    return false;
  }
  QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }

 private:
  const AllowedDocument& allowed_;
};

void RegisterSchemeOnce() {
  static const bool registered = [] {
    QWebEngineUrlScheme scheme(kScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::NoAccessAllowed);
    QWebEngineUrlScheme::registerScheme(scheme);
    return true;
  }();
  (void)registered;
}

void LockDown(QWebEngineSettings* settings) {
  settings->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
  settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
  settings->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
  settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
  settings->setAttribute(QWebEngineSettings::LocalStorageEnabled, false);
  settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
  settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
  settings->setAttribute(QWebEngineSettings::HyperlinkAuditingEnabled, false);
  settings->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
  settings->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
  settings->setAttribute(QWebEngineSettings::WebGLEnabled, false);
  settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
  settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
}

class WebEnginePane : public HtmlViewPane {
 public:
  explicit WebEnginePane(QWidget* parent) {
    profile_ = new QWebEngineProfile();  // no storage name: off the record
    profile_->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    profile_->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    profile_->setUrlRequestInterceptor(new BlockAllButDocument(allowed_, profile_));
    profile_->installUrlSchemeHandler(kScheme, new DocumentSchemeHandler(allowed_, profile_));
    LockDown(profile_->settings());
    page_ = new MailPage(profile_, allowed_);
    LockDown(page_->settings());
    view_ = new QWebEngineView(parent);
    view_->setContextMenuPolicy(Qt::NoContextMenu);
    view_->setPage(page_);
    QObject::connect(page_, &QWebEnginePage::loadFinished, [this](bool ok) {
      if (loadFinished_) loadFinished_(ok);
    });
  }

  ~WebEnginePane() override {
    // The page must go before its profile.
    delete view_;
    delete page_;
    delete profile_;
  }

  QWidget* Widget() override { return view_; }

  void ShowDocument(const QByteArray& utf8Html) override { page_->load(allowed_.Next(utf8Html)); }

  void ReadPlainText(std::function<void(const QString&)> done) override {
    page_->toPlainText([done = std::move(done)](const QString& text) { done(text); });
  }

  void SetLoadFinished(std::function<void(bool)> done) override { loadFinished_ = std::move(done); }

 private:
  AllowedDocument allowed_;
  QWebEngineProfile* profile_;
  MailPage* page_;
  QWebEngineView* view_;
  std::function<void(bool)> loadFinished_;
};

}  // namespace

}  // namespace mailvane

extern "C" __attribute__((visibility("default"))) mailvane::HtmlViewPane*
mailvane_create_html_view_pane(QWidget* parent) {
  mailvane::RegisterSchemeOnce();
  return new mailvane::WebEnginePane(parent);
}

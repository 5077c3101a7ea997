#pragma once
// The seam between the window and the HTML view module. The module alone
// links the web engine; the window loads it on first use and sees only this.
#include <QByteArray>
#include <QString>
#include <functional>

class QWidget;

namespace mailvane {

class HtmlViewPane {
 public:
  virtual ~HtmlViewPane() = default;

  // The view widget, a child of the parent given at creation.
  virtual QWidget* Widget() = 0;

  // Shows one mail document: UTF-8 HTML. Nothing else is ever loaded: no
  // script, no file, no network; clicked web links go to the desktop browser.
  virtual void ShowDocument(const QByteArray& utf8Html) = 0;

  // The rendered page as plain text, delivered later on the window's thread.
  virtual void ReadPlainText(std::function<void(const QString&)> done) = 0;

  // Called each time a document has finished loading.
  virtual void SetLoadFinished(std::function<void(bool ok)> done) = 0;
};

// The module's one exported function.
using CreateHtmlViewPaneFunction = HtmlViewPane* (*)(QWidget* parent);
inline constexpr const char* kCreateHtmlViewPaneSymbol = "mailvane_create_html_view_pane";

}  // namespace mailvane

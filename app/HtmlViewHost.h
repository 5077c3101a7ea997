#pragma once
// Holds the place of the HTML view in the form and loads the view module the
// first time the view is needed.
#include <QString>
#include <memory>

#include "app/HtmlViewPane.h"

class QWidget;

namespace mailvane {

class HtmlViewHost {
 public:
  explicit HtmlViewHost(QWidget* placeholder);
  ~HtmlViewHost();

  // Loads the module and creates the view inside the placeholder; false when
  // the module cannot be loaded (the placeholder then stays empty).
  bool EnsureLoaded();

  // Shows the file at path. Its bytes are local text (code page 936) whatever
  // the markup declares, so they are converted to UTF-8 here and marked so.
  void LoadFile(const QString& path);

  HtmlViewPane* pane() const { return pane_.get(); }
  QWidget* placeholder() const { return placeholder_; }

  // Beside the executable first, then the build tree.
  static QString ModulePath();

 private:
  QWidget* placeholder_;
  std::unique_ptr<HtmlViewPane> pane_;
  bool triedLoading_ = false;
};

}  // namespace mailvane

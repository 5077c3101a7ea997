#include "app/ProgramStart.h"

#include <cstdlib>

#include "app/MainWindow.h"

namespace mailvane {

ProgramStart::ProgramStart(char* programName) : argv_{programName, nullptr} {
  std::atexit(&MainWindow::ExitCleanup);
  // The web engine needs shared GL contexts set up before the application.
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  application_ = std::make_unique<QApplication>(argc_, argv_);
  QCoreApplication::setApplicationName(QStringLiteral("mailvane"));
  // The HTTP library is set up by the first request, on its worker: its
  // set-up (TLS included) need not delay the window.
}

}  // namespace mailvane

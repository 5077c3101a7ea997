// Mailvane's start exactly as app/main.cpp makes it, ending once the window
// has first been painted.
#include <QApplication>
#include <cstdlib>

#include "app/MainWindow.h"
#include "bench/probes/ShownProbe.h"
#include "web/WebAccess.h"

int main(int, char** argv) {
  std::atexit(&mailvane::MainWindow::ExitCleanup);
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  int argc = 1;
  char* args[] = {argv[0], nullptr};
  QApplication application(argc, args);
  QCoreApplication::setApplicationName(QStringLiteral("mailvane"));
  mailvane::InitWebAccess();
  mailvane::MainWindow window(mailvane::BuiltInEndpoints());
  mailvane::probes::ShownProbe probe(&window);
  window.show();
  return application.exec();
}

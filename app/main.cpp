// Mailvane: one window over a temporary mailbox.
#include <QApplication>
#include <cstdlib>

#include "app/MainWindow.h"
#include "web/WebAccess.h"

int main(int, char** argv) {
  std::atexit(&mailvane::MainWindow::ExitCleanup);
  // The HTML view module is loaded after the application exists; the web
  // engine needs shared GL contexts set up before that.
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  // The program takes no arguments: Qt sees the program name only.
  int argc = 1;
  char* args[] = {argv[0], nullptr};
  QApplication application(argc, args);
  QCoreApplication::setApplicationName(QStringLiteral("mailvane"));
  mailvane::InitWebAccess();
  mailvane::MainWindow window(mailvane::BuiltInEndpoints());
  window.show();
  return application.exec();
}

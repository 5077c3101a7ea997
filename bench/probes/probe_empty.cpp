// The yardstick for Mailvane's start: an empty Qt Widgets window, started
// the same way, ending once it has first been painted.
#include <QApplication>
#include <QWidget>

#include "bench/probes/ShownProbe.h"

int main(int, char** argv) {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  int argc = 1;
  char* args[] = {argv[0], nullptr};
  QApplication application(argc, args);
  QWidget window;
  window.resize(579, 360);
  mailvane::probes::ShownProbe probe(&window);
  window.show();
  return application.exec();
}

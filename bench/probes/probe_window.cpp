// Mailvane's start exactly as app/main.cpp makes it, ending once the window
// has first been painted.
#include <QApplication>
#include <cstdlib>

#include "app/MainWindow.h"
#include "app/ProgramStart.h"
#include "bench/probes/ShownProbe.h"
#include "web/WebAccess.h"

int main(int, char** argv) {
  mailvane::ProgramStart start(argv[0]);
  mailvane::MainWindow window(mailvane::BuiltInEndpoints());
  mailvane::probes::ShownProbe probe(&window);
  window.show();
  return start.Run();
}

// Mailvane: one window over a temporary mailbox.
#include "app/MainWindow.h"
#include "app/ProgramStart.h"

int main(int, char** argv) {
  mailvane::ProgramStart start(argv[0]);
  mailvane::MainWindow window(mailvane::BuiltInEndpoints());
  window.show();
  return start.Run();
}

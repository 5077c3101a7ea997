// Runs the window's fault tests inside a real QApplication, offscreen.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>

#include "web/WebAccess.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
          "--disable-gpu --disable-background-networking --no-first-run");
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication application(argc, argv);
  mailvane::InitWebAccess();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

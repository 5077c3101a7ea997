// Tool: shows the main window offscreen with a sample mailbox and saves a
// grab of it as PNG. Usage: mailvane-screenshot [output.png]
#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "app/MainWindow.h"
#include "app/ProfileFile.h"
#include "app/WindowBackend.h"
#include "text/CodePage.h"
#include "web/WebAccess.h"

namespace {

// A saved mailbox, so the window starts without asking the service.
void WriteSampleSettings(const std::string& directory) {
  const std::string path = directory + "/config.ini";
  const std::string section = mailvane::Utf8ToLocal("保存数据");
  mailvane::WriteProfileString(path, section, mailvane::Utf8ToLocal("邮箱ID"), "tempbox2024");
  mailvane::WriteProfileString(path, section, mailvane::Utf8ToLocal("邮箱dz"), "example.invalid");
  mailvane::WriteProfileString(path, section, "cookies", "PHPSESSID=0123456789abcdef; mail_user=tempbox2024");
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshot.png");
  mailvane::InitWebAccess();
  QTemporaryDir data;
  const std::string directory = mailvane::ToFileSystemPath(data.path());
  WriteSampleSettings(directory);
  mailvane::ServiceEndpoints endpoints{"http://127.0.0.1:9/", "http://127.0.0.1:9/?m=tool&act=caption&rnd=",
                                       {"example.invalid", "example2.invalid"}};
  mailvane::MainWindow window(endpoints, directory);
  auto& backend = *window.backend();
  backend.WriteText("标签10", mailvane::Utf8ToLocal("开始时间：2024-05-01 10:00:00"));
  backend.WriteText("标签11", mailvane::Utf8ToLocal("结束时间：2024-05-02 10:00:00"));
  backend.ReplaceRows("超级列表框1",
                      {{"1", "tempbox2024@example.invalid", "2024-05-01 10:02:11", "news@example.org", "10231"},
                       {"2", "tempbox2024@example.invalid", "2024-05-01 10:15:40",
                        mailvane::Utf8ToLocal("客服@example.org"), "10232"}});
  window.show();
  int status = 1;
  QTimer::singleShot(300, &window, [&] {
    status = window.grab().save(output, "PNG") ? 0 : 1;
    if (status != 0) std::fprintf(stderr, "cannot write %s\n", qPrintable(output));
    window.close();
  });
  application.exec();
  return status;
}

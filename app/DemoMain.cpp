// Mailvane against a stand-in service on loopback: a mailbox that fills
// with realistic mail, with settings kept apart from a real installation.
#include <QDir>
#include <QStandardPaths>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "app/DataDirectory.h"
#include "app/MainWindow.h"
#include "app/ProgramStart.h"
#include "tools/standin/StandInService.h"

int main(int, char** argv) {
  mailvane::ProgramStart start(argv[0]);

  mailvane::standin::Options options;
  options.seedNewMailboxes = true;
  mailvane::standin::StandInService service(options);
  if (!service.Start()) {
    std::fprintf(stderr, "mailvane-demo: the stand-in service could not listen on 127.0.0.1\n");
    return 1;
  }
  std::printf("mailvane-demo: stand-in service at %s, captcha at %s\n", service.ServiceRoot().c_str(),
              service.CaptchaUrl().c_str());
  std::fflush(stdout);

  // A new mail about every twenty seconds; tick "自动刷新邮箱" to watch them come in.
  QTimer delivery;
  QObject::connect(&delivery, &QTimer::timeout, [&service] { service.DeliverNewMail(); });
  delivery.start(20000);

  const QString dataDirectory =
      QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/demo");
  QDir().mkpath(dataDirectory);
  const auto domains = service.MailDomains();
  int status = 0;
  {
    mailvane::MainWindow window(
        mailvane::ServiceEndpoints{service.ServiceRoot(), service.CaptchaUrl(), {domains[0], domains[1]}},
        mailvane::ToFileSystemPath(dataDirectory));
    window.show();
    status = start.Run();
  }
  delivery.stop();
  service.Stop();
  return status;
}

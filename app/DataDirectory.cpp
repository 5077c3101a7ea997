#include "app/DataDirectory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace mailvane {

namespace {

// Tries a write rather than asking for permissions: read-only mounts and
// access lists answer only to an attempt.
bool CanCreateFileIn(const QString& directory) {
  if (!QDir(directory).exists()) return false;
  QTemporaryFile probe(directory + QStringLiteral("/.mailvane-write-test-XXXXXX"));
  return probe.open();
}

}  // namespace

QString ChooseDataDirectory(const QString& programDirectory, const QString& fallbackDirectory) {
  if (CanCreateFileIn(programDirectory)) return programDirectory;
  QDir().mkpath(fallbackDirectory);
  return fallbackDirectory;
}

QString DefaultDataDirectory() {
  return ChooseDataDirectory(QCoreApplication::applicationDirPath(),
                             QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

std::string ToFileSystemPath(const QString& directory) {
  QString path = QDir::cleanPath(directory);
  if (path.size() > 1 && path.endsWith(QLatin1Char('/'))) path.chop(1);
  return QFile::encodeName(path).toStdString();
}

}  // namespace mailvane

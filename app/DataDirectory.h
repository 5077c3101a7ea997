#pragma once
// Where config.ini and html.htm live: beside the program when its directory
// is writable, else in the user's application data directory, so that an
// installed program still keeps its mailbox between runs. Reading looks
// where writing will go.
#include <QString>
#include <string>

namespace mailvane {

// programDirectory when a file can be created in it; else fallbackDirectory,
// created when missing.
QString ChooseDataDirectory(const QString& programDirectory, const QString& fallbackDirectory);

// The choice for this program: its own directory, or the application data
// directory of the user. Needs the QApplication.
QString DefaultDataDirectory();

// A directory as the Qt-free code takes paths: file-system bytes, no
// trailing separator.
std::string ToFileSystemPath(const QString& directory);

}  // namespace mailvane

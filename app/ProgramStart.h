#pragma once
// What the program does before its window exists, shared by the program,
// the demo and the start-up probes so that they start alike.
#include <QApplication>
#include <memory>

namespace mailvane {

class ProgramStart {
 public:
  // Registers the exit clean-up, prepares GL sharing for the HTML view that
  // is loaded later, creates the application (it sees the program name only:
  // the program takes no arguments). The HTTP library sets itself up at the
  // first request.
  explicit ProgramStart(char* programName);
  ProgramStart(const ProgramStart&) = delete;
  ProgramStart& operator=(const ProgramStart&) = delete;

  int Run() { return application_->exec(); }

 private:
  int argc_ = 1;
  char* argv_[2];
  std::unique_ptr<QApplication> application_;
};

}  // namespace mailvane

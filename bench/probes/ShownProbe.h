#pragma once
// What the start-up probes report, one "name=value" line each on stdout: the
// moment the window has first been painted (CLOCK_MONOTONIC, shared by every
// process of the machine) and the process's peak resident memory so far.
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>

namespace mailvane::probes {

inline long long MonotonicNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000000000LL + now.tv_nsec;
}

// A field of /proc/self/status in kB ("VmHWM", "VmRSS"); -1 when missing.
inline long StatusKilobytes(const char* field) {
  FILE* status = std::fopen("/proc/self/status", "r");
  if (!status) return -1;
  char line[256];
  long value = -1;
  const std::size_t length = std::strlen(field);
  while (std::fgets(line, sizeof line, status))
    if (std::strncmp(line, field, length) == 0 && line[length] == ':') value = std::atol(line + length + 1);
  std::fclose(status);
  return value;
}

inline void Report(const char* name, long long value) {
  std::printf("%s=%lld\n", name, value);
  std::fflush(stdout);
}

// Once the window's first paint is over, reports it and calls then (by
// default: quit the application). Gives up with exit status 2 after a minute.
class ShownProbe : public QObject {
 public:
  explicit ShownProbe(QWidget* window, std::function<void()> then = [] { QCoreApplication::quit(); })
      : then_(std::move(then)) {
    window->installEventFilter(this);
    QTimer::singleShot(60000, this, [] { std::_Exit(2); });
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !painted_) {
      painted_ = true;
      watched->removeEventFilter(this);
      QTimer::singleShot(0, this, [this] {  // after the paint has reached the screen
        Report("shown_ns", MonotonicNanoseconds());
        Report("shown_vmhwm_kb", StatusKilobytes("VmHWM"));
        then_();
      });
    }
    return false;
  }

 private:
  std::function<void()> then_;
  bool painted_ = false;
};

}  // namespace mailvane::probes

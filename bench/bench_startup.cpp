// Start-up: the time from spawning a process to its window first painted,
// Mailvane's window beside an empty Qt Widgets window started the same way,
// spawned one after the other in the same run; and the peak resident memory
// of Mailvane before and after its first HTML mail.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/ProfileFile.h"
#include "text/CodePage.h"

extern char** environ;

namespace {

long long Now() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000000000LL + now.tv_nsec;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t mid = values.size() / 2;
  return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

struct ProbeRun {
  bool ok = false;
  long long spawnedNs = 0;
  long long exitedNs = 0;
  std::map<std::string, long long> values;  // what the probe printed
  double Ms(const std::string& name) const { return (values.at(name) - spawnedNs) / 1e6; }
};

// The parent's environment with the offscreen platform set.
std::vector<std::string> ProbeEnvironment() {
  std::vector<std::string> variables;
  for (char** v = environ; *v; ++v) {
    const std::string variable = *v;
    if (variable.rfind("QT_QPA_PLATFORM=", 0) != 0) variables.push_back(variable);
  }
  variables.push_back("QT_QPA_PLATFORM=offscreen");
  if (geteuid() == 0) variables.push_back("QTWEBENGINE_DISABLE_SANDBOX=1");
  return variables;
}

// Spawns the probe, reads its report until it ends (two minutes at most).
ProbeRun Spawn(const std::string& path) {
  ProbeRun run;
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return run;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<std::string> variables = ProbeEnvironment();
  std::vector<char*> envp;
  for (std::string& v : variables) envp.push_back(v.data());
  envp.push_back(nullptr);
  std::string program = path;
  char* argv[] = {program.data(), nullptr};

  pid_t pid = 0;
  run.spawnedNs = Now();
  const int spawned = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (spawned != 0) {
    close(out[0]);
    return run;
  }
  // Until the probe's output ends, or the probe itself has ended while
  // helpers it started still hold the pipe; two minutes at most.
  std::string report;
  const long long deadline = run.spawnedNs + 120'000'000'000LL;
  char buffer[4096];
  int status = 0;
  bool reaped = false;
  while (!reaped) {
    pollfd readable{out[0], POLLIN, 0};
    if (poll(&readable, 1, 20) > 0) {
      const ssize_t got = read(out[0], buffer, sizeof buffer);
      if (got > 0) {
        report.append(buffer, static_cast<std::size_t>(got));
        continue;
      }
      waitpid(pid, &status, 0);  // end of output: the probe has ended
      reaped = true;
    } else if (waitpid(pid, &status, WNOHANG) == pid) {
      reaped = true;
    } else if (Now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      reaped = true;
    }
  }
  run.exitedNs = Now();
  fcntl(out[0], F_SETFL, O_NONBLOCK);
  for (ssize_t got; (got = read(out[0], buffer, sizeof buffer)) > 0;)
    report.append(buffer, static_cast<std::size_t>(got));
  close(out[0]);
  std::istringstream lines(report);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t equals = line.find('=');
    if (equals != std::string::npos) run.values[line.substr(0, equals)] = std::stoll(line.substr(equals + 1));
  }
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && run.values.count("shown_ns");
  return run;
}

// A saved mailbox beside the probes, as after a first run: the start asks
// the service for nothing.
void SaveMailboxBesideTheProbes() {
  const std::string path = std::string(MAILVANE_PROBE_DIR) + "/config.ini";
  const std::string section = mailvane::Utf8ToLocal("保存数据");
  mailvane::WriteProfileString(path, section, mailvane::Utf8ToLocal("邮箱ID"), "box7");
  mailvane::WriteProfileString(path, section, mailvane::Utf8ToLocal("邮箱dz"), "example.invalid");
  mailvane::WriteProfileString(path, section, "cookies", "mv_sid=s1");
}

void Startup(benchmark::State& state) {
  SaveMailboxBesideTheProbes();
  std::vector<double> emptyShown, windowShown, emptyExit, windowExit, emptyPeak, windowPeak;
  for (auto _ : state) {
    // One after the other, so that both see the same machine.
    const ProbeRun empty = Spawn(MAILVANE_PROBE_EMPTY);
    const ProbeRun window = Spawn(MAILVANE_PROBE_WINDOW);
    if (!empty.ok || !window.ok) {
      state.SkipWithError("a probe did not show its window");
      return;
    }
    emptyShown.push_back(empty.Ms("shown_ns"));
    windowShown.push_back(window.Ms("shown_ns"));
    emptyExit.push_back((empty.exitedNs - empty.spawnedNs) / 1e6);
    windowExit.push_back((window.exitedNs - window.spawnedNs) / 1e6);
    emptyPeak.push_back(static_cast<double>(empty.values.at("shown_vmhwm_kb")));
    windowPeak.push_back(static_cast<double>(window.values.at("shown_vmhwm_kb")));
    state.SetIterationTime(windowShown.back() / 1e3);
  }
  state.counters["empty_shown_ms"] = Median(emptyShown);
  state.counters["window_shown_ms"] = Median(windowShown);
  state.counters["shown_ratio"] = Median(windowShown) / Median(emptyShown);
  state.counters["empty_exit_ms"] = Median(emptyExit);
  state.counters["window_exit_ms"] = Median(windowExit);
  state.counters["exit_ratio"] = Median(windowExit) / Median(emptyExit);
  state.counters["empty_vmhwm_kb"] = Median(emptyPeak);
  state.counters["window_vmhwm_kb"] = Median(windowPeak);
}
BENCHMARK(Startup)->Iterations(12)->UseManualTime()->Unit(benchmark::kMillisecond);

void FirstHtmlMail(benchmark::State& state) {
  SaveMailboxBesideTheProbes();
  std::vector<double> before, after, helpers, rendered;
  for (auto _ : state) {
    const ProbeRun run = Spawn(MAILVANE_PROBE_HTML);
    if (!run.ok || !run.values.count("html_vmhwm_kb")) {
      state.SkipWithError("the HTML mail was not shown");
      return;
    }
    before.push_back(static_cast<double>(run.values.at("shown_vmhwm_kb")));
    after.push_back(static_cast<double>(run.values.at("html_vmhwm_kb")));
    helpers.push_back(static_cast<double>(run.values.at("helpers_rss_kb")));
    rendered.push_back(run.values.at("html_ns") / 1e6);
    state.SetIterationTime(rendered.back() / 1e3);
  }
  state.counters["shown_vmhwm_kb"] = Median(before);
  state.counters["html_vmhwm_kb"] = Median(after);
  state.counters["helpers_rss_kb"] = Median(helpers);
  state.counters["html_shown_ms"] = Median(rendered);
}
BENCHMARK(FirstHtmlMail)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// The real window, offscreen, against the stand-in service on loopback:
// - the inbox refresh, from the click on 按钮2 to the list painted with every
//   row, beside a bare libcurl fetch of the same answer parsed and read with
//   nlohmann (the ratio is the figure);
// - the longest gap between ticks of a 10 ms timer on the window's thread
//   while a slow answer is awaited and while 10,000 rows fill.
#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "app/MailListModel.h"
#include "app/MainWindow.h"
#include "text/CodePage.h"
#include "tools/standin/StandInService.h"
#include "web/WebAccess.h"

namespace {

using Clock = std::chrono::steady_clock;
using mailvane::MainWindow;

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t mid = values.size() / 2;
  return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// The stand-in and one window on it, made once for the whole run.
struct Bench {
  mailvane::standin::StandInService service;
  QTemporaryDir data;
  std::unique_ptr<MainWindow> window;
  std::string cookies;  // the session the window was given at start

  bool Start() {
    if (!service.Start() || !data.isValid()) return false;
    const auto domains = service.MailDomains();
    window = std::make_unique<MainWindow>(
        mailvane::ServiceEndpoints{service.ServiceRoot(), service.CaptchaUrl(), {domains[0], domains[1]}},
        data.path().toStdString());
    window->show();
    const auto end = Clock::now() + std::chrono::seconds(30);
    while (window->form().编辑框2->toPlainText().isEmpty() && Clock::now() < end)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    cookies = window->form().编辑框2->toPlainText().toStdString();
    return !cookies.empty();
  }

  // A mailbox of exactly count mails, named after it; the window shows it.
  std::string UseMailbox(int count) {
    const std::string name = "bench" + std::to_string(count);
    if (static_cast<int>(service.Mails(name).size()) != count) service.AddGeneratedMails(name, count);
    window->form().编辑框1->setText(QString::fromStdString(name));
    return name;
  }
};

Bench* bench = nullptr;

// Runs the window's event loop until done() holds after a paint of the mail
// list (checked at every paint and every tick), or a minute has passed.
// Meanwhile a 10 ms timer ticks; the longest gap between its ticks is kept.
class EventLoopProbe : public QObject {
 public:
  explicit EventLoopProbe(std::function<bool()> done) : done_(std::move(done)) {
    viewport_ = bench->window->form().超级列表框1->viewport();
    viewport_->installEventFilter(this);
    ticker_.setTimerType(Qt::PreciseTimer);
    connect(&ticker_, &QTimer::timeout, this, [this] { Tick(); });
  }
  ~EventLoopProbe() override { viewport_->removeEventFilter(this); }

  // Starts the timer, runs action, and loops until done; false on time-out.
  bool Run(const std::function<void()>& action) {
    last_ = Clock::now();
    ticker_.start(10);
    QTimer::singleShot(60000, &loop_, [this] { loop_.exit(1); });
    action();
    const bool ok = loop_.exec() == 0;
    ticker_.stop();
    return ok;
  }
  double LongestGapMs() const { return Milliseconds(longestGap_); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == viewport_ && event->type() == QEvent::Paint && done_())
      QTimer::singleShot(0, &loop_, [this] { loop_.exit(0); });  // once the paint is over
    return false;
  }

 private:
  void Tick() {
    const Clock::time_point now = Clock::now();
    longestGap_ = std::max(longestGap_, now - last_);
    last_ = now;
    if (done_()) viewport_->update();  // a paint that shows the final state ends the loop
  }

  std::function<bool()> done_;
  QWidget* viewport_;
  QTimer ticker_;
  QEventLoop loop_;
  Clock::time_point last_;
  Clock::duration longestGap_{};
};

// The list emptied first, so a full list is this refresh's.
bool RefreshThroughWindow(int rows, double* longestGapMs = nullptr) {
  const MainWindow& window = *bench->window;
  window.form().mailList->DeleteAllRows();
  window.form().标签11->clear();
  QCoreApplication::processEvents();
  EventLoopProbe probe([&] {
    return window.form().mailList->rowCount() == rows && !window.form().标签11->text().isEmpty();
  });
  const bool ok = probe.Run([&] { QTest::mouseClick(window.form().按钮2, Qt::LeftButton); });
  if (longestGapMs) *longestGapMs = probe.LongestGapMs();
  return ok;
}

size_t Collect(char* data, size_t size, size_t count, void* out) {
  static_cast<std::string*>(out)->append(data, size * count);
  return size * count;
}

std::string FieldText(const nlohmann::ordered_json& value) {
  if (value.is_string()) return value.get<std::string>();
  if (value.is_number_integer()) return std::to_string(value.get<long long>());
  return {};
}

// The same request on a plain curl handle, the same answer parsed and the same
// fields read; the number of mails read.
int BareRefresh(const std::string& mailbox) {
  CURL* curl = curl_easy_init();
  const std::string url = bench->service.ServiceRoot();
  const std::string body = "data=" + mailbox + "&type=refresh&arg=";
  std::string answer;
  curl_slist* headers = curl_slist_append(nullptr, ("Cookie: " + bench->cookies).c_str());
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer);
  const CURLcode result = curl_easy_perform(curl);
  curl_slist_free_all(headers);
  curl_easy_cleanup(curl);
  if (result != CURLE_OK) return -1;

  const auto json = nlohmann::ordered_json::parse(answer, nullptr, false);
  if (json.is_discarded()) return -1;
  const auto& inbox = json["data"][0];
  benchmark::DoNotOptimize(FieldText(inbox["user"]["ADDTIME"]));
  benchmark::DoNotOptimize(FieldText(inbox["user"]["EXPIRETIME"]));
  int mails = 0;
  for (const auto& mail : inbox["list"]) {
    benchmark::DoNotOptimize(FieldText(mail["TO"]));
    benchmark::DoNotOptimize(FieldText(mail["SENDTIME"]));
    benchmark::DoNotOptimize(FieldText(mail["FROM"]));
    benchmark::DoNotOptimize(FieldText(mail["MID"]));
    ++mails;
  }
  return mails;
}

void InboxRefresh(benchmark::State& state) {
  const int mails = static_cast<int>(state.range(0));
  const std::string mailbox = bench->UseMailbox(mails);
  std::vector<double> windowMs, bareMs;
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    if (!RefreshThroughWindow(mails)) {
      state.SkipWithError("the list never showed every mail");
      return;
    }
    const Clock::time_point shown = Clock::now();
    if (BareRefresh(mailbox) != mails) {
      state.SkipWithError("the bare fetch did not read every mail");
      return;
    }
    const Clock::time_point bare = Clock::now();
    windowMs.push_back(Milliseconds(shown - start));
    bareMs.push_back(Milliseconds(bare - shown));
    state.SetIterationTime(std::chrono::duration<double>(shown - start).count());
  }
  state.counters["window_ms"] = Median(windowMs);
  state.counters["bare_ms"] = Median(bareMs);
  state.counters["ratio"] = Median(windowMs) / Median(bareMs);
}
BENCHMARK(InboxRefresh)->Arg(1000)->Iterations(8)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(InboxRefresh)->Arg(10000)->Iterations(6)->UseManualTime()->Unit(benchmark::kMillisecond);

// A refresh whose answer takes two seconds to come.
void TickGapSlowAnswer(benchmark::State& state) {
  bench->UseMailbox(3);
  bench->service.SetStallSeconds(2);
  bench->service.SetFailure("refresh", mailvane::standin::Failure::Stall);
  double longest = 0;
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    double gap = 0;
    if (!RefreshThroughWindow(3, &gap)) {
      state.SkipWithError("the slow refresh never ended");
      break;
    }
    longest = std::max(longest, gap);
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
  }
  bench->service.SetFailure("refresh", mailvane::standin::Failure::None);
  state.counters["longest_gap_ms"] = longest;
}
BENCHMARK(TickGapSlowAnswer)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

void TickGapTenThousandRows(benchmark::State& state) {
  bench->UseMailbox(10000);
  double longest = 0;
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    double gap = 0;
    if (!RefreshThroughWindow(10000, &gap)) {
      state.SkipWithError("the list never showed every mail");
      break;
    }
    longest = std::max(longest, gap);
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
  }
  state.counters["longest_gap_ms"] = longest;
}
BENCHMARK(TickGapTenThousandRows)->Iterations(6)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  mailvane::InitWebAccess();
  Bench shared;
  if (!shared.Start()) {
    fprintf(stderr, "bench_window: the window got no mailbox from the stand-in\n");
    return 1;
  }
  bench = &shared;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  shared.window.reset();
  return 0;
}

// Mailvane's start as app/main.cpp makes it, then the first HTML mail shown
// the way the reader shows it (html.htm written, 选择框2 "HTML读取" ticked),
// with the peak resident memory before and after it has rendered. The web
// engine comes with the HTML view module on first use, not with the program.
#include <dirent.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QTest>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/HtmlViewHost.h"
#include "app/MainWindow.h"
#include "app/ProgramStart.h"
#include "bench/probes/ShownProbe.h"
#include "text/CodePage.h"
#include "web/WebAccess.h"

namespace {

using namespace mailvane::probes;

// A mail of the usual kind: styled, Chinese and Latin text, a table, links.
std::string SampleMail() {
  std::string html =
      "<html><head><meta charset=\"gbk\"><style>body{font-family:sans-serif;font-size:14px}"
      "td{border:1px solid #ccc;padding:4px}.code{font-size:20px;color:#2a5db0}</style></head><body>"
      "<h2>您的订单已发货</h2><p>Your sign-in code is <span class='code'>482913</span>.</p><table>";
  for (int i = 0; i < 200; ++i)
    html += "<tr><td>第" + std::to_string(i) + "件商品</td><td>Item " + std::to_string(i) +
            "</td><td><a href=\"https://shop.example/item?id=" + std::to_string(i) + "\">查看</a></td></tr>";
  return html + "</table><p>感谢您的惠顾。Thank you for shopping with us.</p></body></html>";
}

long DescendantsRssKilobytes(pid_t pid) {
  long total = 0;
  const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
  DIR* dir = opendir(tasks.c_str());
  if (!dir) return 0;
  std::vector<pid_t> children;
  while (dirent* entry = readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    std::ifstream list(tasks + "/" + entry->d_name + "/children");
    for (pid_t child; list >> child;) children.push_back(child);
  }
  closedir(dir);
  for (pid_t child : children) {
    std::ifstream status("/proc/" + std::to_string(child) + "/status");
    std::string line;
    while (std::getline(status, line))
      if (line.rfind("VmRSS:", 0) == 0) total += std::atol(line.c_str() + 6);
    total += DescendantsRssKilobytes(child);
  }
  return total;
}

void ShowFirstHtmlMail(mailvane::MainWindow& window) {
  const long long start = MonotonicNanoseconds();
  {
    std::ofstream file(window.dataDirectory() + "/html.htm", std::ios::binary | std::ios::trunc);
    file << mailvane::Utf8ToLocal(SampleMail());
  }
  const mailvane::MainForm& form = window.form();
  form.分组框1->show();
  QTest::mouseClick(form.选择框2, Qt::LeftButton);  // off: the mail's text comes from html.htm
  QTest::mouseClick(form.选择框2, Qt::LeftButton);  // on: the view loads and shows it
  mailvane::HtmlViewPane* pane = window.htmlView().pane();
  if (!pane) std::_Exit(3);
  auto loaded = std::make_shared<bool>(false);
  pane->SetLoadFinished([&window, pane, start, loaded](bool) {
    if (*loaded) return;
    *loaded = true;
    pane->ReadPlainText([&window, start](const QString&) {
      // A few frames more for the page to be drawn.
      QTimer::singleShot(300, &window, [start] {
        Report("html_ns", MonotonicNanoseconds() - start);
        Report("html_vmhwm_kb", StatusKilobytes("VmHWM"));
        Report("helpers_rss_kb", DescendantsRssKilobytes(getpid()));
        QCoreApplication::quit();
      });
    });
  });
}

}  // namespace

int main(int, char** argv) {
  mailvane::ProgramStart start(argv[0]);
  mailvane::MainWindow window(mailvane::BuiltInEndpoints());
  ShownProbe probe(&window, [&window] { ShowFirstHtmlMail(window); });
  window.show();
  return start.Run();
}

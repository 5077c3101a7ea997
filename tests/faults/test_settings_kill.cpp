// The settings written the way the window writes them at close, by a process
// killed with SIGKILL at random moments: config.ini is always whole, each key
// holding its old or its new value, never a half-written file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>

#include "app/ProfileFile.h"
#include "text/CodePage.h"

namespace mailvane::faults {
namespace {

struct Mailbox {
  std::string name, domain, cookies;
};

const std::string kSection = Utf8ToLocal("保存数据");
const std::string kNameKey = Utf8ToLocal("邮箱ID");
const std::string kDomainKey = Utf8ToLocal("邮箱dz");

// Two states far apart in size, so that a write takes long enough to be hit.
const Mailbox kOld{"box7", "example.invalid", "mv_sid=" + std::string(300, 'a')};
const Mailbox kNew{"zz9" + std::string(40, 'n'), Utf8ToLocal("例子.invalid"),
                   "mv_sid=" + std::string(400000, 'b') + "; mv_lang=zh-cn"};

void Save(const std::string& path, const Mailbox& box) {
  WriteProfileString(path, kSection, kNameKey, box.name);
  WriteProfileString(path, kSection, kDomainKey, box.domain);
  WriteProfileString(path, kSection, "cookies", box.cookies);
}

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Whether text is the whole file that some mix of the two states gives.
bool IsWholeFile(const std::string& text) {
  for (const std::string& name : {kOld.name, kNew.name})
    for (const std::string& domain : {kOld.domain, kNew.domain})
      for (const std::string& cookies : {kOld.cookies, kNew.cookies})
        if (text == "[" + kSection + "]\r\n" + kNameKey + "=" + name + "\r\n" + kDomainKey + "=" +
                        domain + "\r\ncookies=" + cookies + "\r\n")
          return true;
  return false;
}

TEST(SettingsKillTest, KilledWriterLeavesAWholeFileEveryTime) {
  char pattern[] = "/tmp/mailvane-kill-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string directory = pattern;
  const std::string path = directory + "/config.ini";
  Save(path, kOld);
  ASSERT_TRUE(IsWholeFile(FileText(path)));

  std::mt19937 random(std::random_device{}());
  int sawNew = 0;
  constexpr int kRounds = 40;
  for (int round = 0; round < kRounds; ++round) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // Saves one state after the other until killed; bounded all the same.
      for (int i = 0; i < 100000; ++i) Save(path, i % 2 ? kOld : kNew);
      _exit(0);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 50000));
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);

    const std::string text = FileText(path);
    ASSERT_TRUE(IsWholeFile(text)) << "round " << round << ": " << text.size() << " bytes";
    // And what the reader makes of it is one of the two values.
    const std::string name = ReadProfileString(path, kSection, kNameKey);
    EXPECT_TRUE(name == kOld.name || name == kNew.name);
    if (name == kNew.name || ReadProfileString(path, kSection, "cookies") == kNew.cookies) ++sawNew;
  }
  EXPECT_GT(sawNew, 0) << "the writer was never killed after a write";
  std::filesystem::remove_all(directory);
}

}  // namespace
}  // namespace mailvane::faults

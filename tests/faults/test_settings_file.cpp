// Damaged settings files end to end: garbage, a huge file, a place where
// config.ini cannot be written. The window starts, works, and closes; what it
// writes at close is whole and reads back.
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <random>

#include "tests/faults/FaultWindow.h"
#include "tests/faults/RawServer.h"

namespace mailvane::faults {
namespace {

const std::string kSection = Gbk("保存数据");

std::string RandomBytes(std::size_t count, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(count, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random() & 0xFF);
  return bytes;
}

// 50 MB of other sections and keys, then the saved mailbox.
std::string HugeFile() {
  std::string text;
  text.reserve(51u << 20);
  const std::string line = "key=" + std::string(1000, 'v') + "\r\n";
  for (int section = 0; text.size() < (50u << 20); ++section) {
    text += "[other" + std::to_string(section) + "]\r\n";
    for (int i = 0; i < 100; ++i) text += line;
  }
  return text + "[" + kSection + "]\r\n" + Gbk("邮箱ID") + "=box7\r\n" + Gbk("邮箱dz") +
         "=example.invalid\r\ncookies=mv_sid=s1\r\n";
}

std::string BrokenLines() {
  using namespace std::string_literals;
  return "\xFF\xFE\0garbage\r\r\n=\n["s + kSection + "\n" + Gbk("邮箱ID") + "\n[" + kSection +
         "]\r\n" + Gbk("邮箱ID") + "=box7\r\n\x81=\x81\r\n\0\0\r\n" + RandomBytes(4096, 9);
}

struct DamagedFile {
  const char* name;
  std::string (*content)();
  const char* savedName;  // what 编辑框1 shows at start
};

void PrintTo(const DamagedFile& file, std::ostream* out) { *out << file.name; }

const DamagedFile kDamagedFiles[] = {
    {"RandomBytes", [] { return RandomBytes(64 * 1024, 7); }, ""},
    {"BrokenLinesAroundTheSection", BrokenLines, "box7"},
    {"FiftyMegabytes", HugeFile, "box7"},
};

class DamagedFileTest : public FaultWindowTest, public ::testing::WithParamInterface<DamagedFile> {
 protected:
  void WriteFile(const std::string& content) {
    QFile file(QString::fromStdString(SettingsPath()));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(content.data(), static_cast<qint64>(content.size())),
              static_cast<qint64>(content.size()));
  }
};

TEST_P(DamagedFileTest, WindowStartsWorksAndClosingWritesTheMailboxWhole) {
  RawServer server([](Connection& c) { c.Send(ResponseHead("Content-Length: 0\r\n")); });
  const std::string content = GetParam().content();
  WriteFile(content);
  Open(server.Url());
  Ticker ticker;
  EXPECT_EQ(form().编辑框1->text().toStdString(), GetParam().savedName);

  // A file that exists is read, never replaced by a fetch: the refresh is
  // the first request the service sees.
  ClickRefresh();
  ASSERT_TRUE(RefreshEnded());
  EXPECT_EQ(server.Requests(), 1);
  EXPECT_TRUE(KeepsTicking(ticker));
  ExpectCopyClickHandled();

  form().编辑框1->setText("newbox");
  form().组合框1->setEditText("example2.invalid");
  form().编辑框2->setPlainText("mv_sid=s2");
  window_->close();
  EXPECT_EQ(ReadProfileString(SettingsPath(), kSection, Gbk("邮箱ID")), "newbox");
  EXPECT_EQ(ReadProfileString(SettingsPath(), kSection, Gbk("邮箱dz")), "example2.invalid");
  EXPECT_EQ(ReadProfileString(SettingsPath(), kSection, "cookies"), "mv_sid=s2");
  // The rest of the file is kept, not cut.
  EXPECT_GE(FileBytes(SettingsPath()).size(), static_cast<qsizetype>(content.size()) - 64);
  EXPECT_EQ(QDir(QString::fromStdString(Directory())).entryList(QDir::Files),
            QStringList{"config.ini"});
}

INSTANTIATE_TEST_SUITE_P(Faults, DamagedFileTest, ::testing::ValuesIn(kDamagedFiles),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FaultWindowTest, OverlongValueArrivesWhole) {
  // Longer than any fixed read buffer: a cut cookie text would break the
  // session, so the value comes back whole.
  RefusingPort nobody;
  const std::string cookies = "mv_sid=" + std::string(64 * 1024, 'c');
  SaveMailbox("box7", cookies);
  Open(nobody.Url());
  Ticker ticker;
  EXPECT_EQ(form().编辑框1->text(), "box7");
  EXPECT_EQ(form().编辑框2->toPlainText().toStdString(), cookies);
  EXPECT_TRUE(KeepsTicking(ticker));
}

// Where config.ini cannot be written, the window still starts and closes,
// and leaves nothing behind.
TEST_F(FaultWindowTest, DirectoryInPlaceOfTheSettingsFile) {
  RawServer server([](Connection& c) { c.Send(ResponseHead("Content-Length: 0\r\n")); });
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(SettingsPath())));
  Open(server.Url());
  Ticker ticker;
  ClickRefresh();
  ASSERT_TRUE(RefreshEnded());
  EXPECT_EQ(server.Requests(), 1);  // it exists, so nothing is fetched at start
  EXPECT_TRUE(KeepsTicking(ticker));

  form().编辑框1->setText("newbox");
  window_->close();
  EXPECT_FALSE(window_->isVisible());
  EXPECT_TRUE(QFileInfo(QString::fromStdString(SettingsPath())).isDir());
  EXPECT_EQ(QDir(QString::fromStdString(Directory())).entryList(QDir::Files), QStringList{});
}

TEST_F(FaultWindowTest, DataDirectoryThatCannotExist) {
  RawServer server([](Connection& c) { c.Send(ResponseHead("Content-Length: 0\r\n")); });
  const std::string blocker = Directory() + "/file";
  QFile file(QString::fromStdString(blocker));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  // Nothing can be created below a regular file, not even by root.
  Open(EndpointsAt(server.Url()), blocker + "/data");
  Ticker ticker;
  ASSERT_TRUE(PumpUntil([&] { return server.Requests() >= 1; }));  // no file: a first start
  ClickRefresh();
  ASSERT_TRUE(RefreshEnded());
  EXPECT_TRUE(KeepsTicking(ticker));
  window_->close();
  EXPECT_FALSE(window_->isVisible());
  EXPECT_EQ(FileBytes(blocker).size(), 0);
}

TEST_F(FaultWindowTest, ReadOnlyDataDirectoryKeepsTheOldFile) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only directories";
  SaveMailbox();
  const QByteArray before = FileBytes(SettingsPath());
  RefusingPort nobody;
  Open(nobody.Url());
  ASSERT_EQ(chmod(Directory().c_str(), 0555), 0);
  form().编辑框1->setText("newbox");
  window_->close();
  chmod(Directory().c_str(), 0755);
  EXPECT_EQ(FileBytes(SettingsPath()), before);
}

}  // namespace
}  // namespace mailvane::faults

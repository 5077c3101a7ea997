// The mailbox kept in config.ini from one run to the next, and where that
// file lives.
#include <QDir>
#include <QFileInfo>

#include "WindowTestSupport.h"
#include "app/DataDirectory.h"

namespace mailvane::testing {
namespace {

using SettingsTest = WindowTest;

// Records the operations a window starts; the start-up fetch waits until the
// window closes, so the boxes keep what the test put there.
struct Recorder {
  std::mutex mutex;
  std::vector<std::string> operations;
  std::shared_ptr<WindowBackend> backend;

  MainWindow::OperationHook Hook() {
    return [this](std::string_view operation) {
      std::shared_ptr<WindowBackend> held;
      {
        std::lock_guard lock(mutex);
        operations.emplace_back(operation);
        held = backend;
      }
      if (operation == "FetchInitialMailbox" && held) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!held->IsClosed() && std::chrono::steady_clock::now() < end)
          std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
    };
  }
  std::vector<std::string> Seen() {
    std::lock_guard lock(mutex);
    return operations;
  }
};

TEST_F(SettingsTest, FirstRunSelectsFirstDomainFetchesAndCloseWritesThreeKeys) {
  Recorder recorder;
  window = std::make_unique<MainWindow>(DeadEndpoints(), Directory());
  recorder.backend = window->backend();
  window->setOperationHookForTesting(recorder.Hook());
  window->form().组合框1->setCurrentIndex(1);
  window->show();
  ASSERT_TRUE(PumpUntil([&] { return !recorder.Seen().empty(); }));
  EXPECT_EQ(recorder.Seen(), std::vector<std::string>{"FetchInitialMailbox"});
  EXPECT_EQ(window->form().组合框1->currentIndex(), 0);
  EXPECT_EQ(window->form().组合框1->currentText(), "example.invalid");

  window->close();
  EXPECT_EQ(FileBytes(SettingsPath()),
            Bytes(Gbk("[保存数据]\r\n邮箱ID=\r\n邮箱dz=example.invalid\r\ncookies=\r\n")));
}

TEST_F(SettingsTest, SecondRunShowsWhatTheFirstLeftWithoutAskingTheService) {
  Recorder first;
  MainWindow& w = OpenWithSavedMailbox(first.Hook());
  w.form().编辑框1->setText(QString::fromUtf8("张三2024"));
  w.form().组合框1->lineEdit()->selectAll();
  w.form().组合框1->lineEdit()->insert(QString::fromUtf8("自己的.example"));  // as typed
  w.form().编辑框2->setPlainText(QString::fromUtf8("sid=值; x=1"));
  w.close();
  const QByteArray saved = FileBytes(SettingsPath());
  EXPECT_TRUE(saved.contains(Bytes(Gbk("邮箱ID=张三2024\r\n"))));
  EXPECT_TRUE(saved.contains(Bytes(Gbk("邮箱dz=自己的.example\r\n"))));
  EXPECT_TRUE(saved.contains(Bytes(Gbk("cookies=sid=值; x=1\r\n"))));
  window.reset();

  Recorder second;
  MainWindow& again = Open(second.Hook());
  EXPECT_EQ(again.form().编辑框1->text(), QString::fromUtf8("张三2024"));
  EXPECT_EQ(again.form().组合框1->currentText(), QString::fromUtf8("自己的.example"));
  EXPECT_EQ(again.form().组合框1->currentIndex(), 0);  // only the text was set
  EXPECT_EQ(again.form().编辑框2->toPlainText(), QString::fromUtf8("sid=值; x=1"));
  QTest::qWait(50);
  EXPECT_TRUE(second.Seen().empty());
  EXPECT_TRUE(first.Seen().empty());
}

TEST_F(SettingsTest, FileWithOnlyTheSectionGivesEmptyBoxesAndNoFetch) {
  Recorder recorder;
  MainWindow& w = OpenWithSavedMailbox(recorder.Hook());
  EXPECT_EQ(w.form().编辑框1->text(), "");
  EXPECT_EQ(w.form().组合框1->currentText(), "");
  EXPECT_EQ(w.form().编辑框2->toPlainText(), "");
  QTest::qWait(50);
  EXPECT_TRUE(recorder.Seen().empty());
}

TEST_F(SettingsTest, ClosingIsNeverRefusedEvenWhenTheFileCannotBeWritten) {
  MainWindow& w = OpenWithSavedMailbox();
  QFile::remove(QString::fromStdString(SettingsPath()));
  ASSERT_TRUE(QDir().mkdir(QString::fromStdString(SettingsPath())));  // a directory in its place
  w.form().编辑框1->setText("box");
  EXPECT_TRUE(w.close());
  EXPECT_FALSE(w.isVisible());
}

TEST(DataDirectory, ProgramDirectoryWhenWritableElseTheUsersOwn) {
  QTemporaryDir writable;
  QTemporaryDir home;
  const QString fallback = home.path() + "/mailvane/data";
  struct Case {
    QString program;
    QString expected;
  };
  const Case cases[] = {
      {writable.path(), writable.path()},
      {QStringLiteral("/proc"), fallback},  // not writable, even for root
      {writable.path() + "/missing", fallback},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.program.toStdString());
    EXPECT_EQ(ChooseDataDirectory(c.program, fallback), c.expected);
  }
  EXPECT_TRUE(QFileInfo(fallback).isDir());
  EXPECT_TRUE(QDir(writable.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
  EXPECT_EQ(ToFileSystemPath(writable.path() + "/"), writable.path().toStdString());
}

TEST_F(SettingsTest, WindowOnTheFallbackDirectoryKeepsItsMailbox) {
  const QString fallback = data.path() + "/appdata";
  const std::string directory = ToFileSystemPath(ChooseDataDirectory("/proc", fallback));
  {
    Recorder recorder;  // holds the start-up fetch until the window closes
    MainWindow first(DeadEndpoints(), directory);
    recorder.backend = first.backend();
    first.setOperationHookForTesting(recorder.Hook());
    QCoreApplication::processEvents();
    first.form().编辑框1->setText("kept");
    first.close();
  }
  ResumeRequests();
  MainWindow second(DeadEndpoints(), directory);
  QCoreApplication::processEvents();
  EXPECT_EQ(second.form().编辑框1->text(), "kept");
  EXPECT_TRUE(QFileInfo::exists(fallback + "/config.ini"));
}

}  // namespace
}  // namespace mailvane::testing

// The control layer the service operations see: any thread, the window's
// thread doing the work, and nothing at all once the window closes.
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTreeView>

#include "WindowTestSupport.h"
#include "app/MailListModel.h"

namespace mailvane::testing {
namespace {

using BackendTest = WindowTest;

TEST_F(BackendTest, TextsWrittenFromAWorkerReadBackInOrder) {
  struct Case {
    const char* control;
    const char* text;
  };
  const Case cases[] = {{"编辑框1", "张三box"},
                        {"组合框1", "自定义.example"},
                        {"编辑框2", "a=1; b=中文"},
                        {"分组框1", "主题 [1]"},
                        {"编辑框_内容", "第一行\n<b>第二行</b>"}};
  MainWindow& w = OpenWithSavedMailbox();
  ControlBackend& backend = *w.backend();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.control);
    std::string readBack;
    RunOnWorker([&] {
      for (int i = 0; i < 50; ++i) backend.WriteText(c.control, Gbk("旧") + std::to_string(i));
      backend.WriteText(c.control, Gbk(c.text));
      readBack = backend.ReadText(c.control);  // after the writes before it
    });
    EXPECT_EQ(readBack, Gbk(c.text));
    EXPECT_EQ(backend.ReadText(c.control), Gbk(c.text));  // and on the window's thread
  }
  EXPECT_EQ(w.form().组合框1->currentIndex(), 0);  // a typed domain leaves the item alone
}

TEST_F(BackendTest, LabelsCheckBoxesAndComboItems) {
  MainWindow& w = OpenWithSavedMailbox();
  ControlBackend& backend = *w.backend();
  bool autoTicked = true, htmlTicked = false;
  RunOnWorker([&] {
    backend.WriteText("标签_发件人", Gbk("<i>发件人</i>"));
    backend.WriteSelectedItem("组合框1", 1);
    backend.WriteSelectedItem("组合框1", 7);  // no such item: nothing happens
    autoTicked = backend.ReadTicked("选择框1");
    htmlTicked = backend.ReadTicked("选择框2");
  });
  EXPECT_EQ(w.form().标签_发件人->text(), QString::fromUtf8("<i>发件人</i>"));
  EXPECT_EQ(w.form().标签_发件人->textFormat(), Qt::PlainText);
  EXPECT_EQ(w.form().组合框1->currentIndex(), 1);
  EXPECT_FALSE(autoTicked);
  EXPECT_TRUE(htmlTicked);
}

TEST_F(BackendTest, PictureFromImageBytes) {
  MainWindow& w = OpenWithSavedMailbox();
  QImage image(30, 10, QImage::Format_RGB32);
  image.fill(Qt::red);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  RunOnWorker([&] { w.backend()->WritePicture("图片框_yzm", png.toStdString()); });
  EXPECT_EQ(w.form().图片框_yzm->pixmap().size(), QSize(30, 10));
  RunOnWorker([&] { w.backend()->WritePicture("图片框_yzm", "not an image"); });
  EXPECT_TRUE(w.form().图片框_yzm->pixmap().isNull());
}

TEST_F(BackendTest, TenThousandRowsArriveInOneStep) {
  MainWindow& w = OpenWithSavedMailbox();
  ControlBackend& backend = *w.backend();
  std::vector<MailRow> rows;
  for (int i = 1; i <= 10000; ++i)
    rows.push_back({std::to_string(i), "to@x", "2024", Gbk("发件人") + std::to_string(i), "M" + std::to_string(i)});
  QSignalSpy resets(w.form().mailList, &QAbstractItemModel::modelReset);
  QSignalSpy inserts(w.form().mailList, &QAbstractItemModel::rowsInserted);
  int count = 0, found = 0, missing = 0;
  std::string cell, outside;
  RunOnWorker([&] {
    backend.ReplaceRows("超级列表框1", std::move(rows));
    count = backend.RowCount("超级列表框1");
    cell = backend.CellText("超级列表框1", 9999, 3);
    outside = backend.CellText("超级列表框1", 10000, 0);
    found = backend.FindRow("超级列表框1", 4, "M5000");
    missing = backend.FindRow("超级列表框1", 4, "M0");
  });
  EXPECT_EQ(resets.count(), 1);
  EXPECT_EQ(inserts.count(), 0);
  EXPECT_EQ(count, 10000);
  EXPECT_EQ(cell, Gbk("发件人10000"));
  EXPECT_EQ(outside, "");
  EXPECT_EQ(found, 4999);
  EXPECT_EQ(missing, -1);
  EXPECT_EQ(w.form().mailList->index(9999, 3).data().toString(), QString::fromUtf8("发件人10000"));
}

TEST_F(BackendTest, SelectedRowAndRowDeletion) {
  MainWindow& w = OpenWithSavedMailbox();
  ControlBackend& backend = *w.backend();
  backend.ReplaceRows("超级列表框1", {{"1", "", "", "", "A"}, {"2", "", "", "", "B"}, {"3", "", "", "", "C"}});
  EXPECT_EQ(backend.SelectedRow("超级列表框1"), -1);
  QTreeView* view = w.form().超级列表框1;
  view->selectionModel()->select(view->model()->index(2, 0),
                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  int selected = -2, afterDelete = -2;
  std::string first;
  RunOnWorker([&] {
    selected = backend.SelectedRow("超级列表框1");
    backend.DeleteRow("超级列表框1", 0);
    backend.DeleteRow("超级列表框1", 99);
    first = backend.CellText("超级列表框1", 0, 4);
    afterDelete = backend.RowCount("超级列表框1");
    backend.DeleteAllRows("超级列表框1");
  });
  EXPECT_EQ(selected, 2);
  EXPECT_EQ(first, "B");
  EXPECT_EQ(afterDelete, 2);
  EXPECT_EQ(backend.RowCount("超级列表框1"), 0);
}

TEST_F(BackendTest, MessageBoxIsWindowModalOkOnlyAndDoesNotBlock) {
  MainWindow& w = OpenWithSavedMailbox();
  RunOnWorker([&] { w.backend()->ShowMessage(Gbk("请输入验证码！"), Gbk("提示信息")); });
  QMessageBox* box = nullptr;
  ASSERT_TRUE(PumpUntil([&] {
    box = w.findChild<QMessageBox*>();
    return box && box->isVisible();
  }));
  EXPECT_EQ(box->text(), QString::fromUtf8("请输入验证码！"));
  EXPECT_EQ(box->windowTitle(), QString::fromUtf8("提示信息"));
  EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
  EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
  EXPECT_EQ(box->windowModality(), Qt::WindowModal);
  QPointer<QMessageBox> alive(box);
  box->button(QMessageBox::Ok)->click();
  EXPECT_TRUE(PumpUntil([&] { return alive.isNull(); }));  // deleted on close
}

TEST_F(BackendTest, AfterCloseEveryCallIsEmptyAndWritesAreDropped) {
  MainWindow& w = OpenWithSavedMailbox();
  w.form().编辑框1->setText("kept");
  w.form().选择框1->setChecked(true);
  w.backend()->ReplaceRows("超级列表框1", {{"1", "", "", "", "A"}});
  std::shared_ptr<WindowBackend> backend = w.backend();
  backend->Close();
  auto exercise = [&] {
    EXPECT_EQ(backend->ReadText("编辑框1"), "");
    EXPECT_FALSE(backend->ReadTicked("选择框1"));
    EXPECT_EQ(backend->RowCount("超级列表框1"), 0);
    EXPECT_EQ(backend->SelectedRow("超级列表框1"), -1);
    EXPECT_EQ(backend->FindRow("超级列表框1", 4, "A"), -1);
    EXPECT_EQ(backend->CellText("超级列表框1", 0, 4), "");
    backend->WriteText("编辑框1", "lost");
    backend->DeleteAllRows("超级列表框1");
    backend->ShowMessage("x", "y");
  };
  exercise();                     // on the window's thread
  std::thread worker(exercise);  // and from a worker, with no events pumped
  worker.join();
  QCoreApplication::processEvents();
  EXPECT_EQ(w.form().编辑框1->text(), "kept");
  EXPECT_EQ(w.form().mailList->rowCount(), 1);
  EXPECT_EQ(w.findChild<QMessageBox*>(), nullptr);

  window.reset();  // the backend outlives the window
  std::thread late([&] {
    EXPECT_EQ(backend->ReadText("编辑框1"), "");
    backend->WriteText("编辑框1", "lost");
  });
  late.join();
}

// The window's thread waits for its workers while closing; a worker waiting
// for a read must not hold it up.
TEST_F(BackendTest, CloseWakesAReadThatWaitsForTheWindow) {
  MainWindow& w = OpenWithSavedMailbox();
  std::shared_ptr<WindowBackend> backend = w.backend();
  std::atomic<bool> reading{false};
  std::string value = "unset";
  std::thread worker([&] {
    reading = true;
    value = backend->ReadText("编辑框1");
  });
  while (!reading) std::this_thread::yield();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));  // no events pumped meanwhile
  backend->Close();
  worker.join();
  EXPECT_EQ(value, "");
}

TEST_F(BackendTest, RunOnWindowThreadRunsThereOrReportsClosed) {
  MainWindow& w = OpenWithSavedMailbox();
  const std::thread::id windowThread = std::this_thread::get_id();
  std::thread::id ranOn;
  bool answered = false;
  RunOnWorker([&] { answered = w.backend()->RunOnWindowThread([&] { ranOn = std::this_thread::get_id(); }); });
  EXPECT_TRUE(answered);
  EXPECT_EQ(ranOn, windowThread);
  w.backend()->Close();
  bool ran = false;
  RunOnWorker([&] { answered = w.backend()->RunOnWindowThread([&] { ran = true; }); });
  EXPECT_FALSE(answered);
  EXPECT_FALSE(ran);
}

TEST_F(BackendTest, ControlTouchedFromAnotherThreadEndsTheProgram) {
  MainWindow& w = OpenWithSavedMailbox();
  WindowBackend* backend = w.backend().get();
  EXPECT_NE(backend->Control("编辑框1"), nullptr);
  EXPECT_DEATH(
      {
        std::thread worker([&] { backend->Control("编辑框1"); });
        worker.join();
      },
      "outside the window's thread");
}

}  // namespace
}  // namespace mailvane::testing

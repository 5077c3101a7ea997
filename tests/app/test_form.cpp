// The form as the user sees it, and the window's own handlers.
#include <QAbstractItemView>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>

#include "WindowTestSupport.h"

namespace mailvane::testing {
namespace {

QString TextOf(QWidget* widget) {
  if (auto* w = qobject_cast<QLineEdit*>(widget)) return w->text();
  if (auto* w = qobject_cast<QComboBox*>(widget)) return w->currentText();
  if (auto* w = qobject_cast<QPlainTextEdit*>(widget)) return w->toPlainText();
  if (auto* w = qobject_cast<QGroupBox*>(widget)) return w->title();
  if (auto* w = qobject_cast<QLabel*>(widget)) return w->text();
  if (auto* w = qobject_cast<QAbstractButton*>(widget)) return w->text();
  return {};
}

struct ControlRow {
  const char* name;
  const char* parent;
  const char* kind;
  int x, y, width, height;
  const char* text;
  bool hidden;
};

const ControlRow kForm[] = {
    {"编辑框1", "", "QLineEdit", 16, 6, 192, 24, "", false},
    {"标签1", "", "QLabel", 208, 0, 16, 24, "@", false},
    {"组合框1", "", "QComboBox", 218, 6, 230, 20, "example.invalid", false},
    {"编辑框2", "", "QPlainTextEdit", 16, 38, 432, 90, "", false},
    {"按钮4", "", "QPushButton", 464, 4, 96, 32, "复制邮箱", false},
    {"按钮1", "", "QPushButton", 464, 47, 96, 32, "更换邮箱", false},
    {"按钮2", "", "QPushButton", 464, 91, 96, 32, "刷新邮箱", false},
    {"选择框1", "", "QCheckBox", 464, 130, 96, 24, "自动刷新邮箱", false},
    {"标签10", "", "QLabel", 8, 136, 216, 16, "开始时间：", false},
    {"标签11", "", "QLabel", 230, 136, 216, 16, "结束时间：", false},
    {"超级列表框1", "", "QTreeView", 8, 158, 568, 184, "", false},
    {"分组框1", "", "QGroupBox", 8, 4, 568, 354, "", true},
    {"分组框2", "", "QGroupBox", 704, 0, 568, 354, "发送邮件", true},
    {"标签2", "分组框1", "QLabel", 8, 17, 456, 24, "发件人：", false},
    {"标签_发件人", "分组框1", "QLabel", 56, 17, 380, 24, "", false},
    {"标签3", "分组框1", "QLabel", 8, 49, 456, 24, "收件人：", false},
    {"标签_收件人", "分组框1", "QLabel", 56, 49, 380, 24, "", false},
    {"标签4", "分组框1", "QLabel", 8, 81, 320, 24, "收到时间：", false},
    {"标签_收到时间", "分组框1", "QLabel", 66, 81, 222, 24, "", false},
    {"选择框2", "分组框1", "QCheckBox", 464, 8, 80, 24, "HTML读取", false},
    {"图片框1", "分组框1", "QLabel", 544, 8, 16, 24, "", false},
    {"按钮3", "分组框1", "QPushButton", 480, 36, 72, 40, "回复", false},
    {"图片框_yzm", "分组框1", "QLabel", 305, 74, 120, 35, "", false},
    {"标签9", "分组框1", "QLabel", 427, 82, 48, 24, "验证码：", false},
    {"编辑框_验证码", "分组框1", "QLineEdit", 480, 82, 51, 24, "", false},
    {"编辑框_内容", "分组框1", "QPlainTextEdit", 8, 113, 552, 232, "", false},
    {"超文本浏览框1", "分组框1", "QWidget", 8, 113, 552, 232, "", true},
    {"标签6", "分组框2", "QLabel", 13, 16, 48, 24, "发件人：", false},
    {"编辑框_发件人", "分组框2", "QLineEdit", 61, 16, 408, 24, "", false},
    {"标签5", "分组框2", "QLabel", 13, 48, 48, 24, "收件人：", false},
    {"编辑框_收件人", "分组框2", "QLineEdit", 61, 48, 408, 24, "", false},
    {"标签7", "分组框2", "QLabel", 13, 80, 48, 24, "标  题：", false},
    {"编辑框_标题", "分组框2", "QLineEdit", 61, 80, 187, 24, "", false},
    {"图片框_yzm11", "分组框2", "QLabel", 262, 72, 120, 35, "", false},
    {"标签8", "分组框2", "QLabel", 384, 80, 48, 24, "验证码：", false},
    {"编辑框_验证码2", "分组框2", "QLineEdit", 437, 80, 51, 24, "", false},
    {"按钮5", "分组框2", "QPushButton", 480, 32, 64, 40, "发送", false},
    {"图片框2", "分组框2", "QLabel", 544, 8, 16, 24, "", false},
    {"编辑框_发送内容", "分组框2", "QPlainTextEdit", 13, 112, 552, 232, "", false},
};

using FormTest = WindowTest;

TEST_F(FormTest, EveryControlHasItsKindPlaceTextAndVisibility) {
  // As created, before the created event restores a mailbox.
  window = std::make_unique<MainWindow>(DeadEndpoints(), Directory());
  MainWindow& w = *window;
  for (const ControlRow& row : kForm) {
    SCOPED_TRACE(row.name);
    auto* widget = w.findChild<QWidget*>(QString::fromUtf8(row.name));
    ASSERT_NE(widget, nullptr);
    EXPECT_STREQ(widget->metaObject()->className(), row.kind);
    const QString parent = QString::fromUtf8(row.parent);
    EXPECT_EQ(widget->parentWidget() == &w ? QString() : widget->parentWidget()->objectName(), parent);
    EXPECT_EQ(widget->geometry(), QRect(row.x, row.y, row.width, row.height));
    EXPECT_EQ(TextOf(widget), QString::fromUtf8(row.text));
    EXPECT_EQ(widget->isHidden(), row.hidden);
  }
  EXPECT_FALSE(w.form().选择框1->isChecked());
  EXPECT_TRUE(w.form().选择框2->isChecked());
  EXPECT_TRUE(w.form().组合框1->isEditable());
  EXPECT_EQ(w.form().组合框1->count(), 2);
  EXPECT_EQ(w.form().组合框1->itemText(1), "example2.invalid");
  EXPECT_TRUE(w.form().编辑框_发件人->isReadOnly());
  for (QPlainTextEdit* edit : {w.form().编辑框2, w.form().编辑框_内容, w.form().编辑框_发送内容})
    EXPECT_EQ(edit->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn) << edit->objectName().toStdString();
  EXPECT_EQ(w.form().编辑框_发送内容->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(w.form().编辑框2->horizontalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
  // Only the send panel lies beyond the client area.
  EXPECT_TRUE(QRect(0, 0, 579, 360).contains(w.form().分组框1->geometry()));
  EXPECT_TRUE(QRect(0, 0, 579, 360).contains(w.form().超级列表框1->geometry()));
}

TEST_F(FormTest, WindowIsFixedAtItsPlaceWithoutMenuBar) {
  MainWindow& w = OpenWithSavedMailbox();
  EXPECT_EQ(w.windowTitle(), "Mailvane");
  EXPECT_EQ(w.size(), QSize(579, 360));
  EXPECT_EQ(w.minimumSize(), w.maximumSize());
  EXPECT_EQ(w.pos(), QPoint(50, 50));
  EXPECT_FALSE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_EQ(w.findChild<QMenuBar*>(), nullptr);
  QMenu* menu = w.form().菜单;
  EXPECT_EQ(menu->objectName(), QString::fromUtf8("菜单"));
  EXPECT_FALSE(menu->isVisible());
}

TEST_F(FormTest, MailListHasFiveColumns) {
  struct Column {
    const char* title;
    int width;
    Qt::Alignment alignment;
  };
  const Column columns[] = {{"序号", 40, Qt::AlignLeft | Qt::AlignVCenter},
                            {"接受的邮箱", 120, Qt::AlignCenter},
                            {"邮件接收的时间", 150, Qt::AlignLeft | Qt::AlignVCenter},
                            {"发送的邮箱地址", 150, Qt::AlignLeft | Qt::AlignVCenter},
                            {"MID", 88, Qt::AlignLeft | Qt::AlignVCenter}};
  MainWindow& w = OpenWithSavedMailbox();
  w.backend()->ReplaceRows("超级列表框1", {{"1", "a@b", "t", "f", "m"}});
  QTreeView* view = w.form().超级列表框1;
  QAbstractItemModel* model = view->model();
  ASSERT_EQ(model->columnCount(), 5);
  EXPECT_FALSE(view->header()->isHidden());
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(model->headerData(i, Qt::Horizontal).toString(), QString::fromUtf8(columns[i].title));
    EXPECT_EQ(view->header()->sectionSize(i), columns[i].width);
    EXPECT_EQ(model->index(0, i).data(Qt::TextAlignmentRole).value<Qt::Alignment>(), columns[i].alignment);
  }
}

TEST_F(FormTest, ClosePictureIsAGreyCrossOnTransparentGround) {
  MainWindow& w = OpenWithSavedMailbox();
  for (QLabel* box : {w.form().图片框1, w.form().图片框2}) {
    const QImage image = box->pixmap().toImage();
    ASSERT_EQ(image.size(), QSize(48, 48));
    EXPECT_TRUE(image.hasAlphaChannel());
    EXPECT_EQ(image.pixelColor(24, 24), QColor(0xBF, 0xBF, 0xBF));
    EXPECT_EQ(image.pixelColor(12, 12), QColor(0xBF, 0xBF, 0xBF));
    EXPECT_EQ(image.pixelColor(24, 6).alpha(), 0);
    EXPECT_EQ(image.pixelColor(2, 24).alpha(), 0);
    // Shown within the 16 by 24 box.
    EXPECT_LE(box->pixmap().deviceIndependentSize().width(), 16);
  }
}

TEST_F(FormTest, RightClickOnEmptyListPopsUpMenuBesideTheMouse) {
  MainWindow& w = OpenWithSavedMailbox();
  QWidget* viewport = w.form().超级列表框1->viewport();
  const QPoint inside(300, 120);  // no row there: the list is empty
  const QPoint global = viewport->mapToGlobal(inside);
  QCursor::setPos(global);
  QContextMenuEvent event(QContextMenuEvent::Mouse, inside, global);
  QCoreApplication::sendEvent(viewport, &event);

  QMenu* shown = nullptr;
  ASSERT_TRUE(PumpUntil([&] {
    for (QWidget* top : QApplication::topLevelWidgets())
      if (auto* menu = qobject_cast<QMenu*>(top); menu && menu->isVisible()) shown = menu;
    return shown != nullptr;
  }));
  EXPECT_EQ(shown, w.form().菜单);
  EXPECT_EQ(shown->pos(), QCursor::pos() + QPoint(3, 3));
  const QList<QAction*> items = shown->actions();
  ASSERT_EQ(items.size(), 2);
  EXPECT_EQ(items[0]->text(), QString::fromUtf8("查看邮件"));
  EXPECT_EQ(items[1]->text(), QString::fromUtf8("删除邮件"));
  for (QAction* item : items) {
    EXPECT_TRUE(item->isEnabled());
    EXPECT_FALSE(item->isChecked());
  }
  shown->hide();
}

TEST_F(FormTest, CopyAddressPutsNameAtDomainOnClipboard) {
  struct Case {
    const char* name;
    const char* typedDomain;  // nullptr: the selected item as it is
    const char* expected;
  };
  const Case cases[] = {
      {"", nullptr, "@example.invalid"},
      {"box7", "my.example", "box7@my.example"},
      {"张三 ", "邮件.example", "张三 @邮件.example"},  // nothing trimmed
  };
  ASSERT_TRUE(WriteProfileString(SettingsPath(), Gbk("保存数据"), Gbk("邮箱dz"), "example.invalid"));
  MainWindow& w = Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    QApplication::clipboard()->clear();
    w.form().编辑框1->setText(QString::fromUtf8(c.name));
    if (c.typedDomain) {
      w.form().组合框1->lineEdit()->selectAll();
      w.form().组合框1->lineEdit()->insert(QString::fromUtf8(c.typedDomain));  // as typed
    }
    QTest::mouseClick(w.form().按钮4, Qt::LeftButton);
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8(c.expected));
  }
}

TEST_F(FormTest, OpenMailShowsReaderAtOnceAndReadsOnAWorker) {
  std::atomic<int> viewMailCalls{0};
  std::atomic<bool> onWindowThread{false};
  const std::thread::id windowThread = std::this_thread::get_id();
  MainWindow& w = OpenWithSavedMailbox([&](std::string_view operation) {
    if (operation != "ViewMail") return;
    if (std::this_thread::get_id() == windowThread) onWindowThread = true;
    ++viewMailCalls;
  });
  w.form().查看邮件->trigger();
  EXPECT_TRUE(w.form().分组框1->isVisible());  // before the worker has answered
  ASSERT_TRUE(PumpUntil([&] { return viewMailCalls.load() == 1; }));
  EXPECT_FALSE(onWindowThread);

  QTest::mousePress(w.form().图片框1, Qt::LeftButton);
  EXPECT_FALSE(w.form().分组框1->isVisible());
  w.form().查看邮件->trigger();
  EXPECT_TRUE(w.form().分组框1->isVisible());
  ASSERT_TRUE(PumpUntil([&] { return viewMailCalls.load() == 2; }));
}

TEST_F(FormTest, ReaderPanelCoversTheControlsBeneathIt) {
  MainWindow& w = OpenWithSavedMailbox();
  // Two bare spots of the panel: one over the button "刷新邮箱", one over
  // the cookie box. Beneath the panel they differ; covered, they are alike.
  const QPoint overButton = w.form().按钮2->geometry().center() + QPoint(30, 0);
  const QPoint overCookieBox = w.form().编辑框2->geometry().center();
  const QImage before = w.grab().toImage();
  w.form().分组框1->show();
  const QImage covered = w.grab().toImage();
  EXPECT_NE(before.pixelColor(overButton), before.pixelColor(overCookieBox));
  EXPECT_EQ(covered.pixelColor(overButton), covered.pixelColor(overCookieBox));
}

TEST_F(FormTest, CaptchaPressAndHtmlBoxRunTheirOperations) {
  std::mutex mutex;
  std::vector<std::string> seen;
  MainWindow& w = OpenWithSavedMailbox([&](std::string_view operation) {
    std::lock_guard lock(mutex);
    seen.emplace_back(operation);
  });
  w.form().分组框1->show();
  QTest::mouseClick(w.form().选择框2, Qt::LeftButton);
  QTest::mousePress(w.form().图片框_yzm, Qt::LeftButton);
  ASSERT_TRUE(PumpUntil([&] {
    std::lock_guard lock(mutex);
    return seen.size() == 2;
  }));
  EXPECT_EQ(seen, (std::vector<std::string>{"ShowHtml", "LoadCaptcha"}));
  EXPECT_FALSE(w.form().选择框2->isChecked());
}

}  // namespace
}  // namespace mailvane::testing

#include "app/MainForm.h"

#include <QHeaderView>
#include <QPainter>

#include "app/MailListModel.h"
#include "text/CodePage.h"

namespace mailvane {

namespace {

template <class Widget>
Widget* Place(Widget* widget, const char* name, int x, int y, int width, int height) {
  widget->setObjectName(QString::fromUtf8(name));
  widget->setGeometry(x, y, width, height);
  return widget;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const char* text, int x, int y, int w,
                  int h) {
  auto* label = Place(new QLabel(parent), name, x, y, w, h);
  label->setTextFormat(Qt::PlainText);  // mail texts are shown as they stand
  label->setText(QString::fromUtf8(text));
  return label;
}

QLabel* MakePicture(QWidget* parent, const char* name, int x, int y, int w, int h) {
  auto* picture = Place(new QLabel(parent), name, x, y, w, h);
  picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return picture;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, int x, int y, int w, int h) {
  return Place(new QLineEdit(parent), name, x, y, w, h);
}

QPlainTextEdit* MakeMultiLineEdit(QWidget* parent, const char* name, int x, int y, int w, int h) {
  auto* edit = Place(new QPlainTextEdit(parent), name, x, y, w, h);
  edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  return edit;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* text, int x, int y, int w,
                        int h) {
  auto* button = Place(new QPushButton(QString::fromUtf8(text), parent), name, x, y, w, h);
  button->setAutoDefault(false);
  return button;
}

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const char* text, bool ticked, int x,
                        int y, int w, int h) {
  auto* box = Place(new QCheckBox(QString::fromUtf8(text), parent), name, x, y, w, h);
  box->setChecked(ticked);
  return box;
}

QTreeView* MakeMailList(QWidget* parent, MailListModel* model) {
  auto* view = Place(new QTreeView(parent), "超级列表框1", 8, 158, 568, 184);
  view->setModel(model);
  view->setRootIsDecorated(false);
  view->setItemsExpandable(false);
  view->setUniformRowHeights(true);  // keeps ten thousand rows cheap
  view->setAllColumnsShowFocus(true);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setContextMenuPolicy(Qt::CustomContextMenu);
  view->setSortingEnabled(false);
  QHeaderView* header = view->header();
  header->setStretchLastSection(false);
  header->setSectionsMovable(false);
  header->setSectionsClickable(false);
  for (int column = 0; column < MailListModel::kColumns; ++column)
    header->resizeSection(column, MailListModel::ColumnWidth(column));
  return view;
}

}  // namespace

QPixmap ClosePicture() {
  QImage image(48, 48, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(0xBF, 0xBF, 0xBF), 6, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(8, 8, 40, 40);
  painter.drawLine(40, 8, 8, 40);
  painter.end();
  QPixmap pixmap = QPixmap::fromImage(image);
  pixmap.setDevicePixelRatio(3.0);
  return pixmap;
}

MainForm::MainForm(QWidget* w, const std::array<std::string, 2>& mailDomains) {
  const QPixmap closePicture = ClosePicture();  // drawn once for both panels
  编辑框1 = MakeEdit(w, "编辑框1", 16, 6, 192, 24);
  标签1 = MakeLabel(w, "标签1", "@", 208, 0, 16, 24);
  组合框1 = Place(new QComboBox(w), "组合框1", 218, 6, 230, 20);
  组合框1->setEditable(true);
  组合框1->setInsertPolicy(QComboBox::NoInsert);
  for (const std::string& domain : mailDomains)
    组合框1->addItem(QString::fromUtf8(LocalToUtf8(domain)));
  组合框1->setCurrentIndex(0);
  编辑框2 = MakeMultiLineEdit(w, "编辑框2", 16, 38, 432, 90);
  按钮4 = MakeButton(w, "按钮4", "复制邮箱", 464, 4, 96, 32);
  按钮1 = MakeButton(w, "按钮1", "更换邮箱", 464, 47, 96, 32);
  按钮2 = MakeButton(w, "按钮2", "刷新邮箱", 464, 91, 96, 32);
  选择框1 = MakeCheckBox(w, "选择框1", "自动刷新邮箱", false, 464, 130, 96, 24);
  标签10 = MakeLabel(w, "标签10", "开始时间：", 8, 136, 216, 16);
  标签11 = MakeLabel(w, "标签11", "结束时间：", 230, 136, 216, 16);
  mailList = new MailListModel(w);
  超级列表框1 = MakeMailList(w, mailList);

  // The reader panel lies over the whole client area, the list included.
  分组框1 = Place(new QGroupBox(w), "分组框1", 8, 4, 568, 354);
  QGroupBox* r = 分组框1;
  r->setAutoFillBackground(true);  // hides the controls beneath it
  标签2 = MakeLabel(r, "标签2", "发件人：", 8, 17, 456, 24);
  标签_发件人 = MakeLabel(r, "标签_发件人", "", 56, 17, 380, 24);
  标签3 = MakeLabel(r, "标签3", "收件人：", 8, 49, 456, 24);
  标签_收件人 = MakeLabel(r, "标签_收件人", "", 56, 49, 380, 24);
  标签4 = MakeLabel(r, "标签4", "收到时间：", 8, 81, 320, 24);
  标签_收到时间 = MakeLabel(r, "标签_收到时间", "", 66, 81, 222, 24);
  选择框2 = MakeCheckBox(r, "选择框2", "HTML读取", true, 464, 8, 80, 24);
  图片框1 = MakePicture(r, "图片框1", 544, 8, 16, 24);
  图片框1->setPixmap(closePicture);
  图片框1->setCursor(Qt::PointingHandCursor);
  按钮3 = MakeButton(r, "按钮3", "回复", 480, 36, 72, 40);
  图片框_yzm = MakePicture(r, "图片框_yzm", 305, 74, 120, 35);
  标签9 = MakeLabel(r, "标签9", "验证码：", 427, 82, 48, 24);
  编辑框_验证码 = MakeEdit(r, "编辑框_验证码", 480, 82, 51, 24);
  编辑框_内容 = MakeMultiLineEdit(r, "编辑框_内容", 8, 113, 552, 232);
  // Created after the text box, so it lies in front of it when shown.
  超文本浏览框1 = Place(new QWidget(r), "超文本浏览框1", 8, 113, 552, 232);
  超文本浏览框1->hide();
  分组框1->hide();

  // The send panel: outside the window, never shown, no handlers.
  分组框2 = Place(new QGroupBox(QString::fromUtf8("发送邮件"), w), "分组框2", 704, 0, 568, 354);
  QGroupBox* s = 分组框2;
  标签6 = MakeLabel(s, "标签6", "发件人：", 13, 16, 48, 24);
  编辑框_发件人 = MakeEdit(s, "编辑框_发件人", 61, 16, 408, 24);
  编辑框_发件人->setReadOnly(true);
  标签5 = MakeLabel(s, "标签5", "收件人：", 13, 48, 48, 24);
  编辑框_收件人 = MakeEdit(s, "编辑框_收件人", 61, 48, 408, 24);
  标签7 = MakeLabel(s, "标签7", "标  题：", 13, 80, 48, 24);
  编辑框_标题 = MakeEdit(s, "编辑框_标题", 61, 80, 187, 24);
  图片框_yzm11 = MakePicture(s, "图片框_yzm11", 262, 72, 120, 35);
  标签8 = MakeLabel(s, "标签8", "验证码：", 384, 80, 48, 24);
  编辑框_验证码2 = MakeEdit(s, "编辑框_验证码2", 437, 80, 51, 24);
  按钮5 = MakeButton(s, "按钮5", "发送", 480, 32, 64, 40);
  图片框2 = MakePicture(s, "图片框2", 544, 8, 16, 24);
  图片框2->setPixmap(closePicture);
  编辑框_发送内容 = MakeMultiLineEdit(s, "编辑框_发送内容", 13, 112, 552, 232);
  编辑框_发送内容->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  编辑框_发送内容->setLineWrapMode(QPlainTextEdit::NoWrap);
  分组框2->hide();

  菜单 = new QMenu(QString::fromUtf8("菜单"), w);
  菜单->setObjectName(QString::fromUtf8("菜单"));
  查看邮件 = 菜单->addAction(QString::fromUtf8("查看邮件"));
  查看邮件->setObjectName(QString::fromUtf8("查看邮件"));
  删除邮件 = 菜单->addAction(QString::fromUtf8("删除邮件"));
  删除邮件->setObjectName(QString::fromUtf8("删除邮件"));
}

}  // namespace mailvane

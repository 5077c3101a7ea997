#pragma once
// The main window's form: every control by its form name, placed as the form
// places it. Each widget's objectName is its form name, so the control layer
// finds it by the same name the service operations use.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>
#include <QWidget>
#include <array>
#include <string>

namespace mailvane {

class MailListModel;

// The client area the form's places are measured in.
constexpr int kClientWidth = 579;
constexpr int kClientHeight = 360;

// The close picture: a light grey diagonal cross on a transparent 48x48
// ground, shown at 16x16 (device pixel ratio 3).
QPixmap ClosePicture();

struct MainForm {
  // Builds every control as a child of window; mailDomains are local text.
  MainForm(QWidget* window, const std::array<std::string, 2>& mailDomains);

  QLineEdit* 编辑框1;
  QLabel* 标签1;
  QComboBox* 组合框1;
  QPlainTextEdit* 编辑框2;
  QPushButton* 按钮4;
  QPushButton* 按钮1;
  QPushButton* 按钮2;
  QCheckBox* 选择框1;
  QLabel* 标签10;
  QLabel* 标签11;
  QTreeView* 超级列表框1;
  MailListModel* mailList;

  QGroupBox* 分组框1;
  QLabel* 标签2;
  QLabel* 标签_发件人;
  QLabel* 标签3;
  QLabel* 标签_收件人;
  QLabel* 标签4;
  QLabel* 标签_收到时间;
  QCheckBox* 选择框2;
  QLabel* 图片框1;
  QPushButton* 按钮3;
  QLabel* 图片框_yzm;
  QLabel* 标签9;
  QLineEdit* 编辑框_验证码;
  QPlainTextEdit* 编辑框_内容;
  QWidget* 超文本浏览框1;  // placeholder; the HTML view is put inside on first use

  QGroupBox* 分组框2;
  QLabel* 标签6;
  QLineEdit* 编辑框_发件人;
  QLabel* 标签5;
  QLineEdit* 编辑框_收件人;
  QLabel* 标签7;
  QLineEdit* 编辑框_标题;
  QLabel* 图片框_yzm11;
  QLabel* 标签8;
  QLineEdit* 编辑框_验证码2;
  QPushButton* 按钮5;
  QLabel* 图片框2;
  QPlainTextEdit* 编辑框_发送内容;

  QMenu* 菜单;  // popup only; the window has no menu bar
  QAction* 查看邮件;
  QAction* 删除邮件;
};

}  // namespace mailvane

#pragma once
// What the service operations see of the main window: its controls, by the
// form's names, and the few operations the window offers on them. No Qt here;
// the window implements ControlBackend and marshals every call made from a
// worker thread to the window's thread. Texts are local (code page 936).
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "text/Text.h"

namespace mailvane {

// One row of the mail list: the five columns, left to right.
using MailRow = std::array<std::string, 5>;

// The window's side of the control operations. A control is named by its
// objectName (the form's name, UTF-8). Reads return the control's current
// value; writes from one thread take effect in the order they were made.
class ControlBackend {
 public:
  virtual ~ControlBackend() = default;

  virtual std::string ReadText(std::string_view control) = 0;   // edit/combo text, group caption
  virtual void WriteText(std::string_view control, const std::string& text) = 0;  // also label captions
  virtual void WriteSelectedItem(std::string_view control, int index) = 0;     // combo box
  virtual bool ReadTicked(std::string_view control) = 0;        // check box
  virtual void WriteVisible(std::string_view control, bool visible) = 0;
  virtual void WritePicture(std::string_view control, const Bytes& image) = 0;  // image file bytes
  virtual void WriteAddress(std::string_view control, const std::string& path) = 0;  // HTML view

  // The mail list.
  virtual int SelectedRow(std::string_view list) = 0;               // -1 when none
  virtual void DeleteAllRows(std::string_view list) = 0;
  virtual void ReplaceRows(std::string_view list, std::vector<MailRow> rows) = 0;  // one step
  virtual std::string CellText(std::string_view list, int row, int column) = 0;
  virtual int RowCount(std::string_view list) = 0;
  virtual int FindRow(std::string_view list, int column, const std::string& text) = 0;  // -1
  virtual void DeleteRow(std::string_view list, int row) = 0;

  // The main window: a message box with an OK button only and no icon,
  // owned by the window; it does not block the caller.
  virtual void ShowMessage(const std::string& text, const std::string& title) = 0;
};

// Typed handles, so that operations read as the form does: w.编辑框1.Text().
class ControlRef {
 public:
  ControlRef(ControlBackend& backend, std::string_view name) : backend_(&backend), name_(name) {}
  std::string_view name() const { return name_; }

 protected:
  ControlBackend* backend_;
  std::string_view name_;
};

struct EditBox : ControlRef {
  using ControlRef::ControlRef;
  std::string Text() const { return backend_->ReadText(name_); }
  void SetText(const std::string& t) const { backend_->WriteText(name_, t); }
};

struct ComboBox : EditBox {
  using EditBox::EditBox;
  void SelectItem(int index) const { backend_->WriteSelectedItem(name_, index); }
};

struct Label : ControlRef {
  using ControlRef::ControlRef;
  void SetCaption(const std::string& t) const { backend_->WriteText(name_, t); }
};

struct GroupBox : ControlRef {
  using ControlRef::ControlRef;
  std::string Caption() const { return backend_->ReadText(name_); }
  void SetCaption(const std::string& t) const { backend_->WriteText(name_, t); }
  void SetVisible(bool v) const { backend_->WriteVisible(name_, v); }
};

struct CheckBox : ControlRef {
  using ControlRef::ControlRef;
  bool Ticked() const { return backend_->ReadTicked(name_); }
};

struct PictureBox : ControlRef {
  using ControlRef::ControlRef;
  void SetPicture(const Bytes& image) const { backend_->WritePicture(name_, image); }
};

struct HtmlView : ControlRef {
  using ControlRef::ControlRef;
  void SetAddress(const std::string& path) const { backend_->WriteAddress(name_, path); }
  void SetVisible(bool v) const { backend_->WriteVisible(name_, v); }
};

struct ListView : ControlRef {
  using ControlRef::ControlRef;
  int SelectedRow() const { return backend_->SelectedRow(name_); }
  void DeleteAllRows() const { backend_->DeleteAllRows(name_); }
  void ReplaceRows(std::vector<MailRow> rows) const { backend_->ReplaceRows(name_, std::move(rows)); }
  std::string CellText(int row, int column) const { return backend_->CellText(name_, row, column); }
  int RowCount() const { return backend_->RowCount(name_); }
  int FindRow(int column, const std::string& text) const { return backend_->FindRow(name_, column, text); }
  void DeleteRow(int row) const { backend_->DeleteRow(name_, row); }
};

// The controls that the operations read and write, named as on the form.
struct MailWindow {
  explicit MailWindow(ControlBackend& b)
      : backend(b),
        编辑框1(b, "编辑框1"), 组合框1(b, "组合框1"), 编辑框2(b, "编辑框2"),
        标签10(b, "标签10"), 标签11(b, "标签11"), 选择框1(b, "选择框1"),
        超级列表框1(b, "超级列表框1"), 分组框1(b, "分组框1"),
        标签_发件人(b, "标签_发件人"), 标签_收件人(b, "标签_收件人"),
        标签_收到时间(b, "标签_收到时间"), 选择框2(b, "选择框2"),
        图片框_yzm(b, "图片框_yzm"), 编辑框_验证码(b, "编辑框_验证码"),
        编辑框_内容(b, "编辑框_内容"), 超文本浏览框1(b, "超文本浏览框1") {}

  void ShowMessage(const std::string& text, const std::string& title) const {
    backend.ShowMessage(text, title);
  }

  ControlBackend& backend;
  EditBox 编辑框1;
  ComboBox 组合框1;
  EditBox 编辑框2;
  Label 标签10;
  Label 标签11;
  CheckBox 选择框1;
  ListView 超级列表框1;
  GroupBox 分组框1;
  Label 标签_发件人;
  Label 标签_收件人;
  Label 标签_收到时间;
  CheckBox 选择框2;
  PictureBox 图片框_yzm;
  EditBox 编辑框_验证码;
  EditBox 编辑框_内容;
  HtmlView 超文本浏览框1;
};

}  // namespace mailvane

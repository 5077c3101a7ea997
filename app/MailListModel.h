#pragma once
// The rows of the mail list, held as local text (code page 936) and converted
// only for display, so a list of ten thousand rows is filled in one step.
#include <QAbstractTableModel>
#include <string>
#include <vector>

#include "service/Controls.h"

namespace mailvane {

class MailListModel : public QAbstractTableModel {
 public:
  explicit MailListModel(QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  static constexpr int kColumns = 5;
  static int ColumnWidth(int column);

  void ReplaceRows(std::vector<MailRow> rows);  // one model reset
  void DeleteAllRows();
  void DeleteRow(int row);                      // out of range: nothing
  std::string CellText(int row, int column) const;  // empty out of range
  int FindRow(int column, const std::string& text) const;  // -1

 private:
  std::vector<MailRow> rows_;
};

}  // namespace mailvane

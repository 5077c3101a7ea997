#include "app/MailListModel.h"

#include "text/CodePage.h"

namespace mailvane {

namespace {

struct ColumnInfo {
  const char* title;  // UTF-8
  int width;
  Qt::Alignment alignment;
};

constexpr ColumnInfo kColumnInfo[MailListModel::kColumns] = {
    {"序号", 40, Qt::AlignLeft | Qt::AlignVCenter},
    {"接受的邮箱", 120, Qt::AlignCenter},
    {"邮件接收的时间", 150, Qt::AlignLeft | Qt::AlignVCenter},
    {"发送的邮箱地址", 150, Qt::AlignLeft | Qt::AlignVCenter},
    {"MID", 88, Qt::AlignLeft | Qt::AlignVCenter},
};

bool ValidColumn(int column) { return column >= 0 && column < MailListModel::kColumns; }

}  // namespace

MailListModel::MailListModel(QObject* parent) : QAbstractTableModel(parent) {}

int MailListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int MailListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumns;
}

QVariant MailListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || !ValidColumn(index.column())) return {};
  if (role == Qt::DisplayRole)
    return QString::fromUtf8(LocalToUtf8(rows_[index.row()][index.column()]));
  if (role == Qt::TextAlignmentRole)
    return QVariant::fromValue(kColumnInfo[index.column()].alignment);
  return {};
}

QVariant MailListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || !ValidColumn(section)) return {};
  if (role == Qt::DisplayRole) return QString::fromUtf8(kColumnInfo[section].title);
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(kColumnInfo[section].alignment);
  return {};
}

int MailListModel::ColumnWidth(int column) {
  return ValidColumn(column) ? kColumnInfo[column].width : 0;
}

void MailListModel::ReplaceRows(std::vector<MailRow> rows) {
  beginResetModel();
  rows_ = std::move(rows);
  endResetModel();
}

void MailListModel::DeleteAllRows() { ReplaceRows({}); }

void MailListModel::DeleteRow(int row) {
  if (row < 0 || row >= rowCount()) return;
  beginRemoveRows({}, row, row);
  rows_.erase(rows_.begin() + row);
  endRemoveRows();
}

std::string MailListModel::CellText(int row, int column) const {
  if (row < 0 || row >= rowCount() || !ValidColumn(column)) return {};
  return rows_[row][column];
}

int MailListModel::FindRow(int column, const std::string& text) const {
  if (!ValidColumn(column)) return -1;
  for (size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i][column] == text) return static_cast<int>(i);
  return -1;
}

}  // namespace mailvane

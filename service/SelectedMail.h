#pragma once
// What the reader and the deletion read from the window when they start:
// the mailbox, its cookies and the mail of the list's current row.
#include <string>

#include "service/Controls.h"

namespace mailvane {

struct SelectedMail {
  std::string mailboxName;  // 编辑框1
  std::string cookies;      // 编辑框2; the merged text a request leaves is not kept
  int row = -1;             // the list's current row, -1 when none
  std::string mid;          // column 4 of that row; empty when none

  // Reads the controls in this order: name, cookie text, row, MID.
  static SelectedMail Read(const MailWindow& w) {
    SelectedMail selected{w.编辑框1.Text(), w.编辑框2.Text(), w.超级列表框1.SelectedRow(), {}};
    if (selected.row >= 0) selected.mid = w.超级列表框1.CellText(selected.row, 4);
    return selected;
  }
};

}  // namespace mailvane

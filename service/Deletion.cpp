// Deleting the selected mail at the service and from the list.
#include "service/FormBody.h"
#include "service/Service.h"
#include "text/CodePage.h"
#include "text/Escapes.h"
#include "text/Text.h"
#include "web/WebAccess.h"

namespace mailvane {

void DeleteMail(const ServiceContext& ctx) {
  const MailWindow& w = ctx.window;
  const std::string name = w.编辑框1.Text();
  std::string cookies = w.编辑框2.Text();  // the merged text that comes back is not kept
  const int row = w.超级列表框1.SelectedRow();
  const std::string mid = row >= 0 ? w.超级列表框1.CellText(row, 4) : std::string();

  const Bytes answer = WebAccess(ctx.endpoints.serviceRoot, 1, DelMailBody(name, mid), &cookies);
  const std::string text = DecodeEscapes(AnswerText(answer));
  if (FindText(text, "true") < 1) {
    w.ShowMessage(Utf8ToLocal("错误提示"), Utf8ToLocal("邮件删除失败！"));
    return;
  }
  // The list may have been rebuilt while the answer was on its way: remove
  // the row of the mail that was deleted, wherever it now stands.
  if (row < 0) return;
  const int deletedRow = w.超级列表框1.FindRow(4, mid);
  if (deletedRow >= 0) w.超级列表框1.DeleteRow(deletedRow);
}

}  // namespace mailvane

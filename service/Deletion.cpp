// Deleting the selected mail at the service and from the list.
#include "service/FormBody.h"
#include "service/SelectedMail.h"
#include "service/Service.h"
#include "text/CodePage.h"
#include "text/Escapes.h"
#include "text/Text.h"
#include "web/WebAccess.h"

namespace mailvane {

void DeleteMail(const ServiceContext& ctx) {
  const MailWindow& w = ctx.window;
  SelectedMail selected = SelectedMail::Read(w);
  const Bytes answer = WebAccess(ctx.endpoints.serviceRoot, 1,
                                 DelMailBody(selected.mailboxName, selected.mid), &selected.cookies);
  const std::string text = DecodeEscapes(AnswerText(answer));
  if (FindText(text, "true") < 1) {
    w.ShowMessage(Utf8ToLocal("错误提示"), Utf8ToLocal("邮件删除失败！"));
    return;
  }
  // The list may have been rebuilt while the answer was on its way: remove
  // the row of the mail that was deleted, wherever it now stands.
  if (selected.row < 0) return;
  const int deletedRow = w.超级列表框1.FindRow(4, selected.mid);
  if (deletedRow >= 0) w.超级列表框1.DeleteRow(deletedRow);
}

}  // namespace mailvane

// The inbox refresh: the mailbox's times and its mail list.
#include "service/AnswerReaders.h"
#include "service/FormBody.h"
#include "service/Service.h"
#include "text/CodePage.h"
#include "web/WebAccess.h"

namespace mailvane {

void RefreshInbox(const ServiceContext& ctx) {
  const MailWindow& w = ctx.window;
  w.超级列表框1.DeleteAllRows();
  const std::string name = w.编辑框1.Text();
  std::string cookies = w.编辑框2.Text();  // the merged text that comes back is not kept
  const Bytes answer = WebAccess(ctx.endpoints.serviceRoot, 1, RefreshBody(name), &cookies);
  InboxAnswer inbox = ReadInboxAnswer(AnswerText(answer));
  w.标签10.SetCaption(Utf8ToLocal("开始时间：") + inbox.startTime);
  w.标签11.SetCaption(Utf8ToLocal("结束时间：") + inbox.endTime);
  // One step, so that refreshes that overlap never mix their rows.
  w.超级列表框1.ReplaceRows(std::move(inbox.rows));
}

}  // namespace mailvane

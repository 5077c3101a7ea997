// The first mailbox, from the service's home page, and the change to another.
#include "service/AnswerReaders.h"
#include "service/FormBody.h"
#include "service/Service.h"
#include "text/CodePage.h"
#include "text/Text.h"
#include "web/Cookies.h"
#include "web/WebAccess.h"

namespace mailvane {

void FetchInitialMailbox(const ServiceContext& ctx) {
  const MailWindow& w = ctx.window;
  std::string cookies;  // given, so that the page's cookies are merged into it
  std::string returnedCookies;
  const Bytes page = WebAccess(ctx.endpoints.serviceRoot, 0, {}, &cookies, &returnedCookies);
  const std::string text = Utf8ToLocal(AnswerText(page));
  w.编辑框1.SetText(TextBetween(text, "value=\"", "\""));
  w.编辑框2.SetText(MergeCookies(cookies, returnedCookies));
}

void ChangeMailbox(const ServiceContext& ctx) {
  const MailWindow& w = ctx.window;
  const std::string name = w.编辑框1.Text();
  std::string cookies = w.编辑框2.Text();
  const std::string domain = w.组合框1.Text();
  std::string returnedCookies;
  const Bytes answer = WebAccess(ctx.endpoints.serviceRoot, 1, RenewBody(name, domain), &cookies,
                                 &returnedCookies);
  // A refusal, a failed request or an answer without a name changes nothing:
  // the old mailbox and its cookies stay usable.
  const std::string newName = ReadNewMailboxName(AnswerText(answer));
  if (newName.empty()) return;
  w.编辑框1.SetText(newName);
  w.编辑框2.SetText(MergeCookies(cookies, returnedCookies));
}

}  // namespace mailvane

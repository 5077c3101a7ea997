// The anonymous reply to the opened mail, sent to its reply link.
#include "service/FormBody.h"
#include "service/Service.h"
#include "text/CodePage.h"
#include "text/Escapes.h"
#include "text/Text.h"
#include "web/WebAccess.h"

namespace mailvane {

void SendReply(const ServiceContext& ctx) {
  const MailWindow& w = ctx.window;
  const std::string notice = Utf8ToLocal("提示信息");
  if (w.编辑框_验证码.Text().empty()) {
    w.ShowMessage(Utf8ToLocal("请输入验证码！"), notice);
    return;
  }
  const std::string link = ReplyLink.Get();
  // The "=" ends a value that runs to the end of the link.
  const std::string f = TextBetween(link + "=", "f_", "=");
  const std::string t = TextBetween(link + "=", "t_", "=");
  const std::string subject = Utf8ToLocal("回复：") + w.分组框1.Caption();
  const std::string replyText = w.编辑框_内容.Text();
  const std::string captcha = w.编辑框_验证码.Text();

  std::string cookies = CaptchaCookies.Get();  // the merged text that comes back is not kept
  const Bytes answer =
      WebAccess(link, 1, AnonymousBody(replyText, f, t, subject, captcha), &cookies);
  w.ShowMessage(DecodeEscapes(AnswerText(answer)), notice);
}

}  // namespace mailvane

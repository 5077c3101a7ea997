// Opening a mail in the reader panel, and its presentation as text or HTML.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "service/AnswerReaders.h"
#include "service/FormBody.h"
#include "service/SelectedMail.h"
#include "service/Service.h"
#include "text/Text.h"
#include "web/WebAccess.h"

namespace mailvane {

SharedText ReplyLink;

namespace {

std::string HtmlFilePath(const ServiceContext& ctx) { return ctx.dataDirectory + "/html.htm"; }

// Writes beside the target and renames over it, so the view never loads a
// half-written file and two readers writing at once leave one whole file.
// The temporary file is made by mkstemp: a fresh name, never a link someone
// left there, readable by the user alone (mails hold sign-in codes).
void ReplaceFile(const std::string& path, const std::string& bytes) {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::create_directories(fs::path(path).parent_path(), error);
  std::string temporary = path + ".XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd < 0) return;
  bool written = true;
  for (std::size_t done = 0; done < bytes.size() && written;) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    written = n > 0;
    if (written) done += static_cast<std::size_t>(n);
  }
  written = ::close(fd) == 0 && written;
  if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) ::unlink(temporary.c_str());
}

std::string ReadFileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return AnswerText(bytes);
}

// Writes html (the text of 编辑框_内容) to html.htm and shows it rendered.
void PresentAsHtml(const ServiceContext& ctx, const std::string& html) {
  const MailWindow& w = ctx.window;
  const std::string path = HtmlFilePath(ctx);
  ReplaceFile(path, html);
  w.超文本浏览框1.SetAddress(path);
  w.超文本浏览框1.SetVisible(true);
}

}  // namespace

void ViewMail(const ServiceContext& ctx) {
  const MailWindow& w = ctx.window;
  SelectedMail selected = SelectedMail::Read(w);
  const Bytes answer = WebAccess(ctx.endpoints.serviceRoot, 1,
                                 MailInfoBody(selected.mailboxName, selected.mid), &selected.cookies);
  const MailAnswer mail = ReadMailAnswer(AnswerText(answer));

  w.分组框1.SetCaption(mail.subject);
  w.标签_发件人.SetCaption(mail.from);
  w.标签_收件人.SetCaption(mail.to);
  w.标签_收到时间.SetCaption(mail.time);
  ReplyLink.Set(mail.rlink);
  w.编辑框_内容.SetText(mail.content);

  if (w.选择框2.Ticked()) {
    // The content just put into the text box: read back, a window closing
    // meanwhile would give an empty text and blank the file.
    PresentAsHtml(ctx, mail.content);
  } else {
    w.超文本浏览框1.SetVisible(false);
  }
  LoadCaptcha(ctx);
}

void ShowHtml(const ServiceContext& ctx) {
  const MailWindow& w = ctx.window;
  if (w.选择框2.Ticked()) {
    PresentAsHtml(ctx, w.编辑框_内容.Text());
    return;
  }
  w.编辑框_内容.SetText(ReadFileText(HtmlFilePath(ctx)));
  w.超文本浏览框1.SetVisible(false);
}

}  // namespace mailvane

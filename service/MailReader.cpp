// Opening a mail in the reader panel, and its presentation as text or HTML.
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <thread>

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
void ReplaceFile(const std::string& path, const std::string& bytes) {
  static std::atomic<unsigned> counter{0};
  namespace fs = std::filesystem;
  std::error_code error;
  fs::create_directories(fs::path(path).parent_path(), error);
  const std::string temporary = path + "." +
                                std::to_string(std::hash<std::thread::id>{}(std::this_thread::get_id())) +
                                "." + std::to_string(counter++) + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
      out.close();
      fs::remove(temporary, error);
      return;
    }
  }
  fs::rename(temporary, path, error);
  if (error) fs::remove(temporary, error);
}

std::string ReadFileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return AnswerText(bytes);
}

void PresentAsHtml(const ServiceContext& ctx) {
  const MailWindow& w = ctx.window;
  const std::string path = HtmlFilePath(ctx);
  ReplaceFile(path, w.编辑框_内容.Text());
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
    PresentAsHtml(ctx);
  } else {
    w.超文本浏览框1.SetVisible(false);
  }
  LoadCaptcha(ctx);
}

void ShowHtml(const ServiceContext& ctx) {
  const MailWindow& w = ctx.window;
  if (w.选择框2.Ticked()) {
    PresentAsHtml(ctx);
    return;
  }
  w.编辑框_内容.SetText(ReadFileText(HtmlFilePath(ctx)));
  w.超文本浏览框1.SetVisible(false);
}

}  // namespace mailvane

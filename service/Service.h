#pragma once
// The mail service operations. Each reads its inputs from the window's
// controls when it starts and writes its results straight back into them.
// They run on whatever thread calls them (the window runs every one that
// goes to the network off its own thread); they never touch Qt.
#include <array>
#include <mutex>
#include <string>

#include "service/Controls.h"

namespace mailvane {

// Where the service lives. The program's own values are fixed when it is
// built; the demo and the tests point it at a stand-in on loopback.
struct ServiceEndpoints {
  std::string serviceRoot;                 // http URL ending in "/"
  std::string captchaUrl;                  // ends in "?m=tool&act=caption&rnd="
  std::array<std::string, 2> mailDomains;  // first and second mail domain
};

// The endpoints compiled into the program.
ServiceEndpoints BuiltInEndpoints();

// A process-wide text that one thread replaces whole while another copies it.
class SharedText {
 public:
  std::string Get() const {
    std::lock_guard lock(mutex_);
    return text_;
  }
  void Set(std::string text) {
    std::lock_guard lock(mutex_);
    text_.swap(text);
  }

 private:
  mutable std::mutex mutex_;
  std::string text_;
};

extern SharedText ReplyLink;       // "RLINK" of the mail last opened
extern SharedText CaptchaCookies;  // cookie text returned with the last captcha

// What an operation needs besides the controls.
struct ServiceContext {
  MailWindow& window;
  ServiceEndpoints endpoints;
  std::string dataDirectory;  // holds html.htm; no trailing separator
};

void FetchInitialMailbox(const ServiceContext& ctx);
void ChangeMailbox(const ServiceContext& ctx);
void RefreshInbox(const ServiceContext& ctx);
void ViewMail(const ServiceContext& ctx);
void ShowHtml(const ServiceContext& ctx);
void LoadCaptcha(const ServiceContext& ctx);
std::string RandomFractionText();
void DeleteMail(const ServiceContext& ctx);
void SendReply(const ServiceContext& ctx);

}  // namespace mailvane

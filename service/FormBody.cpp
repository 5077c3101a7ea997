#include "service/FormBody.h"

#include "text/CodePage.h"

namespace mailvane {

namespace {

bool KeptAsIs(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
         c == '*' || c == '-' || c == '.' || c == '_';
}

}  // namespace

std::string FormValue(std::string_view localText) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const std::string utf8 = LocalToUtf8(localText);
  std::string out;
  out.reserve(utf8.size() * 3);
  for (unsigned char c : utf8) {
    if (KeptAsIs(c)) {
      out += static_cast<char>(c);
    } else if (c == ' ') {
      out += '+';
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    }
  }
  return out;
}

std::string RenewBody(std::string_view mailboxName, std::string_view mailDomain) {
  return "data=" + FormValue(mailboxName) + "&type=renew&arg=d%3D" + FormValue(mailDomain) +
         "_f%3D";
}

std::string RefreshBody(std::string_view mailboxName) {
  return "data=" + FormValue(mailboxName) + "&type=refresh&arg=";
}

std::string MailInfoBody(std::string_view mailboxName, std::string_view mid) {
  return "data=" + FormValue(mailboxName) + "&type=mailinfo&arg=f%3D" + FormValue(mid);
}

std::string DelMailBody(std::string_view mailboxName, std::string_view mid) {
  return "data=" + FormValue(mailboxName) + "&type=delmail&arg=f%3D" + FormValue(mid);
}

std::string AnonymousBody(std::string_view replyText, std::string_view f, std::string_view t,
                          std::string_view subject, std::string_view captcha) {
  const std::string encodedF = FormValue(f);
  std::string body = "data=";
  body += FormValue(replyText);
  body += "&type=anonymous&arg=f%3D";
  body += encodedF;
  body += "_t%3D";
  body += FormValue(t);
  body += "_r%3D";
  body += encodedF;
  body += "_p%3D0_s%3D";
  body += FormValue(subject);
  body += "_yzm%3D";
  body += FormValue(captcha);
  body += "_at%3D";
  return body;
}

}  // namespace mailvane

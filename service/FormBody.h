#pragma once
// Request bodies of the service's operations: "data=" + D + "&type=" + T +
// "&arg=" + A, where A is key%3Dvalue pieces joined by "_". Every value is
// form-encoded from its UTF-8 bytes, so "&", "%", "=" or a line break in a
// reply text or subject reach the service as the text itself and never
// change the form's fields. An "_" stays as it is (the form keeps it), so
// inside the arg field the service may still read one as a separator.
#include <string>
#include <string_view>

namespace mailvane {

// A local text (code page 936) as application/x-www-form-urlencoded writes
// it: its UTF-8 bytes, ASCII letters, digits and *-._ kept, space as "+",
// every other byte %XX with upper-case hex digits.
std::string FormValue(std::string_view localText);

std::string RenewBody(std::string_view mailboxName, std::string_view mailDomain);
std::string RefreshBody(std::string_view mailboxName);
std::string MailInfoBody(std::string_view mailboxName, std::string_view mid);
std::string DelMailBody(std::string_view mailboxName, std::string_view mid);

// The reply's thirteen pieces: the reply text goes in "data"; r repeats f,
// p is always 0 and at is always empty.
std::string AnonymousBody(std::string_view replyText, std::string_view f, std::string_view t,
                          std::string_view subject, std::string_view captcha);

}  // namespace mailvane

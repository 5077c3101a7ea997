#pragma once
// The stand-in's pieces that need no server: form and cookie decoding, the
// service's JSON writing, the captcha image.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/standin/StandInService.h"

namespace mailvane::standin {

using Pairs = std::vector<std::pair<std::string, std::string>>;

// application/x-www-form-urlencoded: "+" is a space, %XX a byte.
std::string FormDecode(std::string_view text);
Pairs ParseForm(std::string_view body);
// The decoded "arg" field: key=value pairs joined by "_". A "_" starts a new
// pair only where a key the service knows follows it with "=".
Pairs ParseArg(std::string_view arg);
Pairs ParseCookieHeader(std::string_view header);
std::string Find(const Pairs& pairs, std::string_view key);

// A JSON string literal the way the service writes it: "/" as "\/", every
// non-ASCII character as \u escapes (UTF-16), control characters escaped.
std::string JsonString(std::string_view utf8);

struct MailboxInfo {
  std::string user;  // name@domain
  std::string addTime;
  std::string expireTime;
};

std::string RefreshAnswer(const MailboxInfo& box, const std::vector<Mail>& mails);
std::string MailInfoAnswer(const Mail& mail, const std::string& replyLink);

// The answers changed as a failure asks; "" when the failure does not apply.
std::string WithoutEnvelope(const std::string& answer);
std::string WithZeroByte(const std::string& answer);
std::string WithInvalidGbk(const std::string& answer);

// A 120 by 35 PNG showing the digits.
std::string CaptchaPng(std::string_view digits);

}  // namespace mailvane::standin

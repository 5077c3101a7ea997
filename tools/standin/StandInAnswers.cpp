#include <cstdint>
#include <cstdio>

#include "tools/standin/StandInParts.h"

namespace mailvane::standin {

namespace {

constexpr std::string_view kEnvelope = R"({"status":1,"info":"ok","data":[)";

void AppendUnit(std::string& out, std::uint32_t unit) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned>(unit));
  out += buffer;
}

// The next code point of UTF-8 text; a byte that begins no valid sequence
// gives U+FFFD and is stepped over alone.
std::uint32_t NextCodePoint(std::string_view text, std::size_t& i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  if (length == 0 || i + length > text.size()) {
    ++i;
    return 0xFFFD;
  }
  std::uint32_t cp = lead & (0x7F >> length);
  for (int k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) {
      ++i;
      return 0xFFFD;
    }
    cp = (cp << 6) | (byte(i + k) & 0x3F);
  }
  i += length;
  return cp;
}

std::string Member(std::string_view name, const std::string& jsonValue) {
  return "\"" + std::string(name) + "\":" + jsonValue;
}

// A 14-digit MID goes out as a JSON number, as the service writes it.
std::string MidValue(const std::string& mid) {
  const bool digits = !mid.empty() && mid.find_first_not_of("0123456789") == std::string::npos;
  return digits ? mid : JsonString(mid);
}

}  // namespace

std::string JsonString(std::string_view utf8) {
  std::string out = "\"";
  std::size_t i = 0;
  while (i < utf8.size()) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      ++i;
      switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '/': out += "\\/"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        default:
          if (c < 0x20) {
            AppendUnit(out, c);
          } else {
            out += static_cast<char>(c);
          }
      }
      continue;
    }
    const std::uint32_t cp = NextCodePoint(utf8, i);
    if (cp >= 0x10000) {
      AppendUnit(out, 0xD800 + ((cp - 0x10000) >> 10));
      AppendUnit(out, 0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      AppendUnit(out, cp);
    }
  }
  return out + "\"";
}

std::string RefreshAnswer(const MailboxInfo& box, const std::vector<Mail>& mails) {
  std::string out(kEnvelope);
  out += "{\"user\":{" + Member("USER", JsonString(box.user)) + "," +
         Member("ADDTIME", JsonString(box.addTime)) + "," +
         Member("EXPIRETIME", JsonString(box.expireTime)) + "," +
         Member("IP", JsonString("127.0.0.1")) + "},\"list\":[";
  for (std::size_t i = 0; i < mails.size(); ++i) {
    const Mail& m = mails[i];
    if (i > 0) out += ',';
    out += "{" + Member("UID", std::to_string(mails.size() - i)) + "," +
           Member("TO", JsonString(m.to)) + "," + Member("SENDTIME", JsonString(m.sendTime)) + "," +
           Member("FROM", JsonString(m.from)) + "," + Member("MID", MidValue(m.mid)) + "," +
           Member("PATCH", "\"\"") + "," + Member("ISREAD", m.read ? "1" : "0") + "," +
           Member("SUBJECT", JsonString(m.subject)) + "," +
           Member("SIZE", std::to_string(m.content.size())) + "}";
  }
  out += "]}]}";
  return out;
}

std::string MailInfoAnswer(const Mail& m, const std::string& replyLink) {
  std::string out(kEnvelope);
  out += "[{" + Member("MID", MidValue(m.mid)) + "," + Member("SUBJECT", JsonString(m.subject)) +
         "," + Member("FROM", JsonString(m.from)) + "," + Member("TO", JsonString(m.to)) + "," +
         Member("SENDTIME", JsonString(m.sendTime)) + "," + Member("RLINK", JsonString(replyLink)) +
         "," + Member("SIZE", std::to_string(m.content.size())) + "},[{" +
         Member("DATA", "[" + JsonString(m.content) + "]") + "," + Member("ATTACH", "[]") +
         "}]]]}";
  return out;
}

std::string WithoutEnvelope(const std::string& answer) {
  // The same JSON as a pretty-printer writes it: a blank after each colon.
  std::string out = answer;
  if (out.rfind(kEnvelope, 0) == 0) {
    out.replace(0, kEnvelope.size(), R"({"status": 1, "info": "ok", "data": [)");
  }
  return out;
}

std::string WithZeroByte(const std::string& answer) {
  std::string out = answer;
  out.insert(kEnvelope.size() + (out.size() - kEnvelope.size()) / 2, 1, '\0');
  return out;
}

std::string WithInvalidGbk(const std::string& answer) {
  // Into the first sender or subject: bytes that begin no character of code page 936.
  std::string out = answer;
  std::size_t at = std::string::npos;
  std::size_t length = 0;
  for (std::string_view marker : {R"("SUBJECT":")", R"("FROM":")"}) {
    const std::size_t found = out.find(marker);
    if (found < at) {
      at = found;
      length = marker.size();
    }
  }
  if (at != std::string::npos) out.insert(at + length, "\xFF\xFF");
  return out;
}

}  // namespace mailvane::standin

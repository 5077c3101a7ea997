#include "service/AnswerReaders.h"

#include <memory>

#include "script/JsonObject.h"
#include "text/Escapes.h"
#include "text/Text.h"

namespace mailvane {

std::size_t JsonValueEnd(std::string_view text, std::size_t start) {
  if (start >= text.size() || (text[start] != '{' && text[start] != '[')) return std::string_view::npos;
  int depth = 0;
  bool inString = false;
  std::size_t i = start;
  while (i < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {  // a two-byte character, wherever it stands
      i += 2;
      continue;
    }
    if (inString) {
      if (c == '\\') {
        ++i;  // the escaped character, whole
        if (i < text.size() && static_cast<unsigned char>(text[i]) >= 0x80) ++i;
      } else if (c == '"') {
        inString = false;
      }
    } else if (c == '"') {
      inString = true;
    } else if (c == '{' || c == '[') {
      ++depth;
    } else if (c == '}' || c == ']') {
      if (--depth == 0) return i + 1;
    }
    ++i;
  }
  return std::string_view::npos;
}

std::string EnvelopeText(std::string_view answer) {
  const int position = FindText(answer, kEnvelopePrefix);
  if (position < 1) return {};
  const std::size_t start = static_cast<std::size_t>(position - 1);
  const std::size_t end = JsonValueEnd(answer, start);
  if (end == std::string_view::npos) return {};
  return std::string(answer.substr(start, end - start));
}

namespace {

// Raw control characters (a line break, a tab) inside strings written as
// their escapes: the service puts a mail's own line breaks there unescaped
// at times, and a strict parser would then refuse the whole answer.
std::string EscapeControlsInStrings(std::string_view json) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(json.size());
  bool inString = false;
  for (std::size_t i = 0; i < json.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(json[i]);
    if (c >= 0x80) {  // a two-byte character, whole
      out += json[i];
      if (i + 1 < json.size()) out += json[++i];
      continue;
    }
    if (inString && c < 0x20) {
      switch (c) {
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default: out += "\\u00"; out += kHex[c >> 4]; out += kHex[c & 15];
      }
      continue;
    }
    out += json[i];
    if (inString && c == '\\') {
      if (i + 1 < json.size()) out += json[++i];
      if (static_cast<unsigned char>(out.back()) >= 0x80 && i + 1 < json.size()) out += json[++i];
    } else if (c == '"') {
      inString = !inString;
    }
  }
  return out;
}

// A parsed envelope, or nullptr when the answer holds none that parses.
std::unique_ptr<JsonObject> ParseEnvelope(std::string_view answer) {
  const std::string envelope = EscapeControlsInStrings(EnvelopeText(answer));
  if (envelope.empty()) return nullptr;
  auto json = std::make_unique<JsonObject>();
  if (!json->Parse(envelope)) return nullptr;
  return json;
}

// An identifier exactly as the service wrote it, a numeric one as its JSON
// text (every digit, whatever its size).
std::string ReadIdentifier(JsonObject& json, const std::string& path) {
  constexpr int kNumber = 2;
  if (json.GetType(path) == kNumber) return json.GetJson(path);
  return json.GetText(path);
}

}  // namespace

InboxAnswer ReadInboxAnswer(std::string_view answer) {
  InboxAnswer inbox;
  const auto json = ParseEnvelope(answer);
  if (!json) return inbox;
  inbox.startTime = json->GetText("data[0].user.ADDTIME");
  inbox.endTime = json->GetText("data[0].user.EXPIRETIME");
  const int count = json->GetCount("data[0].list");
  if (count < 1) return inbox;
  inbox.rows.reserve(static_cast<std::size_t>(count));
  // One path buffer for every field: the element's part is written once per mail.
  const std::string list = "data[0].list[";
  std::string path;
  for (int i = 0; i < count; ++i) {
    path.assign(list).append(std::to_string(i)).append("].");
    const size_t item = path.size();
    auto field = [&path, item](std::string_view name) -> const std::string& {
      path.resize(item);
      return path.append(name);
    };
    MailRow& row = inbox.rows.emplace_back();
    row[0] = std::to_string(i + 1);
    row[1] = json->GetText(field("TO"));
    row[2] = json->GetText(field("SENDTIME"));
    row[3] = DecodeEscapes(json->GetText(field("FROM")));
    row[4] = ReadIdentifier(*json, field("MID"));
  }
  return inbox;
}

MailAnswer ReadMailAnswer(std::string_view answer) {
  MailAnswer mail;
  const auto json = ParseEnvelope(answer);
  if (!json) return mail;
  mail.subject = json->GetText("data[0][0].SUBJECT");
  // The sender as the list shows it: the service may leave %u escapes in it.
  mail.from = DecodeEscapes(json->GetText("data[0][0].FROM"));
  mail.to = json->GetText("data[0][0].TO");
  mail.time = json->GetText("data[0][0].SENDTIME");
  mail.rlink = json->GetText("data[0][0].RLINK");
  mail.content = json->GetText("data[0][1][0].DATA[0]");
  return mail;
}

std::string ReadNewMailboxName(std::string_view answer) {
  if (FindText(answer, "false") > 0) return {};
  return TextBetween(answer, "[\"", "\"]");
}

}  // namespace mailvane

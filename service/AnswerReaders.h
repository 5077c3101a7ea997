#pragma once
// Pure readers of the service's answers: answer text (local, code page 936)
// in, values out. They read the answer by its JSON structure, so brackets,
// braces or escapes inside values never cut it short. No network, no window.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "service/Controls.h"

namespace mailvane {

// The start of every successful answer.
inline constexpr std::string_view kEnvelopePrefix = R"({"status":1,"info":"ok","data":[)";

// One past the end of the JSON object or array that opens at text[start]
// ("{" or "["), or npos when it is not closed. Strings and their escapes are
// stepped over, and so is every two-byte character (a byte of 0x80 or more
// begins one), so a trail byte that looks like a bracket never counts.
std::size_t JsonValueEnd(std::string_view text, std::size_t start);

// The envelope's whole JSON text, from the "{" of its first occurrence to the
// "}" that closes it; empty when the prefix is missing or the value never
// closes. Text before and after the envelope is ignored.
std::string EnvelopeText(std::string_view answer);

struct InboxAnswer {
  std::string startTime;        // user.ADDTIME
  std::string endTime;          // user.EXPIRETIME
  std::vector<MailRow> rows;    // "1", TO, SENDTIME, FROM (escapes decoded), MID
};

// The refresh answer; empty values and no rows when it is not a success.
InboxAnswer ReadInboxAnswer(std::string_view answer);

struct MailAnswer {
  std::string subject;
  std::string from;   // escapes decoded, as in the list
  std::string to;
  std::string time;   // SENDTIME
  std::string rlink;  // where a reply goes
  std::string content;
};

// The mailinfo answer: the header data[0][0], the content data[0][1][0].DATA[0].
MailAnswer ReadMailAnswer(std::string_view answer);

// The name that a renew answer hands out: between the first `["` and the
// next `"]`; empty when the answer is a refusal (it holds "false") or lacks
// the markers.
std::string ReadNewMailboxName(std::string_view answer);

}  // namespace mailvane

#include <cstdlib>

#include "service/AnswerReaders.h"

// Any answer through the readers of the refresh, the mail reader and the
// mailbox change.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view answer(reinterpret_cast<const char*>(data), size);
  const std::string envelope = mailvane::EnvelopeText(answer);
  if (envelope.size() > answer.size()) std::abort();
  for (size_t i = 0; i < answer.size() && i < 8; ++i) {
    const size_t end = mailvane::JsonValueEnd(answer, i);
    if (end != std::string_view::npos && (end <= i || end > answer.size())) std::abort();
  }
  const mailvane::InboxAnswer inbox = mailvane::ReadInboxAnswer(answer);
  for (size_t i = 0; i < inbox.rows.size(); ++i)
    if (inbox.rows[i][0] != std::to_string(i + 1)) std::abort();
  mailvane::ReadMailAnswer(answer);
  mailvane::ReadNewMailboxName(answer);
  return 0;
}

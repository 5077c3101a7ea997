#pragma once
// A stand-in for the temporary-mailbox service: real HTTP on 127.0.0.1, the
// home page, the five operations, reply links, and a captcha tool on a host
// (port) of its own. It keeps sessions by cookie, records every request it
// receives, and can be told to fail in the ways a real service fails.
// Texts here are UTF-8; the answers carry non-ASCII as \u escapes.
#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mailvane::standin {

struct Mail {
  std::string mid;       // 14 digits; given by AddMail when empty
  std::string to;        // given by AddMail when empty: mailbox@first domain
  std::string from;      // as the service stores it (may hold %u escapes)
  std::string sendTime;  // "YYYY-MM-DD hh:mm:ss"; now when empty
  std::string subject;
  std::string content;   // HTML or plain text
  bool read = false;
};

struct RecordedRequest {
  std::string server;  // "service" or "captcha"
  std::string method;
  std::string target;  // path and query as sent
  std::string path;
  std::vector<std::pair<std::string, std::string>> headers;  // as the HTTP library hands them over
  std::string body;

  // The first value of a header (name without regard to case); empty when absent.
  std::string Header(std::string_view name) const;
};

struct SentReply {
  std::string text;  // the "data" field
  std::vector<std::pair<std::string, std::string>> args;  // f, t, r, p, s, yzm, at
  bool accepted = false;
};

// How one kind of request fails. Kinds: "home", "renew", "refresh",
// "mailinfo", "delmail", "anonymous", "captcha".
enum class Failure {
  None,
  Refuse,        // the service says no (a refusal answer, or an error page)
  NoEnvelope,    // an answer that is JSON but not the exact success envelope
  ZeroByte,      // a zero byte inside the payload
  InvalidGbk,    // bytes that are no character in code page 936 inside a value
  HugeMail,      // mailinfo: a content of about 5 MB
  Stall,         // answers when released, stopped, or after StallSeconds
};

struct Options {
  std::array<std::string, 2> mailDomains{"mailvane.test", "inbox.mailvane.test"};
  bool seedNewMailboxes = false;  // every new mailbox gets the sample mails
};

class StandInService {
 public:
  explicit StandInService(Options options = {});
  ~StandInService();
  StandInService(const StandInService&) = delete;
  StandInService& operator=(const StandInService&) = delete;

  bool Start();  // binds both hosts on 127.0.0.1, any free port
  void Stop();   // wakes stalled answers and ends both hosts

  std::string ServiceRoot() const;  // "http://127.0.0.1:PORT/"
  std::string CaptchaUrl() const;   // "http://127.0.0.1:PORT2/?m=tool&act=caption&rnd="
  std::array<std::string, 2> MailDomains() const;

  // The mailbox most recently handed out or asked about.
  std::string ActiveMailbox() const;
  // Adds a mail to a mailbox (created when new; "" means the active one) at
  // the top of its list; returns its MID.
  std::string AddMail(const std::string& mailbox, Mail mail);
  // The realistic sample mails: an HTML mail with quotes, %-encoded links and
  // brackets in its subject, a plain-text mail with line breaks, and a
  // Chinese one whose sender holds %u escapes. Returns their MIDs, top first.
  std::vector<std::string> AddSampleMails(const std::string& mailbox);
  void AddGeneratedMails(const std::string& mailbox, std::size_t count);
  // A new mail of one of the sample kinds, for a demo that shows mail arriving.
  std::string DeliverNewMail();
  std::vector<Mail> Mails(const std::string& mailbox) const;

  void SetFailure(std::string_view kind, Failure failure);
  void SetStallSeconds(int seconds);  // the longest a stalled answer waits (20 s)
  int StalledCount() const;          // answers waiting right now
  void ReleaseStalled();             // lets every waiting answer go

  std::vector<RecordedRequest> Requests() const;
  void ClearRequests();
  std::vector<SentReply> Replies() const;
  std::string LastCaptchaText() const;  // the digits of the last image served
  std::string ReplyLinkFor(const std::string& mid) const;

  struct State;

 private:
  std::unique_ptr<State> state_;
};

}  // namespace mailvane::standin

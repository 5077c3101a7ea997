#include "tools/standin/StandInService.h"

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <map>
#include <mutex>
#include <random>
#include <thread>

#include "tools/standin/StandInParts.h"

namespace mailvane::standin {

namespace {

constexpr const char* kSessionCookie = "mv_sid";
constexpr const char* kCaptchaCookie = "mv_yzm";

std::string TimeText(std::chrono::system_clock::time_point when) {
  const std::time_t t = std::chrono::system_clock::to_time_t(when);
  std::tm local{};
  localtime_r(&t, &local);
  char buffer[32];
  std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &local);
  return buffer;
}

std::uint32_t Fnv1a(std::string_view text) {
  std::uint32_t hash = 2166136261u;
  for (unsigned char c : text) hash = (hash ^ c) * 16777619u;
  return hash;
}

// A session token carries its own check, so a session survives a restart of
// the stand-in (the demo keeps its cookies between runs).
std::string SessionChecksum(std::string_view body) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "%04x", Fnv1a(std::string("mailvane-standin:") + std::string(body)) & 0xFFFF);
  return buffer;
}

bool ValidSession(std::string_view token) {
  return token.size() == 20 && SessionChecksum(token.substr(0, 16)) == token.substr(16);
}

std::string Refusal(std::string_view infoEscaped, std::string_view data) {
  return R"({"status":0,"info":")" + std::string(infoEscaped) + R"(","data":[)" + std::string(data) + "]}";
}

const std::string kNotSignedIn = "\\u8bf7\\u5148\\u83b7\\u53d6\\u90ae\\u7bb1";  // 请先获取邮箱

}  // namespace

std::string RecordedRequest::Header(std::string_view name) const {
  for (const auto& [key, value] : headers) {
    if (key.size() == name.size() &&
        std::equal(key.begin(), key.end(), name.begin(), [](char a, char b) {
          return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
        })) {
      return value;
    }
  }
  return {};
}

struct Box {
  std::string name;
  std::string domain;
  std::string addTime;
  std::string expireTime;
  std::vector<Mail> mails;  // top first
};

struct StandInService::State {
  Options options;
  httplib::Server service;
  httplib::Server captcha;
  std::thread serviceThread;
  std::thread captchaThread;
  int servicePort = 0;
  int captchaPort = 0;

  mutable std::mutex mutex;
  std::condition_variable wake;
  bool stopping = false;
  std::map<std::string, Box> boxes;
  std::string active;
  std::map<std::string, Failure, std::less<>> failures;
  int stallSeconds = 20;
  int stalled = 0;
  unsigned releases = 0;
  std::vector<RecordedRequest> requests;
  std::vector<SentReply> replies;
  std::map<std::string, std::string> captchaByKey;
  std::map<std::string, std::string> tokenByMid;
  std::string lastCaptcha;
  std::mt19937_64 random{std::random_device{}()};
  std::uint64_t nextMid = 20240501093000;
  int delivered = 0;

  // All below: called with the mutex held.
  std::string RandomText(std::string_view alphabet, int length) {
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::string text;
    for (int i = 0; i < length; ++i) text += alphabet[pick(random)];
    return text;
  }
  std::string NewSession() {
    const std::string body = RandomText("0123456789abcdef", 16);
    return body + SessionChecksum(body);
  }
  Box& BoxNamed(const std::string& name, const std::string& domain = {}) {
    auto it = boxes.find(name);
    if (it == boxes.end()) {
      Box box;
      box.name = name;
      box.domain = domain.empty() ? options.mailDomains[0] : domain;
      const auto now = std::chrono::system_clock::now();
      box.addTime = TimeText(now);
      box.expireTime = TimeText(now + std::chrono::hours(24));
      it = boxes.emplace(name, std::move(box)).first;
      if (options.seedNewMailboxes) AddSamples(it->second);
    }
    active = name;
    return it->second;
  }
  std::string Add(Box& box, Mail mail) {
    if (mail.mid.empty()) mail.mid = std::to_string(nextMid++);
    if (mail.to.empty()) mail.to = box.name + "@" + box.domain;
    if (mail.sendTime.empty()) mail.sendTime = TimeText(std::chrono::system_clock::now());
    tokenByMid[mail.mid] = RandomText("0123456789abcdef", 12);
    box.mails.insert(box.mails.begin(), mail);
    return mail.mid;
  }
  std::vector<std::string> AddSamples(Box& box);
  Mail SampleMail(int kind, int serial) const;
  std::string LinkFor(const std::string& mid) const {
    auto token = tokenByMid.find(mid);
    return "http://127.0.0.1:" + std::to_string(servicePort) + "/reply?f_" + mid + "=1&t_" +
           (token == tokenByMid.end() ? std::string() : token->second) +
           "=1&back=%2Fmail%3Fid%3D" + mid;
  }
  Failure FailureOf(std::string_view kind) const {
    auto it = failures.find(kind);
    return it == failures.end() ? Failure::None : it->second;
  }
  void StallIfAsked(std::unique_lock<std::mutex>& lock, std::string_view kind) {
    if (FailureOf(kind) != Failure::Stall) return;
    const unsigned release = releases;
    ++stalled;
    wake.wait_for(lock, std::chrono::seconds(stallSeconds),
                  [&] { return stopping || releases != release; });
    --stalled;
  }
  void Record(std::string server, const httplib::Request& req) {
    RecordedRequest r;
    r.server = std::move(server);
    r.method = req.method;
    r.target = req.target;
    r.path = req.path;
    for (const auto& [key, value] : req.headers) {
      if (key == "REMOTE_ADDR" || key == "REMOTE_PORT" || key == "LOCAL_ADDR" || key == "LOCAL_PORT") continue;
      r.headers.emplace_back(key, value);
    }
    r.body = req.body;
    requests.push_back(std::move(r));
  }

  void Home(const httplib::Request& req, httplib::Response& res);
  void Operation(const httplib::Request& req, httplib::Response& res);
  void Reply(const httplib::Request& req, httplib::Response& res);
  void Captcha(const httplib::Request& req, httplib::Response& res);
};

Mail StandInService::State::SampleMail(int kind, int serial) const {
  Mail m;
  switch (kind % 3) {
    case 0:
      m.from = "Northwind Orders <orders@northwind.example>";
      m.subject = "[Northwind] Your code {" + std::to_string(1000 + serial % 9000) + "}";
      m.content =
          "<html><head><meta charset=\"utf-8\"><style>body{font-family:sans-serif}"
          ".code{font-size:20px;color:#2a5db0}</style></head><body>"
          "<h2>Hello, \"new customer\"!</h2>"
          "<p>您的订单已发货。Your sign-in code is <span class='code'>" +
          std::to_string(100000 + serial * 7919 % 900000) +
          "</span>.</p>"
          "<p><a href=\"https://northwind.example/track?id=A-1234&amp;ref=mail%2Fconfirm%3Dyes\">"
          "Track your parcel</a></p>"
          "<p><small>Template data[[0]]} &mdash; 50% off next time</small></p></body></html>";
      break;
    case 1:
      m.from = "alerts@status.example";
      m.subject = "Nightly report #" + std::to_string(serial);
      m.content =
          "Hello,\r\n\r\nThe nightly job finished.\r\n"
          "  passed: 412\r\n  failed: 0\r\n\r\n"
          "Details: https://status.example/run?id=" + std::to_string(serial) +
          "&view=full\r\n-- \r\nstatus bot";
      break;
    default:
      m.from = "%u5ba2%u670d <support@lanting.example>";  // 客服, escaped as the service keeps it
      m.subject = "欢迎使用临时邮箱 – 第" + std::to_string(serial) + "封";
      m.content =
          "<html><body><p>你好！</p><p>这是一封测试邮件，含有“引号”与 'apostrophes'。</p>"
          "<p>链接：<a href=\"https://lanting.example/a%20b?x=%E4%B8%AD\">点击这里</a></p>"
          "</body></html>";
      break;
  }
  return m;
}

std::vector<std::string> StandInService::State::AddSamples(Box& box) {
  std::vector<std::string> mids;
  for (int kind = 2; kind >= 0; --kind) mids.insert(mids.begin(), Add(box, SampleMail(kind, ++delivered)));
  return mids;
}

void StandInService::State::Home(const httplib::Request& req, httplib::Response& res) {
  std::unique_lock lock(mutex);
  Record("service", req);
  StallIfAsked(lock, "home");
  if (FailureOf("home") == Failure::Refuse) {
    res.status = 503;
    res.set_content("<html><body><h1>503 Service Unavailable</h1></body></html>", "text/html");
    return;
  }
  const std::string session = NewSession();
  const std::string name = RandomText("abcdefghijkmnpqrstuvwxyz23456789", 10);
  Box& box = BoxNamed(name);
  res.set_header("Set-Cookie", std::string(kSessionCookie) + "=" + session + "; path=/; HttpOnly");
  res.set_header("Set-Cookie", "mv_lang=zh-cn; path=/");
  std::string page =
      "<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
      "<title>临时邮箱 · 24小时有效</title></head><body>\n"
      "<form id=\"box\"><input id=\"mailbox\" type=\"text\" value=\"" + box.name + "\" readonly>"
      "<select id=\"domain\">";
  for (const auto& domain : options.mailDomains) page += "<option value=\"" + domain + "\">@" + domain + "</option>";
  page += "</select></form>\n<p>收到的邮件会显示在下方。</p></body></html>\n";
  res.set_content(page, "text/html; charset=utf-8");
}

void StandInService::State::Operation(const httplib::Request& req, httplib::Response& res) {
  std::unique_lock lock(mutex);
  Record("service", req);
  const Pairs form = ParseForm(req.body);
  const std::string type = Find(form, "type");
  const Pairs arg = ParseArg(Find(form, "arg"));
  const std::string data = Find(form, "data");
  StallIfAsked(lock, type);
  const Failure failure = FailureOf(type);
  const bool signedIn = ValidSession(Find(ParseCookieHeader(req.get_header_value("Cookie")), kSessionCookie));

  std::string answer;
  if (type == "renew") {
    if (!signedIn || failure == Failure::Refuse) {
      answer = Refusal(signedIn ? "\\u64cd\\u4f5c\\u592a\\u9891\\u7e41" : kNotSignedIn, "false");
    } else {
      const std::string domain = Find(arg, "d");
      Box& box = BoxNamed(RandomText("abcdefghijkmnpqrstuvwxyz23456789", 10), domain);
      res.set_header("Set-Cookie", "mv_box=" + box.name + "; path=/");
      answer = R"({"status":1,"info":"ok","data":[)" + JsonString(box.name) + "]}";
    }
  } else if (type == "refresh") {
    if (!signedIn || failure == Failure::Refuse) {
      answer = Refusal(kNotSignedIn, "");
    } else {
      const Box& box = BoxNamed(data);
      answer = RefreshAnswer({box.name + "@" + box.domain, box.addTime, box.expireTime}, box.mails);
    }
  } else if (type == "mailinfo" || type == "delmail") {
    Box* box = signedIn && failure != Failure::Refuse ? &BoxNamed(data) : nullptr;
    const std::string mid = Find(arg, "f");
    auto mail = box ? std::find_if(box->mails.begin(), box->mails.end(),
                                   [&](const Mail& m) { return m.mid == mid; })
                    : std::vector<Mail>::iterator{};
    const bool found = box && mail != box->mails.end();
    if (type == "delmail") {
      if (found) box->mails.erase(mail);
      answer = found ? R"({"status":1,"info":"ok","data":[true]})"
                     : R"({"status":1,"info":"ok","data":[false]})";
    } else if (!found) {
      answer = Refusal(signedIn ? "\\u90ae\\u4ef6\\u4e0d\\u5b58\\u5728" : kNotSignedIn, "");
    } else {
      mail->read = true;
      Mail shown = *mail;
      if (failure == Failure::HugeMail) {
        std::string huge = "<html><body>";
        const std::string line = "<p>Line of a very long mail, with \"quotes\" &amp; 中文 text.</p>\n";
        while (huge.size() < 5 * 1024 * 1024) huge += line;
        shown.content = huge + "<p>THE END</p></body></html>";
      }
      answer = MailInfoAnswer(shown, LinkFor(mid));
    }
  } else {
    answer = Refusal("unknown type", "");
  }

  if (failure == Failure::NoEnvelope) answer = WithoutEnvelope(answer);
  if (failure == Failure::ZeroByte) answer = WithZeroByte(answer);
  if (failure == Failure::InvalidGbk) answer = WithInvalidGbk(answer);
  res.set_content(answer, "text/html; charset=utf-8");
}

void StandInService::State::Reply(const httplib::Request& req, httplib::Response& res) {
  std::unique_lock lock(mutex);
  Record("service", req);
  StallIfAsked(lock, "anonymous");
  const Pairs form = ParseForm(req.body);
  SentReply reply;
  reply.text = Find(form, "data");
  reply.args = ParseArg(Find(form, "arg"));
  const Pairs cookies = ParseCookieHeader(req.get_header_value("Cookie"));
  const bool signedIn = ValidSession(Find(cookies, kSessionCookie));
  const auto expected = captchaByKey.find(Find(cookies, kCaptchaCookie));
  const bool captchaRight = expected != captchaByKey.end() && !expected->second.empty() &&
                            expected->second == Find(reply.args, "yzm");
  const auto token = tokenByMid.find(Find(reply.args, "f"));
  const bool linkRight = Find(form, "type") == "anonymous" && token != tokenByMid.end() &&
                         token->second == Find(reply.args, "t") &&
                         Find(reply.args, "r") == Find(reply.args, "f");
  std::string answer;
  if (!signedIn) {
    answer = Refusal(kNotSignedIn, "false");
  } else if (FailureOf("anonymous") == Failure::Refuse || !linkRight) {
    answer = Refusal("\\u56de\\u590d\\u5931\\u8d25", "false");  // 回复失败
  } else if (!captchaRight) {
    answer = Refusal("\\u9a8c\\u8bc1\\u7801\\u9519\\u8bef", "false");  // 验证码错误
  } else {
    reply.accepted = true;
    captchaByKey.erase(expected);  // one reply per image
    answer = R"({"status":1,"info":"\u56de\u590d\u6210\u529f","data":[true]})";  // 回复成功
  }
  replies.push_back(std::move(reply));
  const Failure failure = FailureOf("anonymous");
  if (failure == Failure::NoEnvelope) answer = WithoutEnvelope(answer);
  if (failure == Failure::ZeroByte) answer = WithZeroByte(answer);
  if (failure == Failure::InvalidGbk) answer.insert(answer.size() / 2, "\xFF\xFF");
  res.set_content(answer, "text/html; charset=utf-8");
}

void StandInService::State::Captcha(const httplib::Request& req, httplib::Response& res) {
  std::unique_lock lock(mutex);
  Record("captcha", req);
  StallIfAsked(lock, "captcha");
  if (FailureOf("captcha") == Failure::Refuse) {
    res.status = 404;
    return;
  }
  const std::string key = RandomText("0123456789abcdef", 16);
  const std::string digits = RandomText("0123456789", 4);
  captchaByKey[key] = digits;
  lastCaptcha = digits;
  res.set_header("Set-Cookie", std::string(kCaptchaCookie) + "=" + key + "; path=/");
  res.set_content(CaptchaPng(digits), "image/png");
}

StandInService::StandInService(Options options) : state_(std::make_unique<State>()) {
  state_->options = std::move(options);
}

StandInService::~StandInService() { Stop(); }

bool StandInService::Start() {
  State& s = *state_;
  if (s.serviceThread.joinable()) return true;
  for (httplib::Server* server : {&s.service, &s.captcha}) {
    server->set_keep_alive_max_count(1);
    server->set_read_timeout(5, 0);
    server->set_write_timeout(5, 0);
  }
  s.service.Get("/", [&s](const httplib::Request& q, httplib::Response& r) { s.Home(q, r); });
  s.service.Post("/", [&s](const httplib::Request& q, httplib::Response& r) { s.Operation(q, r); });
  s.service.Post("/reply", [&s](const httplib::Request& q, httplib::Response& r) { s.Reply(q, r); });
  s.captcha.Get("/", [&s](const httplib::Request& q, httplib::Response& r) { s.Captcha(q, r); });

  s.servicePort = s.service.bind_to_any_port("127.0.0.1");
  s.captchaPort = s.captcha.bind_to_any_port("127.0.0.1");
  if (s.servicePort <= 0 || s.captchaPort <= 0) return false;
  {
    std::lock_guard lock(s.mutex);
    s.stopping = false;
  }
  s.serviceThread = std::thread([&s] { s.service.listen_after_bind(); });
  s.captchaThread = std::thread([&s] { s.captcha.listen_after_bind(); });
  return true;
}

void StandInService::Stop() {
  State& s = *state_;
  {
    std::lock_guard lock(s.mutex);
    s.stopping = true;
  }
  s.wake.notify_all();
  if (s.serviceThread.joinable()) {
    s.service.stop();
    s.serviceThread.join();
  }
  if (s.captchaThread.joinable()) {
    s.captcha.stop();
    s.captchaThread.join();
  }
}

std::string StandInService::ServiceRoot() const {
  return "http://127.0.0.1:" + std::to_string(state_->servicePort) + "/";
}

std::string StandInService::CaptchaUrl() const {
  return "http://127.0.0.1:" + std::to_string(state_->captchaPort) + "/?m=tool&act=caption&rnd=";
}

std::array<std::string, 2> StandInService::MailDomains() const { return state_->options.mailDomains; }

std::string StandInService::ActiveMailbox() const {
  std::lock_guard lock(state_->mutex);
  return state_->active;
}

std::string StandInService::AddMail(const std::string& mailbox, Mail mail) {
  std::lock_guard lock(state_->mutex);
  const std::string name = mailbox.empty() ? state_->active : mailbox;
  if (name.empty()) return {};
  return state_->Add(state_->BoxNamed(name), std::move(mail));
}

std::vector<std::string> StandInService::AddSampleMails(const std::string& mailbox) {
  std::lock_guard lock(state_->mutex);
  const std::string name = mailbox.empty() ? state_->active : mailbox;
  if (name.empty()) return {};
  return state_->AddSamples(state_->BoxNamed(name));
}

void StandInService::AddGeneratedMails(const std::string& mailbox, std::size_t count) {
  std::lock_guard lock(state_->mutex);
  Box& box = state_->BoxNamed(mailbox.empty() ? state_->active : mailbox);
  box.mails.reserve(box.mails.size() + count);
  for (std::size_t i = 0; i < count; ++i) {
    Mail m;
    m.from = "newsletter" + std::to_string(i % 37) + "@list.example";
    m.subject = "Issue " + std::to_string(i) + " [weekly] {digest}";
    m.content = "<p>Issue " + std::to_string(i) + "</p>";
    state_->Add(box, std::move(m));
  }
}

std::string StandInService::DeliverNewMail() {
  std::lock_guard lock(state_->mutex);
  State& s = *state_;
  if (s.active.empty()) return {};
  const int serial = ++s.delivered;
  return s.Add(s.BoxNamed(s.active), s.SampleMail(serial, serial));
}

std::vector<Mail> StandInService::Mails(const std::string& mailbox) const {
  std::lock_guard lock(state_->mutex);
  auto it = state_->boxes.find(mailbox);
  return it == state_->boxes.end() ? std::vector<Mail>{} : it->second.mails;
}

void StandInService::SetFailure(std::string_view kind, Failure failure) {
  std::lock_guard lock(state_->mutex);
  state_->failures[std::string(kind)] = failure;
}

void StandInService::SetStallSeconds(int seconds) {
  std::lock_guard lock(state_->mutex);
  state_->stallSeconds = seconds;
}

int StandInService::StalledCount() const {
  std::lock_guard lock(state_->mutex);
  return state_->stalled;
}

void StandInService::ReleaseStalled() {
  {
    std::lock_guard lock(state_->mutex);
    ++state_->releases;
  }
  state_->wake.notify_all();
}

std::vector<RecordedRequest> StandInService::Requests() const {
  std::lock_guard lock(state_->mutex);
  return state_->requests;
}

void StandInService::ClearRequests() {
  std::lock_guard lock(state_->mutex);
  state_->requests.clear();
}

std::vector<SentReply> StandInService::Replies() const {
  std::lock_guard lock(state_->mutex);
  return state_->replies;
}

std::string StandInService::LastCaptchaText() const {
  std::lock_guard lock(state_->mutex);
  return state_->lastCaptcha;
}

std::string StandInService::ReplyLinkFor(const std::string& mid) const {
  std::lock_guard lock(state_->mutex);
  return state_->LinkFor(mid);
}

}  // namespace mailvane::standin

// The captcha image for a reply, and the random text that keeps its URL fresh.
#include <charconv>
#include <random>

#include "service/Service.h"
#include "web/WebAccess.h"

namespace mailvane {

SharedText CaptchaCookies;

namespace {

// Nothing waits for input here: a draw never blocks the window's thread.
void PumpPendingInput() {}

// A draw in [0,1) as text, in the 15-significant-digit form of a script
// engine's number-to-text conversion ("0.123456789012345").
std::string DrawText(std::mt19937_64& engine) {
  std::uniform_real_distribution<double> uniform(0.0, 1.0);
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, uniform(engine),
                                    std::chars_format::general, 15);
  return std::string(buffer, result.ptr);
}

// "0." and fifteen digits straight from the engine, for the (practically
// impossible) case that every draw had another length.
std::string FallbackText(std::mt19937_64& engine) {
  std::uniform_int_distribution<int> digit(0, 9);
  std::uniform_int_distribution<int> nonZero(1, 9);
  std::string text = "0.";
  text += static_cast<char>('0' + nonZero(engine));
  for (int i = 0; i < 13; ++i) text += static_cast<char>('0' + digit(engine));
  text += static_cast<char>('0' + nonZero(engine));
  return text;
}

}  // namespace

std::string RandomFractionText() {
  constexpr std::size_t kLength = 17;
  constexpr int kMaxDraws = 1000;
  thread_local std::mt19937_64 engine{std::random_device{}()};
  std::string text;
  for (int draw = 0; draw < kMaxDraws && text.size() != kLength; ++draw) {
    text = DrawText(engine);
    if (text.empty() || text[0] != '0') text.insert(text.begin(), '0');
    PumpPendingInput();
  }
  return text.size() == kLength ? text : FallbackText(engine);
}

void LoadCaptcha(const ServiceContext& ctx) {
  const MailWindow& w = ctx.window;
  std::string cookies = w.编辑框2.Text();  // sent, never written back
  std::string returnedCookies;
  const Bytes image = WebAccess(ctx.endpoints.captchaUrl + RandomFractionText(), 0, {}, &cookies,
                                &returnedCookies);
  w.图片框_yzm.SetPicture(image);
  CaptchaCookies.Set(returnedCookies);
}

}  // namespace mailvane

// The text routines on 1 MB and 10 MB inputs: the time per byte must stay
// flat (linear work), whatever the input's size.
#include <benchmark/benchmark.h>

#include <string>

#include "text/CodePage.h"
#include "text/Escapes.h"
#include "text/Text.h"
#include "web/Cookies.h"

namespace {

using namespace mailvane;

// A service-like answer of about `size` bytes: GBK text, \u escapes, markers.
std::string EscapedAnswer(size_t size) {
  const std::string unit = Utf8ToLocal("中文邮件") + " \\u4e2d\\u6587 a\\/b it's %41 {$} ";
  std::string s;
  s.reserve(size + unit.size());
  while (s.size() < size) s += unit;
  return s;
}

std::string CookieText(size_t size) {
  std::string s;
  for (int i = 0; s.size() < size; ++i) s += "name" + std::to_string(i) + "=value" + std::to_string(i) + "; ";
  return s;
}

std::string SetCookieHeaders(size_t size) {
  std::string s;
  for (int i = 0; s.size() < size; ++i)
    s += "Set-Cookie: c" + std::to_string(i) + "=v; path=/; HttpOnly\r\nX-Other: 1\r\n";
  return s;
}

void Sized(benchmark::internal::Benchmark* b) {
  b->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);
}

void BM_TextBetween(benchmark::State& state) {
  // The right marker sits at the very end: the whole text is walked.
  const std::string text = "[" + EscapedAnswer(state.range(0)) + "]";
  for (auto _ : state) benchmark::DoNotOptimize(TextBetween(text, "[", "]"));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_TextBetween)->Apply(Sized);

void BM_DecodeEscapes(benchmark::State& state) {
  const std::string text = EscapedAnswer(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(DecodeEscapes(text));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_DecodeEscapes)->Apply(Sized);

void BM_MergeCookies(benchmark::State& state) {
  const std::string held = CookieText(state.range(0));
  const std::string fresh = CookieText(state.range(0) / 2);
  for (auto _ : state) {
    std::string a = held, b = fresh;
    benchmark::DoNotOptimize(MergeCookies(a, b));
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(held.size() + fresh.size()));
}
BENCHMARK(BM_MergeCookies)->Apply(Sized);

void BM_CookiesFromHeaders(benchmark::State& state) {
  const std::string headers = SetCookieHeaders(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(CookiesFromHeaders(headers));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(headers.size()));
}
BENCHMARK(BM_CookiesFromHeaders)->Apply(Sized);

void BM_LocalToUtf8(benchmark::State& state) {
  const std::string text = EscapedAnswer(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(LocalToUtf8(text));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_LocalToUtf8)->Apply(Sized);

void BM_Utf8ToLocal(benchmark::State& state) {
  const std::string text = LocalToUtf8(EscapedAnswer(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(Utf8ToLocal(text));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_Utf8ToLocal)->Apply(Sized);

}  // namespace

BENCHMARK_MAIN();

// An inbox refresh's reading of its answer: JsonObject (local text in, local
// text out, paths resolved per call) against nlohmann's own parse of the same
// answer in UTF-8 with direct access to the same fields. The ratio of the two
// is the figure of interest.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "script/JsonObject.h"
#include "text/CodePage.h"

namespace {

// A refresh answer after the envelope cut, in the local code page: per mail a
// local subject and sender name, one sender as \u escapes, numeric and text MIDs.
std::string RefreshAnswer(int mails) {
  std::string text =
      R"({"user":{"USER":"box7","IP":"10.0.0.1","ADDTIME":"2024-05-01 10:00:00",)"
      R"("EXPIRETIME":"2024-05-02 10:00:00"},"list":[)";
  for (int i = 0; i < mails; ++i) {
    if (i > 0) text += ',';
    const std::string n = std::to_string(i);
    const std::string mid = i % 2 ? "\"m" + n + "\"" : std::to_string(12345678900000LL + i);
    const std::string from = i % 3 ? "\xD5\xC5\xC8\xFD <zs" + n + "@example.com>"
                                   : "\\u5f20\\u4e09 <zs" + n + "@example.com>";
    text += R"({"UID":")" + n + R"(","MID":)" + mid + R"(,"TO":"box7@example.invalid",)" +
            R"("FROM":")" + from + R"(","SENDTIME":"2024-05-01 10:)" + std::to_string(i % 60) +
            R"(:00","SUBJECT":")" + "\xC4\xE3\xBA\xC3 " + n + R"(","SIZE":)" + std::to_string(1000 + i) +
            R"(,"ISREAD":0,"PATCH":null})";
  }
  return text + "]}";
}

void JsonObjectRefresh(benchmark::State& state) {
  const std::string answer = RefreshAnswer(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    mailvane::JsonObject json;
    if (!json.Parse(answer)) state.SkipWithError("answer does not parse");
    std::unique_ptr<mailvane::JsonObject> start(json.GetObject("user"));
    benchmark::DoNotOptimize(start->GetText("ADDTIME"));
    std::unique_ptr<mailvane::JsonObject> end(json.GetObject("user"));
    benchmark::DoNotOptimize(end->GetText("EXPIRETIME"));
    const int count = json.GetCount("list");
    for (int i = 0; i < count; ++i) {
      const std::string item = "list[" + std::to_string(i) + "]";
      benchmark::DoNotOptimize(json.GetText(item + ".TO"));
      benchmark::DoNotOptimize(json.GetText(item + ".SENDTIME"));
      benchmark::DoNotOptimize(json.GetText(item + ".FROM"));
      benchmark::DoNotOptimize(json.GetText(item + ".MID"));
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * answer.size()));
}

std::string FieldText(const nlohmann::ordered_json& value) {
  if (value.is_string()) return value.get<std::string>();
  if (value.is_number_integer()) return std::to_string(value.get<long long>());
  return {};
}

void NlohmannRefresh(benchmark::State& state) {
  const std::string answer = mailvane::LocalToUtf8(RefreshAnswer(static_cast<int>(state.range(0))));
  for (auto _ : state) {
    auto json = nlohmann::ordered_json::parse(answer);
    const auto& user = json["user"];
    benchmark::DoNotOptimize(FieldText(user["ADDTIME"]));
    benchmark::DoNotOptimize(FieldText(user["EXPIRETIME"]));
    for (const auto& mail : json["list"]) {
      benchmark::DoNotOptimize(FieldText(mail["TO"]));
      benchmark::DoNotOptimize(FieldText(mail["SENDTIME"]));
      benchmark::DoNotOptimize(FieldText(mail["FROM"]));
      benchmark::DoNotOptimize(FieldText(mail["MID"]));
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * answer.size()));
}

BENCHMARK(JsonObjectRefresh)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(NlohmannRefresh)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

#include <memory>

#include "script/JsonObject.h"

// Parse any text, then read it the way the inbox refresh and the mail
// reader do.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  mailvane::JsonObject json;
  json.Parse(text);
  std::unique_ptr<mailvane::JsonObject> user(json.GetObject("user"));
  user->GetText("ADDTIME");
  const int count = json.GetCount("list");
  for (int i = 0; i < count && i < 64; ++i) {
    const std::string item = "list[" + std::to_string(i) + "]";
    for (const char* field : {".TO", ".SENDTIME", ".FROM", ".MID"}) json.GetText(item + field);
  }
  for (const char* path : {"SUBJECT", "FROM", "RLINK", "DATA[0]", "[0]", "data[0][1][0].DATA[0]"})
    json.GetText(path);
  json.GetType();
  std::vector<std::string> keys;
  json.GetKeys(keys);
  json.ToJson();
  return 0;
}

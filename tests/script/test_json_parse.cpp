// Parsing: valid JSON loads, anything else leaves the value null, and no
// answer, however hostile, crashes the reader or runs as code.
#include <gtest/gtest.h>

#include <string>

#include "script/JsonObject.h"

namespace mailvane {
namespace {

// What a value that failed to parse answers.
void ExpectNullValue(JsonObject& json) {
  EXPECT_EQ(json.GetCount(""), -2);
  EXPECT_EQ(json.GetType(""), 0);
  EXPECT_EQ(json.GetText("info"), "");
  EXPECT_EQ(json.GetType("info"), -1);  // a member of null
  EXPECT_EQ(json.GetCount("list"), 0);
  EXPECT_FALSE(json.Has("info"));
  EXPECT_EQ(json.ToJson(), "null");
}

struct ParseCase {
  const char* name;
  std::string text;
  bool parses;
  int rootType;  // GetType("") after a parse that succeeded
};

class ParseTable : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseTable, ParsesExactlyValidJson) {
  const ParseCase& c = GetParam();
  JsonObject json;
  EXPECT_EQ(json.Parse(c.text), c.parses);
  if (c.parses) {
    EXPECT_EQ(json.GetType(""), c.rootType);
  } else {
    ExpectNullValue(json);
  }
}

std::string Nested(int depth) { return std::string(depth, '[') + std::string(depth, ']'); }

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseTable,
    testing::Values(
        ParseCase{"Envelope", R"({"status":1,"info":"ok","data":[]})", true, 4},
        ParseCase{"Array", R"([1,"a",null,true])", true, 5},
        ParseCase{"TopLevelString", R"("just text")", true, 6},
        ParseCase{"TopLevelNumber", "42", true, 2},
        ParseCase{"SurroundingBlanks", " \r\n\t{\"a\":1}\n ", true, 4},
        ParseCase{"NestedWithinBound", Nested(500), true, 5},
        ParseCase{"Empty", "", false, 0},
        ParseCase{"OnlyBlanks", "   ", false, 0},
        ParseCase{"PlainWords", "plain words", false, 0},
        ParseCase{"Null", "null", false, 0},
        ParseCase{"EnvelopeCutOfFailedRequest", "]}", false, 0},
        ParseCase{"UnterminatedString", R"({"a":"never ends)", false, 0},
        ParseCase{"UnterminatedObject", R"({"a":1,"b":[1,2)", false, 0},
        ParseCase{"TrailingGarbage", R"({"a":1} x)", false, 0},
        ParseCase{"SingleQuotes", "{'a':1}", false, 0},
        ParseCase{"UnquotedKey", "{a:1}", false, 0},
        ParseCase{"RawLineBreakInString", "{\"a\":\"one\ntwo\"}", false, 0},
        ParseCase{"NumberOverflow", R"({"n":1e400})", false, 0},
        ParseCase{"LoneSurrogateEscape", R"({"s":"\ud800"})", false, 0},
        ParseCase{"ScriptCall", R"((function(){return {"a":1}})())", false, 0},
        ParseCase{"ScriptAssignment", R"({"a":1};da={"b":2})", false, 0},
        ParseCase{"DeepArrays", std::string(100000, '['), false, 0},
        ParseCase{"DeepClosedArrays", Nested(100000), false, 0},
        ParseCase{"DeepObjects", [] {
                    std::string text;
                    for (int i = 0; i < 100000; ++i) text += "{\"a\":";
                    return text;
                  }(), false, 0}),
    [](const testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

TEST(JsonParse, TextEndsAtItsFirstZeroByte) {
  JsonObject json;
  EXPECT_TRUE(json.Parse(std::string("{\"a\":\"x\"}\0garbage", 17)));
  EXPECT_EQ(json.GetText("a"), "x");
  EXPECT_FALSE(json.Parse(std::string("{\"a\":\0\"x\"}", 10)));
  ExpectNullValue(json);
}

TEST(JsonParse, EscapedZeroCharacterEndsTheTextRead) {
  JsonObject json;
  ASSERT_TRUE(json.Parse(R"({"a":"before\u0000after"})"));
  EXPECT_EQ(json.GetText("a"), "before");
}

TEST(JsonParse, InvalidLocalBytesNeverCrash) {
  // Lead bytes without trail bytes, a lone 0xFF, bytes GBK never uses.
  const std::string texts[] = {
      "{\"a\":\"\x81\"}", "{\"a\":\"\xFF\xFF\"}", "{\"a\":\"x\x80\x80\xA1\"}",
      "{\"\xFE\":\"\xC4\"}", "\xC4", std::string("{\"a\":\"\x81\0", 7),
  };
  for (const std::string& text : texts) {
    JsonObject json;
    json.Parse(text);
    json.GetText("a");
    json.ToJson();
    std::vector<std::string> keys;
    json.GetKeys(keys);
  }
}

TEST(JsonParse, EveryParseStartsFromNothing) {
  JsonObject json;
  ASSERT_TRUE(json.Parse(R"({"a":"first","b":2})"));
  ASSERT_TRUE(json.Parse(R"({"c":3})"));
  EXPECT_EQ(json.GetText("a"), "");
  EXPECT_EQ(json.GetCount(""), 1);
  EXPECT_FALSE(json.Parse("not json"));
  ExpectNullValue(json);
  EXPECT_EQ(json.GetText("c"), "");
}

TEST(JsonParse, DuplicateMemberKeepsLastValueAtFirstPlace) {
  JsonObject json;
  ASSERT_TRUE(json.Parse(R"({"a":1,"b":2,"a":3})"));
  EXPECT_EQ(json.GetText("a"), "3");
  std::vector<std::string> keys;
  EXPECT_EQ(json.GetKeys(keys), 2);
  EXPECT_EQ(keys, (std::vector<std::string>{"a", "b"}));
}

TEST(JsonParse, NewObjectIsAnEmptyObjectNamedDa) {
  JsonObject json;
  EXPECT_EQ(json.name(), "da");
  EXPECT_EQ(json.GetType(""), 4);
  EXPECT_EQ(json.GetCount(""), 0);
  EXPECT_EQ(json.ToJson(), "{}");
}

}  // namespace
}  // namespace mailvane

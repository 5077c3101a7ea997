// The service's answers read the way the inbox refresh and the mail reader
// read them. Local texts are code page 936 bytes.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "script/JsonObject.h"

namespace mailvane {
namespace {

// 张三 and 你好 in the local code page.
const std::string kZhangSan = "\xD5\xC5\xC8\xFD";
const std::string kNiHao = "\xC4\xE3\xBA\xC3";

// A refresh answer after the envelope is cut off and "]}" appended: the
// subject in local bytes, the sender's name as \u escapes, an escape left for
// the caller to decode, a 14-digit numeric MID.
const std::string kRefresh =
    R"({"user":{"USER":"box7","IP":"10.0.0.1","ADDTIME":"2024-05-01 10:00:00",)"
    R"("EXPIRETIME":"2024-05-02 10:00:00"},"list":[)"
    R"({"UID":"1","MID":12345678901234,"TO":"box7@example.invalid",)"
    R"("FROM":"\u5f20\u4e09 <zs@example.com>","SENDTIME":"2024-05-01 10:05:00",)"
    R"("SUBJECT":")" + kNiHao + R"(","SIZE":2048,"ISREAD":0,"PATCH":null},)"
    R"({"UID":"2","MID":"a1b2","TO":"box7@example.invalid","FROM":"%u674e@x.org",)"
    R"("SENDTIME":1714550400,"SUBJECT":"x"},)"
    R"({"UID":"3","TO":"box7@example.invalid","FROM":")" + kZhangSan + R"( <z@y.cn>"}]})";

TEST(ServiceAnswers, InboxRefreshReadsEveryRow) {
  JsonObject json;
  ASSERT_TRUE(json.Parse(kRefresh));
  std::unique_ptr<JsonObject> start(json.GetObject("user"));
  EXPECT_EQ(start->GetText("ADDTIME"), "2024-05-01 10:00:00");
  std::unique_ptr<JsonObject> end(json.GetObject("user"));
  EXPECT_EQ(end->GetText("EXPIRETIME"), "2024-05-02 10:00:00");

  ASSERT_EQ(json.GetCount("list"), 3);
  struct Row {
    std::string to, sendTime, from, mid;
  };
  const Row expected[] = {
      {"box7@example.invalid", "2024-05-01 10:05:00", kZhangSan + " <zs@example.com>",
       "12345678901234"},
      {"box7@example.invalid", "1714550400", "%u674e@x.org", "a1b2"},
      {"box7@example.invalid", "", kZhangSan + " <z@y.cn>", ""},  // no SENDTIME, no MID
  };
  for (int i = 0; i < 3; ++i) {
    const std::string item = "list[" + std::to_string(i) + "]";
    EXPECT_EQ(json.GetText(item + ".TO"), expected[i].to) << i;
    EXPECT_EQ(json.GetText(item + ".SENDTIME"), expected[i].sendTime) << i;
    EXPECT_EQ(json.GetText(item + ".FROM"), expected[i].from) << i;
    EXPECT_EQ(json.GetText(item + ".MID"), expected[i].mid) << i;
  }
}

TEST(ServiceAnswers, InboxRefreshOfAnEmptyMailbox) {
  JsonObject json;
  ASSERT_TRUE(json.Parse(R"({"user":{"ADDTIME":"a","EXPIRETIME":"b"},"list":[]})"));
  EXPECT_EQ(json.GetCount("list"), 0);
  std::unique_ptr<JsonObject> user(json.GetObject("user"));
  EXPECT_EQ(user->GetText("EXPIRETIME"), "b");
}

TEST(ServiceAnswers, InboxRefreshOfAFailedRequest) {
  // Without an envelope the cut leaves only the appended "]}".
  JsonObject json;
  EXPECT_FALSE(json.Parse("]}"));
  std::unique_ptr<JsonObject> user(json.GetObject("user"));
  EXPECT_EQ(user->GetText("ADDTIME"), "");
  EXPECT_LT(json.GetCount("list"), 1);
  EXPECT_EQ(json.GetText("list[0].MID"), "");
}

TEST(ServiceAnswers, MailHeaderAndHtmlBody) {
  JsonObject json;
  ASSERT_TRUE(json.Parse(R"({"SUBJECT":")" + kNiHao + R"( \u4e16\u754c","FROM":"sender@example.com",)"
                         R"("TO":"box7@example.invalid","SENDTIME":1714550400,)"
                         R"("RLINK":"http:\/\/reply.example.invalid\/?id=9&k=\u0031"})"));
  EXPECT_EQ(json.GetText("SUBJECT"), kNiHao + " \xCA\xC0\xBD\xE7");  // 你好 世界
  EXPECT_EQ(json.GetText("FROM"), "sender@example.com");
  EXPECT_EQ(json.GetText("TO"), "box7@example.invalid");
  EXPECT_EQ(json.GetText("SENDTIME"), "1714550400");
  EXPECT_EQ(json.GetText("RLINK"), "http://reply.example.invalid/?id=9&k=1");

  ASSERT_TRUE(json.Parse(
      R"({"DATA":["<html><head><meta charset=\"gbk\"></head><body><p class=\"m\">)" + kNiHao +
      R"(</p><a href='http://e.example/?a=1&amp;b=2'>\u94fe\u63a5</a>\r\n<br/></body></html>"],)"
      R"("ATTACH":[]})"));
  EXPECT_EQ(json.GetText("DATA[0]"),
            "<html><head><meta charset=\"gbk\"></head><body><p class=\"m\">" + kNiHao +
                "</p><a href='http://e.example/?a=1&amp;b=2'>\xC1\xB4\xBD\xD3</a>\r\n<br/></body></html>");
  EXPECT_EQ(json.GetText("SUBJECT"), "");  // the header is gone
}

TEST(ServiceAnswers, WholeEnvelopeReadByPath) {
  JsonObject json;
  ASSERT_TRUE(json.Parse(R"({"status":1,"info":"ok","data":[[{"SUBJECT":"s","MID":12345678901234},)"
                         R"([{"DATA":["body"]}]]]})"));
  EXPECT_EQ(json.GetText("info"), "ok");
  EXPECT_EQ(json.GetText("status"), "1");
  EXPECT_EQ(json.GetText("data[0][0].SUBJECT"), "s");
  EXPECT_EQ(json.GetText("data[0][1][0].DATA[0]"), "body");
  EXPECT_EQ(json.GetJson("data[0][0].MID"), "12345678901234");
  EXPECT_EQ(json.GetType("data[0][0].MID"), 2);
}

TEST(ServiceAnswers, CharactersTheLocalCodePageLacksBecomeQuestionMarks) {
  JsonObject json;
  ASSERT_TRUE(json.Parse(R"({"s":"a\ud83d\ude00b","\ud83d\ude00":"key"})"));
  EXPECT_EQ(json.GetText("s"), "a?b");
  std::vector<std::string> keys;
  json.GetKeys(keys);
  EXPECT_EQ(keys[1], "?");
}

TEST(ServiceAnswers, BytesThatAreNoLocalCharacterReadAsQuestionMarks) {
  const struct {
    std::string json, text;
  } cases[] = {
      {"{\"a\":\"x\x81\"}", "x?"},       // a lead byte without its trail byte
      {"{\"a\":\"\x81 y\"}", "? y"},     // a lead byte before ASCII
  };
  for (const auto& c : cases) {
    JsonObject json;
    ASSERT_TRUE(json.Parse(c.json)) << c.text;
    EXPECT_EQ(json.GetText("a"), c.text);
  }
}

TEST(ServiceAnswers, ManyLocalTextsReadBackWhole) {
  JsonObject json;
  ASSERT_TRUE(json.Parse("{\"a\":\"1\\n" + kNiHao + "x\\n\\n" + kZhangSan + "\\n\",\"b\":[\"" + kZhangSan +
                         "\",{\"c\":\"" + kNiHao + kNiHao + "\"}],\"d\":\"\\u0000" + kNiHao + "\"}"));
  EXPECT_EQ(json.GetText("a"), "1\n" + kNiHao + "x\n\n" + kZhangSan + "\n");
  EXPECT_EQ(json.GetText("b[0]"), kZhangSan);
  EXPECT_EQ(json.GetText("b[1].c"), kNiHao + kNiHao);
  EXPECT_EQ(json.GetText("d"), "");
  EXPECT_EQ(json.GetItemText(0, "b"), kZhangSan);
}

TEST(ServiceAnswers, LocalTextsFollowWrites) {
  JsonObject json;
  ASSERT_TRUE(json.Parse("{\"a\":\"" + kNiHao + "\",\"l\":[\"" + kZhangSan + "\"]}"));
  ASSERT_EQ(json.GetText("a"), kNiHao);
  json.SetText("a", kZhangSan);
  EXPECT_EQ(json.GetText("a"), kZhangSan);
  for (int i = 0; i < 64; ++i) json.Append(kNiHao + std::to_string(i), "l");  // elements move
  EXPECT_EQ(json.GetText("l[0]"), kZhangSan);
  EXPECT_EQ(json.GetText("l[64]"), kNiHao + "63");
  std::unique_ptr<JsonObject> clone(json.Clone());
  clone->Remove("a");
  clone->SetRoot(kNiHao);
  EXPECT_EQ(json.GetText("a"), "");
  EXPECT_EQ(json.ToJson(), "\"" + kNiHao + "\"");
}

TEST(ServiceAnswers, LocalTextInPathsNamesMembers) {
  JsonObject json;
  ASSERT_TRUE(json.Parse("{\"" + kNiHao + "\":{\"" + kZhangSan + "\":\"v\"}}"));
  EXPECT_EQ(json.GetText(kNiHao + "." + kZhangSan), "v");
  EXPECT_EQ(json.GetText(kNiHao + "['" + kZhangSan + "']"), "v");
  std::vector<std::string> keys;
  ASSERT_EQ(json.GetKeys(keys), 1);
  EXPECT_EQ(keys[0], kNiHao);

  // 乕乚昞: second bytes that look like "[", "]" and "\".
  const std::string brackets = "\x81\x5B\x81\x5D\x95\x5C";
  ASSERT_TRUE(json.Parse("{\"" + brackets + "\":[\"" + brackets + "\"]}"));
  EXPECT_EQ(json.GetText(brackets + "[0]"), brackets);
  EXPECT_EQ(json.GetCount(brackets), 1);
}

}  // namespace
}  // namespace mailvane

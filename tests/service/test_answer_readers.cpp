#include "service/AnswerReaders.h"

#include <gtest/gtest.h>

#include "text/CodePage.h"
#include "text/Text.h"
#include "tools/standin/StandInParts.h"

namespace mailvane {
namespace {

using standin::Mail;

struct EndCase {
  std::string text;
  std::size_t start;
  std::size_t end;  // npos: not closed
};

class JsonValueEndTest : public testing::TestWithParam<EndCase> {};

TEST_P(JsonValueEndTest, FindsTheBracketThatClosesTheValue) {
  EXPECT_EQ(JsonValueEnd(GetParam().text, GetParam().start), GetParam().end);
}

constexpr std::size_t kOpen = std::string::npos;

INSTANTIATE_TEST_SUITE_P(
    Cases, JsonValueEndTest,
    testing::Values(EndCase{"{}", 0, 2}, EndCase{"[1,[2,{}]]tail", 0, 10},
                    EndCase{R"(x{"a":"}]"}y)", 1, 11},
                    EndCase{R"({"a":"\"}"})", 0, 11},
                    EndCase{R"({"a":"\\"}z)", 0, 10},
                    // A trail byte that reads as "}" or as a backslash is part of its character.
                    EndCase{"{\"a\":\"\x81\x7D\"}", 0, 10},
                    EndCase{"{\"a\":\"\x95\x5C\"}", 0, 10},
                    EndCase{R"({"a":1)", 0, kOpen}, EndCase{R"({"a":"})", 0, kOpen},
                    EndCase{"abc", 0, kOpen}, EndCase{"{", 5, kOpen}));

TEST(EnvelopeTextTest, TakesTheFirstEnvelopeAndIgnoresTextAroundIt) {
  const std::string envelope = R"({"status":1,"info":"ok","data":[{"a":"]}]}"}]})";
  EXPECT_EQ(EnvelopeText("Warning: notice\n" + envelope + "<!-- 0.01s -->" + envelope), envelope);
}

TEST(EnvelopeTextTest, NeedsTheExactPrefixAndAClosedValue) {
  EXPECT_EQ(EnvelopeText(R"({"status":1, "info":"ok","data":[]})"), "");
  EXPECT_EQ(EnvelopeText(R"({"status":0,"info":"ok","data":[]})"), "");
  EXPECT_EQ(EnvelopeText(R"({"status":1,"info":"ok","data":[{"a":1})"), "");
  EXPECT_EQ(EnvelopeText(""), "");
}

Mail MakeMail(std::string mid, std::string from, std::string subject, std::string content = {}) {
  Mail m;
  m.mid = std::move(mid);
  m.to = "k3x9@mail.example";
  m.from = std::move(from);
  m.sendTime = "2024-05-01 10:30:15";
  m.subject = std::move(subject);
  m.content = std::move(content);
  return m;
}

TEST(ReadInboxAnswerTest, ReadsTimesAndRowsInTheServiceOrder) {
  const std::string answer = standin::RefreshAnswer(
      {"k3x9@mail.example", "2024-05-01 09:00:00", "2024-05-02 09:00:00"},
      {MakeMail("20240501093002", "%u5ba2%u670d <support@x.example>", "]}]} in a subject"),
       MakeMail("20240501093001", "张三 <zs@x.example>", "[Svc] code {1234}"),
       MakeMail("abc-7", "plain@x.example", "")});
  const InboxAnswer inbox = ReadInboxAnswer(answer);
  EXPECT_EQ(inbox.startTime, "2024-05-01 09:00:00");
  EXPECT_EQ(inbox.endTime, "2024-05-02 09:00:00");
  ASSERT_EQ(inbox.rows.size(), 3u);
  EXPECT_EQ(inbox.rows[0], (MailRow{"1", "k3x9@mail.example", "2024-05-01 10:30:15",
                                    Utf8ToLocal("客服 <support@x.example>"), "20240501093002"}));
  EXPECT_EQ(inbox.rows[1][3], Utf8ToLocal("张三 <zs@x.example>"));
  // A numeric MID keeps all fourteen digits; a text MID stays as it is.
  EXPECT_EQ(inbox.rows[1][4], "20240501093001");
  EXPECT_EQ(inbox.rows[2][0], "3");
  EXPECT_EQ(inbox.rows[2][4], "abc-7");
}

TEST(ReadInboxAnswerTest, MissingPartsGiveEmptyValues) {
  const InboxAnswer noUser = ReadInboxAnswer(
      R"({"status":1,"info":"ok","data":[{"list":[{"TO":"a","MID":"1"}]}]})");
  EXPECT_EQ(noUser.startTime, "");
  ASSERT_EQ(noUser.rows.size(), 1u);
  EXPECT_EQ(noUser.rows[0], (MailRow{"1", "a", "", "", "1"}));

  const InboxAnswer noList =
      ReadInboxAnswer(R"({"status":1,"info":"ok","data":[{"user":{"ADDTIME":"t0"}}]})");
  EXPECT_EQ(noList.startTime, "t0");
  EXPECT_TRUE(noList.rows.empty());
}

TEST(ReadInboxAnswerTest, AnythingButASuccessEnvelopeGivesNothing) {
  const std::string good = standin::RefreshAnswer({"u", "t0", "t1"}, {MakeMail("1", "f", "s")});
  for (const std::string& answer :
       {std::string(), std::string("<html>502 Bad Gateway</html>"),
        standin::WithoutEnvelope(good), AnswerText(standin::WithZeroByte(good)),
        std::string(R"({"status":0,"info":"denied","data":[]})"),
        std::string(R"({"status":1,"info":"ok","data":[{"user":{"ADDTIME":"t0"},"list":[{"TO":}]}]})")}) {
    const InboxAnswer inbox = ReadInboxAnswer(answer);
    EXPECT_EQ(inbox.startTime, "") << answer;
    EXPECT_TRUE(inbox.rows.empty()) << answer;
  }
}

TEST(ReadMailAnswerTest, KeepsBracketsQuotesAndEncodedLinksIntact) {
  const std::string content =
      "<p class=\"x\">data[[0]]} and \\ and 'q'</p>\r\n<a href=\"https://x.example/?a=%2F%3D\">l</a>";
  const std::string link = "http://127.0.0.1:1/reply?f_20240501093000=1&t_ab12=1&back=%2Fmail%3Fid%3D1";
  const MailAnswer mail = ReadMailAnswer(
      standin::MailInfoAnswer(MakeMail("20240501093000", "Svc <a@x.example>",
                                       "[Service] code {1234} 验证码", content),
                              link));
  EXPECT_EQ(mail.subject, Utf8ToLocal("[Service] code {1234} 验证码"));
  EXPECT_EQ(mail.from, "Svc <a@x.example>");
  EXPECT_EQ(mail.to, "k3x9@mail.example");
  EXPECT_EQ(mail.time, "2024-05-01 10:30:15");
  EXPECT_EQ(mail.rlink, link);
  EXPECT_EQ(mail.content, content);
}

TEST(ReadMailAnswerTest, BrokenAnswersGiveEmptyValues) {
  const std::string good = standin::MailInfoAnswer(MakeMail("1", "f", "s", "body"), "http://l/");
  for (const std::string& answer :
       {std::string(), standin::WithoutEnvelope(good), AnswerText(standin::WithZeroByte(good)),
        good.substr(0, good.size() - 1)}) {
    const MailAnswer mail = ReadMailAnswer(answer);
    EXPECT_EQ(mail.subject, "") << answer;
    EXPECT_EQ(mail.rlink, "") << answer;
    EXPECT_EQ(mail.content, "") << answer;
  }
  // A header without a body: the header still reads.
  const MailAnswer headerOnly =
      ReadMailAnswer(R"({"status":1,"info":"ok","data":[[{"SUBJECT":"s","SENDTIME":1714555815}]]})");
  EXPECT_EQ(headerOnly.subject, "s");
  EXPECT_EQ(headerOnly.time, "1714555815");
  EXPECT_EQ(headerOnly.content, "");
}

TEST(ReadMailAnswerTest, InvalidLocalBytesDoNotLoseTheRestOfTheMail) {
  const std::string answer =
      standin::WithInvalidGbk(standin::MailInfoAnswer(MakeMail("1", "f", "subject", "body"), "l"));
  const MailAnswer mail = ReadMailAnswer(answer);
  EXPECT_NE(mail.subject.find("subject"), std::string::npos);
  EXPECT_EQ(mail.content, "body");
}

TEST(ReadMailAnswerTest, RawControlCharactersInsideStringsAreRead) {
  // Line breaks and a tab left unescaped inside the strings; one outside
  // them, between members, as any JSON may have.
  const std::string answer =
      "{\"status\":1,\"info\":\"ok\",\"data\":[[{\"SUBJECT\":\"two\r\nlines\",\n"
      "\"RLINK\":\"http://l/\"},[{\"DATA\":[\"a\tb\r\nc\x01\"]}]]]}";
  const MailAnswer mail = ReadMailAnswer(answer);
  EXPECT_EQ(mail.subject, "two\r\nlines");
  EXPECT_EQ(mail.rlink, "http://l/");
  EXPECT_EQ(mail.content, "a\tb\r\nc\x01");
}

TEST(ReadNewMailboxNameTest, TakesTheFirstStringOfTheArrayUnlessRefused) {
  EXPECT_EQ(ReadNewMailboxName(R"({"status":1,"info":"ok","data":["q7w8e9"]})"), "q7w8e9");
  EXPECT_EQ(ReadNewMailboxName(R"({"data":["a","b"]})"), R"(a","b)");
  EXPECT_EQ(ReadNewMailboxName(R"({"status":0,"data":[false]})"), "");
  EXPECT_EQ(ReadNewMailboxName(R"({"data":["falsehood"]})"), "");
  EXPECT_EQ(ReadNewMailboxName("<html>error</html>"), "");
}

}  // namespace
}  // namespace mailvane

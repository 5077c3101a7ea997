// Reading by path: member names, index steps, the three ways a path is joined
// to the name, missing members versus failing paths, numbers as text, counts,
// kinds and keys.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "script/JsonObject.h"

namespace mailvane {
namespace {

constexpr const char* kDocument = R"({
  "user": {"ADDTIME": "2024-05-01 10:00", "USER": "box"},
  "list": [{"MID": "m1", "TO": "a@x"}, {"MID": 77}],
  "s": "text", "n": null, "t": true, "e": [], "o": {},
  "3": "three", "Case": "upper", "case": "lower"
})";

// GetText, GetNumber, GetType, Has and GetCount of one path.
struct PathCase {
  const char* path;
  const char* text;
  double number;
  int type;
  bool has;
  int count;
};

class PathTable : public testing::TestWithParam<PathCase> {
 protected:
  void SetUp() override { ASSERT_TRUE(json_.Parse(kDocument)); }
  JsonObject json_;
};

TEST_P(PathTable, ReadsAsJScriptMemberAccessWould) {
  const PathCase& c = GetParam();
  EXPECT_EQ(json_.GetText(c.path), c.text);
  EXPECT_EQ(json_.GetNumber(c.path), c.number);
  EXPECT_EQ(json_.GetType(c.path), c.type);
  EXPECT_EQ(json_.Has(c.path), c.has);
  EXPECT_EQ(json_.GetCount(c.path), c.count);
}

INSTANTIATE_TEST_SUITE_P(
    Present, PathTable,
    testing::Values(PathCase{"user.ADDTIME", "2024-05-01 10:00", 0, 6, true, 0},
                    PathCase{"list[0].MID", "m1", 0, 6, true, 0},
                    PathCase{"list[1].MID", "77", 77, 2, true, 0},
                    PathCase{"list[1]", "[object Object]", 0, 4, true, 1},
                    PathCase{"list", "[object Object],[object Object]", 0, 5, true, 2},
                    PathCase{"user", "[object Object]", 0, 4, true, 2},
                    PathCase{" list [ 0 ] . TO ", "a@x", 0, 6, true, 0},
                    PathCase{"list['0'].TO", "a@x", 0, 6, true, 0},
                    PathCase{"user[\"USER\"]", "box", 0, 6, true, 0},
                    PathCase{"Case", "upper", 0, 6, true, 0},
                    PathCase{"case", "lower", 0, 6, true, 0},
                    PathCase{"t", "true", 1, -1, true, 0},
                    PathCase{"e", "", 0, 5, true, 0},
                    PathCase{"o", "[object Object]", 0, 4, true, 0}));

// A missing member whose parent exists, and a null member.
INSTANTIATE_TEST_SUITE_P(
    Missing, PathTable,
    testing::Values(PathCase{"nothing", "", 0, 0, false, -2},
                    PathCase{"CASE", "", 0, 0, false, -2},
                    PathCase{"n", "", 0, 0, false, -2},
                    PathCase{"list[2]", "", 0, 0, false, -2},
                    PathCase{"list[99999999999999999999999]", "", 0, 0, false, -2},
                    PathCase{"list.MID", "", 0, 0, false, -2},
                    PathCase{"list[0].UID", "", 0, 0, false, -2},
                    PathCase{"s.length", "", 0, 0, false, -2},  // strings have no members here
                    PathCase{"t.x", "", 0, 0, false, -2}));

// Paths whose statement fails: a member of a missing member or of null, and
// anything that is not a plain member expression.
INSTANTIATE_TEST_SUITE_P(
    Failing, PathTable,
    testing::Values(PathCase{"nothing.x", "", 0, -1, false, 0},
                    PathCase{"n.x", "", 0, -1, false, 0},
                    PathCase{"list[5].MID", "", 0, -1, false, 0},
                    PathCase{"user..ADDTIME", "", 0, -1, false, 0},
                    PathCase{"user.", "", 0, -1, false, 0},
                    PathCase{"user ADDTIME", "", 0, -1, false, 0},
                    PathCase{"list[", "", 0, -1, false, 0},
                    PathCase{"list[0", "", 0, -1, false, 0},
                    PathCase{"list[i]", "", 0, -1, false, 0},
                    PathCase{"list[01]", "", 0, -1, false, 0},
                    PathCase{"list[1.5]", "", 0, -1, false, 0},
                    PathCase{"list[-1]", "", 0, -1, false, 0},
                    PathCase{"list['0]", "", 0, -1, false, 0},
                    PathCase{"user['A\\'B']", "", 0, -1, false, 0},
                    PathCase{"3", "", 0, -1, false, 0},
                    PathCase{"s;da=1", "", 0, -1, false, 0},
                    PathCase{"s=1", "", 0, -1, false, 0},
                    PathCase{"s()", "", 0, -1, false, 0},
                    PathCase{"s+s", "", 0, -1, false, 0}));

TEST(JsonRead, IndexStepOnAnObjectNamesTheMember) {
  JsonObject json;
  ASSERT_TRUE(json.Parse(R"({"3":"three","list":[5]})"));
  EXPECT_EQ(json.GetText("[3]"), "three");
  EXPECT_EQ(json.GetText("list['0']"), "5");
}

TEST(JsonRead, TheThreeJoiningsOnATopLevelArray) {
  JsonObject json;
  ASSERT_TRUE(json.Parse(R"([{"MID":5,"TO":"a@x"},"second"])"));
  // Joined without a dot before a bracket.
  EXPECT_EQ(json.GetText("[0].TO"), "a@x");
  EXPECT_EQ(json.GetText("[1]"), "second");
  EXPECT_EQ(json.GetCount("[0]"), 2);
  std::unique_ptr<JsonObject> first(json.GetObject("[0]"));
  EXPECT_EQ(first->GetText("MID"), "5");
  // Joined with a dot: "da.[0]" is no expression.
  EXPECT_EQ(json.GetNumber("[0].MID"), 0);
  EXPECT_EQ(json.GetJson("[0]"), "");
  EXPECT_FALSE(json.Has("[0]"));
  EXPECT_EQ(json.GetType("[0]"), -1);
  // An empty path names the value itself only where the target joining applies.
  EXPECT_EQ(json.GetText(""), "");
  EXPECT_EQ(json.GetCount(""), 2);
  EXPECT_EQ(json.GetType(""), 5);
  EXPECT_EQ(json.GetItemText(1), "second");
  std::unique_ptr<JsonObject> item(json.GetItemObject(0));
  EXPECT_EQ(item->GetText("TO"), "a@x");
}

TEST(JsonRead, ItemReadsIndexTheTarget) {
  JsonObject json;
  ASSERT_TRUE(json.Parse(R"({"list":[{"MID":"m0"},{"MID":12345678901234}],"o":{"1":"one"}})"));
  EXPECT_EQ(json.GetItemText(1, "list", true), R"({"MID":12345678901234})");
  EXPECT_EQ(json.GetItemText(0, "list[0]"), "");   // missing element
  EXPECT_EQ(json.GetItemText(1, "o"), "one");      // an index names an object member
  EXPECT_EQ(json.GetItemText(-1, "list"), "");
  EXPECT_EQ(json.GetItemText(2, "list"), "");
  EXPECT_EQ(json.GetItemText(0, "nothing"), "");
  std::unique_ptr<JsonObject> mail(json.GetItemObject(1, "list"));
  EXPECT_EQ(mail->GetText("MID"), "12345678901234");
  std::unique_ptr<JsonObject> none(json.GetItemObject(5, "list"));
  EXPECT_EQ(none->GetType(""), 0);
}

struct NumberCase {
  const char* json;
  const char* text;
};

class NumberTable : public testing::TestWithParam<NumberCase> {};

TEST_P(NumberTable, ReadsInThirteenDigitFormWithExactIntegers) {
  JsonObject json;
  ASSERT_TRUE(json.Parse(std::string(R"({"v":)") + GetParam().json + "}"));
  EXPECT_EQ(json.GetText("v"), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, NumberTable,
    testing::Values(NumberCase{"1", "1"}, NumberCase{"0", "0"}, NumberCase{"-3", "-3"},
                    NumberCase{"0.1", "0.1"}, NumberCase{"-2.5", "-2.5"},
                    NumberCase{"0.333333333333333333", "0.3333333333333"},
                    NumberCase{"123456.7890123456", "123456.7890123"},
                    NumberCase{"0.00001", "1e-05"}, NumberCase{"1.5e300", "1.5e+300"},
                    NumberCase{"14.0", "14"}, NumberCase{"1e15", "1000000000000000"},
                    NumberCase{"12345678901234", "12345678901234"},
                    NumberCase{"-12345678901234", "-12345678901234"},
                    NumberCase{"9007199254740991", "9007199254740991"},
                    NumberCase{"9007199254740992", "9.007199254741e+15"},
                    NumberCase{"12345678901234567", "1.234567890123e+16"},
                    NumberCase{"-12345678901234567", "-1.234567890123e+16"},
                    NumberCase{"18446744073709551615", "1.844674407371e+19"},
                    NumberCase{"123456789012345678901234567890", "1.234567890123e+29"},
                    NumberCase{"\"007\"", "007"}, NumberCase{"false", "false"},
                    NumberCase{"null", ""}, NumberCase{"[1,\"a\",null,[2,3]]", "1,a,,2,3"}));

TEST(JsonRead, TextAsNumberIsItsNumericValueOrZero) {
  JsonObject json;
  ASSERT_TRUE(json.Parse(R"({"a":"12.5","b":" 7 ","c":"12abc","d":"","e":"inf","f":[1]})"));
  EXPECT_EQ(json.GetNumber("a"), 12.5);
  EXPECT_EQ(json.GetNumber("b"), 7);
  EXPECT_EQ(json.GetNumber("c"), 0);
  EXPECT_EQ(json.GetNumber("d"), 0);
  EXPECT_EQ(json.GetNumber("e"), 0);
  EXPECT_EQ(json.GetNumber("f"), 0);
}

TEST(JsonRead, CountsMembersOfObjectsAndElementsOfArrays) {
  JsonObject json;
  ASSERT_TRUE(json.Parse(R"({"a":1,"b":[],"c":{"x":1,"y":2,"z":3}})"));
  EXPECT_EQ(json.GetCount(), 3);
  EXPECT_EQ(json.GetCount("c"), 3);
  EXPECT_EQ(json.GetCount("b"), 0);
  EXPECT_EQ(json.GetCount("a"), 0);  // a number has no members
  EXPECT_EQ(json.GetCount("zz"), -2);
}

TEST(JsonRead, KeysInOrderAndReplacingTheArray) {
  JsonObject json;
  ASSERT_TRUE(json.Parse(R"({"z":1,"a":{"x,y":1,"":2,"toJSONString":3},"l":[5,6,7]})"));
  std::vector<std::string> keys{"old"};
  EXPECT_EQ(json.GetKeys(keys), 3);
  EXPECT_EQ(keys, (std::vector<std::string>{"z", "a", "l"}));
  EXPECT_EQ(json.GetKeys(keys, "a"), 3);
  EXPECT_EQ(keys, (std::vector<std::string>{"x,y", "", "toJSONString"}));
  EXPECT_EQ(json.GetKeys(keys, "l"), 3);
  EXPECT_EQ(keys, (std::vector<std::string>{"0", "1", "2"}));
  for (const char* path : {"z", "missing", "missing.x", "a..x"}) {
    keys = {"old"};
    EXPECT_EQ(json.GetKeys(keys, path), 0) << path;
    EXPECT_TRUE(keys.empty()) << path;
  }
}

TEST(JsonRead, JsonTextOfMembers) {
  JsonObject json;
  ASSERT_TRUE(json.Parse(R"({"a":{"q":"say \"hi\"\n","n":null,"k":[1,2.5]},"s":"x"})"));
  EXPECT_EQ(json.GetJson("a"), R"({"q":"say \"hi\"\n","n":null,"k":[1,2.5]})");
  EXPECT_EQ(json.GetText("a.n", true), "null");
  EXPECT_EQ(json.GetJson("s"), R"("x")");
  EXPECT_EQ(json.GetJson("missing"), "");
  EXPECT_EQ(json.GetJson("missing.x"), "");
  EXPECT_EQ(json.ToJson(), R"({"a":{"q":"say \"hi\"\n","n":null,"k":[1,2.5]},"s":"x"})");
}

TEST(JsonRead, GetObjectCopiesTheMember) {
  JsonObject json;
  ASSERT_TRUE(json.Parse(R"({"user":{"ADDTIME":"t1"},"s":"text"})"));
  std::unique_ptr<JsonObject> user(json.GetObject("user"));
  EXPECT_EQ(user->name(), "da");
  json.SetText("user.ADDTIME", "t2");
  EXPECT_EQ(user->GetText("ADDTIME"), "t1");
  user->SetText("ADDTIME", "t3");
  EXPECT_EQ(json.GetText("user.ADDTIME"), "t2");

  std::unique_ptr<JsonObject> text(json.GetObject("s"));
  EXPECT_EQ(text->GetType(""), 6);
  EXPECT_EQ(text->GetText("[0]"), "");
}

TEST(JsonRead, GetObjectOfNothingIsLikeAFailedParse) {
  JsonObject json;
  ASSERT_TRUE(json.Parse(R"({"user":null,"list":[]})"));
  for (const char* path : {"missing", "user", "missing.x", "", "list[0]", "a b"}) {
    std::unique_ptr<JsonObject> object(json.GetObject(path));
    EXPECT_EQ(object->GetType(""), 0) << path;
    EXPECT_EQ(object->GetCount(""), -2) << path;
    EXPECT_EQ(object->GetText("ADDTIME"), "") << path;
  }
}

TEST(JsonRead, CloneSharesTheValueUntilItParsesAgain) {
  JsonObject json;
  ASSERT_TRUE(json.Parse(R"({"a":"1"})"));
  std::unique_ptr<JsonObject> clone(json.Clone());
  EXPECT_EQ(clone->name(), "da");
  clone->SetText("a", "2");
  EXPECT_EQ(json.GetText("a"), "2");
  json.Clear();
  EXPECT_EQ(clone->GetCount(""), 0);
  ASSERT_TRUE(clone->Parse(R"({"a":"3"})"));
  EXPECT_EQ(json.GetText("a"), "");
  EXPECT_EQ(clone->GetText("a"), "3");
}

}  // namespace
}  // namespace mailvane

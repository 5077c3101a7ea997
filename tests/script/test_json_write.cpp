// Writing: values are stored as data, raw values as the JSON they hold, and a
// write that cannot happen leaves the value as it was.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "script/JsonObject.h"

namespace mailvane {
namespace {

class JsonWrite : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(json_.Parse(R"({"o":{"k":"v"},"l":[1,2],"s":"text","n":null})"));
  }
  // The value is unchanged by a write that failed.
  void ExpectUnchanged() {
    EXPECT_EQ(json_.ToJson(), R"({"o":{"k":"v"},"l":[1,2],"s":"text","n":null})");
  }
  JsonObject json_;
};

TEST_F(JsonWrite, SetTextStoresTheValueAsItStands) {
  for (const std::string value : {"hi", "it's", "a\\nb", "'); da=1; ('", "\"quoted\"", ""}) {
    json_.SetText("x", value);
    EXPECT_EQ(json_.GetText("x"), value);
    EXPECT_EQ(json_.GetType("x"), 6);
  }
  json_.SetText("o.k", "\xC4\xE3\xBA\xC3");  // 你好 in the local code page
  EXPECT_EQ(json_.GetText("o.k"), "\xC4\xE3\xBA\xC3");
  EXPECT_EQ(json_.GetJson("o"), "{\"k\":\"\xC4\xE3\xBA\xC3\"}");
}

TEST_F(JsonWrite, RawValuesAreParsedAsJson) {
  json_.SetText("x", "", true);
  EXPECT_EQ(json_.GetText("x", true), "{}");
  json_.SetText("y", R"({"k":[1,"two"]})", true);
  EXPECT_EQ(json_.GetText("y.k[1]"), "two");
  json_.SetJson("o.k", "12345678901234");
  EXPECT_EQ(json_.GetText("o.k"), "12345678901234");
  json_.SetJson("l[0]", R"("first")");
  EXPECT_EQ(json_.GetText("l[0]"), "first");
}

TEST_F(JsonWrite, WritesThatCannotHappenChangeNothing) {
  // Raw texts that are not JSON, script among them.
  json_.SetText("x", "alert(1)", true);
  json_.SetText("x", "{'a':1}", true);
  json_.SetJson("x", "");
  json_.SetJson("x", "da.o");
  json_.SetRoot("[1,", true);
  json_.SetRoot("", true);
  json_.Append("(1)", "l", true);
  json_.SetItem(0, "x=1", true);
  // Targets that fail: under a missing member or null, joined as "da.[0]",
  // no expression at all.
  json_.SetText("missing.x", "v");
  json_.SetText("n.x", "v");
  json_.SetText("[0]", "v");
  json_.SetText("", "v");
  json_.SetText("o.k=1", "v");
  json_.SetNumber("missing.x", 1);
  json_.SetJson("n.x", "1");
  json_.Append("v", "missing.x");
  json_.Remove("missing.x");
  json_.Remove("");
  json_.Remove("[0]");
  // Targets that store nothing JSON shows: members of a string or an array,
  // an element past the end.
  json_.SetText("s.x", "v");
  json_.SetText("l.x", "v");
  json_.SetText("l[3]", "v");
  json_.Append("v", "s.x");
  // Numbers with no text form as numbers.
  json_.SetNumber("x", std::numeric_limits<double>::infinity());
  json_.SetNumber("x", std::nan(""));
  // Item operations on an object root.
  json_.RemoveItem(0);
  ExpectUnchanged();
}

TEST_F(JsonWrite, ArrayElementsAreReplacedOrAddedAtTheEnd) {
  json_.SetText("l[1]", "b");
  json_.SetText("l[2]", "c");
  EXPECT_EQ(json_.GetJson("l"), R"([1,"b","c"])");
}

TEST_F(JsonWrite, SetNumberStoresItsTextForm) {
  json_.SetNumber("a", 0.1);
  json_.SetNumber("b", 1.0 / 3.0);
  json_.SetNumber("c", 12345678901234.0);
  json_.SetNumber("d", 1e20);
  EXPECT_EQ(json_.GetText("a"), "0.1");
  EXPECT_EQ(json_.GetNumber("b"), 0.3333333333333);
  EXPECT_EQ(json_.GetJson("c"), "12345678901234");
  EXPECT_EQ(json_.GetText("d"), "1e+20");
  EXPECT_EQ(json_.GetType("c"), 2);
}

TEST_F(JsonWrite, AppendMakesTheTargetAnArray) {
  json_.Append("v");
  json_.Append(R"({"a":1})", "", true);
  EXPECT_EQ(json_.ToJson(), R"(["v",{"a":1}])");
  JsonObject json;
  json.Append("x", "list");      // a new member
  json.Append("y", "list");      // pushed onto the array
  json.SetText("s", "text");
  json.Append("it's", "s");      // a string replaced by an array
  EXPECT_EQ(json.ToJson(), R"({"list":["x","y"],"s":["it's"]})");
}

TEST_F(JsonWrite, ItemOperationsWorkOnTheValueItself) {
  JsonObject json;
  json.Create(5);
  EXPECT_EQ(json.GetType(), 5);
  for (const char* value : {"a", "b", "c", "d"}) json.SetItem(json.GetCount(), value);
  json.SetItem(1, "[true]", true);
  json.SetItem(9, "far");   // past the end
  json.SetItem(-1, "neg");  // no element
  EXPECT_EQ(json.ToJson(), R"(["a",[true],"c","d"])");
  json.RemoveItem(-1);  // counts from the end
  json.RemoveItem(0);
  json.RemoveItem(7);
  EXPECT_EQ(json.ToJson(), R"([[true],"c"])");
  json.RemoveItem(-9);  // clamped to the first
  EXPECT_EQ(json.ToJson(), R"(["c"])");

  json.Create(4);
  json.SetItem(2, "two");
  EXPECT_EQ(json.ToJson(), R"({"2":"two"})");
  json.Create(2);  // not a kind that can be created
  EXPECT_EQ(json.GetType(), 4);
  json.Create(0);
  EXPECT_EQ(json.ToJson(), "{}");
}

TEST_F(JsonWrite, RemoveDeletesMembersAndLeavesHolesInArrays) {
  json_.Remove("o.k");
  json_.Remove("l[0]");
  json_.Remove("nothing");
  EXPECT_EQ(json_.ToJson(), R"({"o":{},"l":[null,2],"s":"text","n":null})");
  EXPECT_FALSE(json_.Has("o.k"));
}

TEST_F(JsonWrite, SetRootAndClearReplaceTheWholeValue) {
  json_.SetRoot("it's");
  EXPECT_EQ(json_.GetType(), 6);
  EXPECT_EQ(json_.ToJson(), R"("it's")");
  json_.SetRoot(R"([1,2,3])", true);
  EXPECT_EQ(json_.GetCount(), 3);
  json_.Clear();
  EXPECT_EQ(json_.ToJson(), "{}");
}

TEST_F(JsonWrite, AfterAFailedParseOnlyWholeValueWritesWork) {
  ASSERT_FALSE(json_.Parse("garbage"));
  json_.SetText("x", "v");
  json_.Append("v", "x");
  EXPECT_EQ(json_.ToJson(), "null");
  json_.Append("v");
  EXPECT_EQ(json_.ToJson(), R"(["v"])");
}

}  // namespace
}  // namespace mailvane

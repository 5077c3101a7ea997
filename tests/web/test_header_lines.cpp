#include <gtest/gtest.h>

#include "web/WebAccess.h"

namespace mailvane {
namespace {

struct LineCase {
  std::string line, name, value;
};

TEST(HeaderLine, SplitsAtFirstColonAndTrimsSpaces) {
  const LineCase cases[] = {
      {"X-Time: 10:30", "X-Time", "10:30"},
      {"  Name  :  v  ", "Name", "v"},
      {"\xA1\xA1Name\xA1\xA1:\xA1\xA1v\xA1\xA1", "Name", "v"},  // full-width spaces
      {"\tName:\tv\t", "\tName", "\tv\t"},                      // tabs are no spaces
      {"Name:", "Name", ""},
      {": value", "", "value"},
      {"no colon at all", "", ""},
      {"", "", ""},
      // 0x81 begins a two-byte character, so the colon after it is skipped.
      {"A\x81:B: c", "A\x81:B", "c"},
  };
  for (const LineCase& c : cases) {
    EXPECT_EQ(HeaderLineName(c.line), c.name) << c.line;
    EXPECT_EQ(HeaderLineValue(c.line), c.value) << c.line;
  }
}

}  // namespace
}  // namespace mailvane

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/ProfileFile.h"

namespace mailvane {
namespace {

namespace fs = std::filesystem;

// The settings file's section and keys in code page 936.
const std::string kSection = "\xB1\xA3\xB4\xE6\xCA\xFD\xBE\xDD";  // 保存数据
const std::string kNameKey = "\xD3\xCA\xCF\xE4ID";                 // 邮箱ID
const std::string kDomainKey = "\xD3\xCA\xCF\xE4" "dz";            // 邮箱dz
const std::string kCookiesKey = "cookies";

class ProfileFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "mailvane-profile-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    directory_ = pattern;
    path_ = (directory_ / "config.ini").string();
  }
  void TearDown() override { fs::remove_all(directory_); }

  void WriteFile(const std::string& content) const {
    std::ofstream(path_, std::ios::binary) << content;
  }
  std::string FileContent() const {
    std::ifstream in(path_, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
  }
  std::string Read(const std::string& key) const { return ReadProfileString(path_, kSection, key); }
  bool Write(const std::string& key, const std::string& value) const {
    return WriteProfileString(path_, kSection, key, value);
  }

  fs::path directory_;
  std::string path_;
};

TEST_F(ProfileFileTest, ThreeWritesFromScratch) {
  ASSERT_TRUE(Write(kNameKey, "box1"));
  ASSERT_TRUE(Write(kDomainKey, "example.invalid"));
  ASSERT_TRUE(Write(kCookiesKey, "a=1; b=2"));
  EXPECT_EQ(FileContent(), "[" + kSection + "]\r\n" + kNameKey + "=box1\r\n" + kDomainKey +
                               "=example.invalid\r\n" + kCookiesKey + "=a=1; b=2\r\n");
  EXPECT_EQ(Read(kNameKey), "box1");
  EXPECT_EQ(Read(kDomainKey), "example.invalid");
  EXPECT_EQ(Read(kCookiesKey), "a=1; b=2");
  // Nothing is left beside the file.
  EXPECT_EQ(std::distance(fs::directory_iterator(directory_), fs::directory_iterator()), 1);
}

TEST_F(ProfileFileTest, EmptyValueKeepsTheKeyLine) {
  ASSERT_TRUE(Write(kNameKey, "box1"));
  ASSERT_TRUE(Write(kNameKey, ""));
  EXPECT_EQ(FileContent(), "[" + kSection + "]\r\n" + kNameKey + "=\r\n");
  EXPECT_EQ(Read(kNameKey), "");
}

TEST_F(ProfileFileTest, MissingFileSectionOrKeyReadsEmpty) {
  EXPECT_EQ(Read(kNameKey), "");
  EXPECT_FALSE(fs::exists(path_));
  WriteFile("[other]\r\n" + kNameKey + "=x\r\n");
  EXPECT_EQ(Read(kNameKey), "");
  WriteFile("[" + kSection + "]\r\n");
  EXPECT_EQ(Read(kNameKey), "");
  EXPECT_EQ(Read(kCookiesKey), "");
}

TEST_F(ProfileFileTest, ReadingRules) {
  const struct {
    std::string name, file, section, key, expected;
  } cases[] = {
      {"LF-only lines", "[s]\nk=v\n", "s", "k", "v"},
      {"no final line break", "[s]\r\nk=v", "s", "k", "v"},
      {"ASCII case of names", "[Sec]\r\nKey=v\r\n", "sEC", "kEY", "v"},
      {"spaces around names and value", "  [ s ]  \r\n  k  =  a b  \r\n", "s", "k", "a b"},
      {"tabs around value", "[s]\r\nk=\tv\t\r\n", "s", "k", "v"},
      {"first key wins", "[s]\r\nk=1\r\nk=2\r\n", "s", "k", "1"},
      {"first section wins", "[s]\r\nj=1\r\n[s]\r\nk=2\r\n", "s", "k", ""},
      {"key of another section", "[s]\r\n[t]\r\nk=v\r\n", "s", "k", ""},
      {"value holds =", "[s]\r\nk=a=b\r\n", "s", "k", "a=b"},
      {"line without =", "[s]\r\nk\r\nk=v\r\n", "s", "k", "v"},
      {"key before any section", "k=v\r\n[s]\r\n", "s", "k", ""},
      {"two-byte names", "[" + kSection + "]\r\n" + "\xD3\xCA\xCF\xE4" "DZ=d\r\n", kSection,
       kDomainKey, "d"},
      {"second bytes not folded", "[s]\r\n\x81\x41=v\r\n", "s", "\x81\x61", ""},
      {"bracket as second byte", "[\x81]]\r\nk=v\r\n", "\x81]", "k", "v"},
      {"invalid bytes", "[s]\r\nk=\x81\xFF\x80\r\n\x81", "s", "k", "\x81\xFF\x80"},
  };
  for (const auto& c : cases) {
    WriteFile(c.file);
    EXPECT_EQ(ReadProfileString(path_, c.section, c.key), c.expected) << c.name;
  }
}

TEST_F(ProfileFileTest, LongValueIsReadWhole) {
  const std::string cookies(50000, 'c');
  ASSERT_TRUE(Write(kCookiesKey, cookies));
  EXPECT_EQ(Read(kCookiesKey), cookies);
}

TEST_F(ProfileFileTest, WriteChangesOnlyTheKeysLine) {
  const struct {
    std::string name, before, key, value, after;
  } cases[] = {
      {"replaced in place", "; note\r\n[s]\r\nk=old\r\nj=1\r\n\r\n[t]\r\nk=t\r\n", "k", "new",
       "; note\r\n[s]\r\nk=new\r\nj=1\r\n\r\n[t]\r\nk=t\r\n"},
      {"name as the file spells it", "[S]\r\n K =old\r\n", "k", "new", "[S]\r\n K =new\r\n"},
      {"LF-only line stays LF", "[s]\nk=old\nj=1\n", "k", "new", "[s]\nk=new\nj=1\n"},
      {"new key after the section's last line", "[s]\r\nj=1\r\n\r\n[t]\r\nk=t\r\n", "k", "v",
       "[s]\r\nj=1\r\nk=v\r\n\r\n[t]\r\nk=t\r\n"},
      {"new key in an empty section", "[s]\r\n[t]\r\n", "k", "v", "[s]\r\nk=v\r\n[t]\r\n"},
      {"new section at the end", "[t]\r\nk=t", "k", "v", "[t]\r\nk=t\r\n[s]\r\nk=v\r\n"},
      {"only the first key", "[s]\r\nk=1\r\nk=2\r\n", "k", "3", "[s]\r\nk=3\r\nk=2\r\n"},
      {"line breaks in value", "[s]\r\nk=old\r\nj=1\r\n", "k", "a\r\nb\nc\rd",
       "[s]\r\nk=a  b c d\r\nj=1\r\n"},
  };
  for (const auto& c : cases) {
    WriteFile(c.before);
    ASSERT_TRUE(WriteProfileString(path_, "s", c.key, c.value)) << c.name;
    EXPECT_EQ(FileContent(), c.after) << c.name;
  }
}

TEST_F(ProfileFileTest, FailedWriteReportsFalseAndKeepsTheFile) {
  EXPECT_FALSE(WriteProfileString((directory_ / "missing" / "config.ini").string(), kSection,
                                  kNameKey, "x"));
  // A path that exists but cannot be read as a file is not replaced.
  fs::create_directory(path_);
  EXPECT_FALSE(Write(kNameKey, "x"));
  EXPECT_TRUE(fs::is_directory(path_));
  EXPECT_EQ(Read(kNameKey), "");
  EXPECT_EQ(std::distance(fs::directory_iterator(directory_), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace mailvane

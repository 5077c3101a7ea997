#include "app/ProfileFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <vector>

namespace mailvane {

namespace {

// ---- Reading and writing whole files ----

enum class FileState { kRead, kMissing, kUnreadable };

FileState ReadWholeFile(const std::string& path, std::string& content) {
  content.clear();
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? FileState::kMissing : FileState::kUnreadable;
  char buffer[65536];
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      close(fd);
      return FileState::kUnreadable;
    }
    if (got == 0) break;
    content.append(buffer, static_cast<size_t>(got));
  }
  close(fd);
  return FileState::kRead;
}

bool WriteAll(int fd, std::string_view content) {
  while (!content.empty()) {
    const ssize_t written = write(fd, content.data(), content.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    content.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

void SyncDirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  const std::string directory = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

// The new content goes to a temporary file beside the old one, which is then
// renamed over it: a crash leaves either the old file or the new one whole.
bool ReplaceFile(const std::string& path, std::string_view content) {
  std::string temporary = path + ".XXXXXX";
  const int fd = mkstemp(temporary.data());  // mode 0600: the file holds cookies
  if (fd < 0) return false;
  struct stat old {};
  if (stat(path.c_str(), &old) == 0) fchmod(fd, old.st_mode & 07777);
  bool ok = WriteAll(fd, content) && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  ok = ok && rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) {
    unlink(temporary.c_str());
    return false;
  }
  SyncDirectoryOf(path);
  return true;
}

// ---- The profile format ----

struct Line {
  std::string text;    // without its line break
  std::string ending;  // "\r\n", "\n" or, for a last line without one, ""
};

std::vector<Line> SplitLines(std::string_view content) {
  std::vector<Line> lines;
  while (!content.empty()) {
    const size_t feed = content.find('\n');
    std::string_view text = content.substr(0, feed);
    std::string ending;
    if (feed != std::string_view::npos) {
      ending = "\n";
      if (!text.empty() && text.back() == '\r') {
        text.remove_suffix(1);
        ending = "\r\n";
      }
      content.remove_prefix(feed + 1);
    } else {
      content = {};
    }
    lines.push_back({std::string(text), std::move(ending)});
  }
  return lines;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Index of the first c in text where a character begins (a byte of 0x80 or
// more begins a two-byte character, whose second byte may look like "]").
size_t FindChar(std::string_view text, char c, size_t from = 0) {
  for (size_t i = from; i < text.size(); i += static_cast<unsigned char>(text[i]) >= 0x80 ? 2 : 1)
    if (text[i] == c) return i;
  return std::string_view::npos;
}

// A name as compared: blanks around it dropped, single-byte A-Z folded;
// two-byte characters are kept as they are.
std::string FoldedName(std::string_view name) {
  name = TrimBlanks(name);
  std::string folded;
  folded.reserve(name.size());
  for (size_t i = 0; i < name.size(); ++i) {
    const auto byte = static_cast<unsigned char>(name[i]);
    if (byte >= 0x80) {
      folded.append(name.substr(i, 2));
      ++i;
    } else {
      folded.push_back(byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte + 32) : name[i]);
    }
  }
  return folded;
}

// The name of a "[name]" line, or nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
  line = TrimBlanks(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  const size_t close = FindChar(line, ']', 1);
  if (close == std::string_view::npos) return std::nullopt;
  return line.substr(1, close - 1);
}

struct Location {
  std::optional<size_t> section;  // index of the section's "[name]" line
  size_t sectionEnd = 0;          // index after the section's last line
  std::optional<size_t> key;      // index of the key's line
  size_t equals = 0;              // where "=" is in that line
};

// The first section of that name, and in it the first key of that name.
Location Locate(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
  const std::string wantedSection = FoldedName(section);
  const std::string wantedKey = FoldedName(key);
  Location found;
  size_t i = 0;
  for (; i < lines.size() && !found.section; ++i) {
    const auto name = SectionName(lines[i].text);
    if (name && FoldedName(*name) == wantedSection) found.section = i;
  }
  for (; i < lines.size() && !SectionName(lines[i].text); ++i) {
    if (found.key) continue;
    const size_t equals = FindChar(lines[i].text, '=');
    if (equals != std::string_view::npos &&
        FoldedName(std::string_view(lines[i].text).substr(0, equals)) == wantedKey) {
      found.key = i;
      found.equals = equals;
    }
  }
  found.sectionEnd = i;
  return found;
}

std::string JoinLines(const std::vector<Line>& lines) {
  std::string content;
  for (const Line& line : lines) content.append(line.text).append(line.ending);
  return content;
}

// A value is one line: its line breaks become spaces.
std::string OneLine(std::string_view value) {
  std::string line(value);
  for (char& c : line)
    if (c == '\r' || c == '\n') c = ' ';
  return line;
}

}  // namespace

std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key) {
  std::string content;
  if (ReadWholeFile(path, content) != FileState::kRead) return {};
  const std::vector<Line> lines = SplitLines(content);
  const Location found = Locate(lines, section, key);
  if (!found.key) return {};
  return std::string(TrimBlanks(std::string_view(lines[*found.key].text).substr(found.equals + 1)));
}

bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
  std::string content;
  // A file that exists but cannot be read is not replaced: its lines would be lost.
  if (ReadWholeFile(path, content) == FileState::kUnreadable) return false;
  std::vector<Line> lines = SplitLines(content);
  const Location found = Locate(lines, section, key);
  const std::string newValue = OneLine(value);

  if (found.key) {
    std::string& text = lines[*found.key].text;
    text.replace(found.equals + 1, std::string::npos, newValue);
  } else {
    Line keyLine{std::string(key) + "=" + newValue, "\r\n"};
    size_t insertAt = lines.size();
    if (found.section) {
      // After the section's last line that is not blank, so the blank lines
      // before the next section stay there.
      insertAt = found.sectionEnd;
      while (insertAt > *found.section + 1 && TrimBlanks(lines[insertAt - 1].text).empty())
        --insertAt;
    }
    if (insertAt > 0 && lines[insertAt - 1].ending.empty()) lines[insertAt - 1].ending = "\r\n";
    auto at = lines.begin() + static_cast<std::ptrdiff_t>(insertAt);
    at = lines.insert(at, std::move(keyLine));
    if (!found.section) lines.insert(at, Line{"[" + std::string(section) + "]", "\r\n"});
  }
  return ReplaceFile(path, JoinLines(lines));
}

}  // namespace mailvane

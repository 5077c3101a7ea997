#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "app/ProfileFile.h"
#include "text/CodePage.h"

// Any file content: read the three keys, write one, read it back.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/mailvane-fuzz-" + std::to_string(getpid()) + ".ini";
  static const std::string section = mailvane::Utf8ToLocal("保存数据");
  static const std::string key = mailvane::Utf8ToLocal("邮箱ID");
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  mailvane::ReadProfileString(path, section, key);
  mailvane::ReadProfileString(path, section, "cookies");
  if (!mailvane::WriteProfileString(path, section, key, "abc")) return 0;
  if (mailvane::ReadProfileString(path, section, key) != "abc") __builtin_trap();
  std::remove(path.c_str());
  return 0;
}

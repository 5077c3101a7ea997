#pragma once
// Profile (INI) files as the settings file keeps them: code page 936 bytes,
// CR LF lines, "[section]" lines and "key=value" lines. No Qt here.
#include <string>
#include <string_view>

namespace mailvane {

// The value of key in section; empty text when the file, the section or the
// key is missing. Section and key names match without regard to ASCII letter
// case and to spaces around them; the first matching key wins; values are
// read whole and trimmed of surrounding spaces.
std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key);

// Writes key=value into section, creating the file and the section when
// missing and replacing the key's earlier value in place; every other line
// stays as it was. The file is replaced atomically (temporary file, then
// rename). Line breaks in the value are stored as spaces. False on failure.
bool WriteProfileString(const std::string& path, std::string_view section,
                        std::string_view key, std::string_view value);

}  // namespace mailvane

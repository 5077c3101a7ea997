#pragma once
// Code-page conversion through ICU's windows-936 converter (byte 0x80 is the
// euro sign, as on the original platform). Characters the target cannot hold
// become "?"; invalid input bytes never read out of bounds.
#include <string>
#include <string_view>

#include "text/Text.h"

namespace mailvane {

constexpr int kCodePageGbk = 936;
constexpr int kCodePageUtf8 = 65001;

// text -> UTF-16 little-endian bytes with a zero terminator (two zero bytes).
// Decodes with codePage when useCodePage is true, else as UTF-8.
Bytes TextToUtf16(std::string_view text, int codePage, bool useCodePage);

// UTF-16 little-endian bytes -> text, up to the first zero character. Encodes
// with codePage when useCodePage is true, else with the local code page (936).
std::string Utf16ToText(std::string_view utf16, int codePage, bool useCodePage);

// Bytes in codePage -> UTF-16 code units. Invalid sequences become U+FFFD;
// an unknown code page gives nothing.
std::u16string DecodeCodePage(std::string_view bytes, int codePage);

// UTF-16 code units -> bytes in codePage. What the code page cannot hold,
// unpaired surrogates included, becomes "?"; an unknown code page gives nothing.
std::string EncodeCodePage(std::u16string_view units, int codePage);

// UTF-8 bytes -> local text (code page 936).
std::string Utf8ToLocal(std::string_view utf8);

// Local text (code page 936) -> UTF-8 bytes. Used at the edges: Qt, JSON, the wire.
std::string LocalToUtf8(std::string_view local);

}  // namespace mailvane

#pragma once
// Texts of Mailvane are code page 936 (GBK) bytes held in std::string, from
// end to end; conversion happens only at the edges (Qt, JSON, the wire).
// Positions count bytes from 1. A byte of 0x80 or more begins a two-byte
// character, and searches step over such a character whole.
#include <string>
#include <string_view>
#include <vector>

namespace mailvane {

// Bytes: any bytes, zero bytes included (answers, images, UTF-16 buffers).
using Bytes = std::string;

// The bytes up to the first zero byte, taken as local text without conversion:
// how every answer of the service becomes text.
std::string AnswerText(std::string_view bytes);

// First position (1-based) of marker in text at or after startPosition, where a
// character begins; -1 when not found. An empty marker is found at 1 while at
// least one byte remains from startPosition. ignoreCase folds A-Z only.
int FindText(std::string_view text, std::string_view marker, int startPosition = 1,
             bool ignoreCase = false);

// Every occurrence of from replaced by to, left to right, character-aware.
std::string ReplaceText(std::string_view text, std::string_view from, std::string_view to,
                        bool ignoreCase = false);

// Removes ASCII spaces (0x20) and full-width spaces (0xA1 0xA1) at both ends.
std::string TrimSpaces(std::string_view text);

// Removes every ASCII space and full-width space, character-aware.
std::string RemoveSpaces(std::string_view text);

// The pieces between separators, character-aware. A piece may be empty; an
// empty piece after a final separator is not counted; an empty text has none.
// The views point into text.
std::vector<std::string_view> SplitText(std::string_view text, std::string_view separator);

// The piece after the first leftMarker and before the next rightMarker; empty
// when either is missing. "#引号" in a marker stands for a double quote.
std::string TextBetween(std::string_view text, std::string_view leftMarker,
                        std::string_view rightMarker, int startPosition = 1,
                        bool ignoreCase = false);

}  // namespace mailvane

#pragma once
// Windows-1252: the single-byte code page used wherever a tag byte stands for
// one character (ID3v1 fields, ID3v2 encoding 0, Lyrics3, id3lib strings).
// Strings at the API are UTF-8.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/Types.h"

namespace korvel {

// The character a byte stands for. The five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control of the same
// value, so that every byte survives a round trip.
char32_t AnsiByteToCodePoint(uint8_t byte);

// The byte for a character, or -1 when the code page lacks it.
int CodePointToAnsiByte(char32_t cp);

// Decodes bytes, one character per byte. Zero bytes become U+0000.
std::string AnsiToUtf8(std::string_view bytes);
std::string AnsiToUtf8(const Bytes& bytes);
std::string AnsiToUtf8(const uint8_t* data, size_t size);
// As AnsiToUtf8, leaving out every byte below `lowest` (AnsiToUtf8 keeps all).
std::string AnsiToUtf8Keeping(const uint8_t* data, size_t size, uint8_t lowest);

// Encodes UTF-8 text; a character the code page lacks (or a malformed UTF-8
// sequence) becomes '?'.
std::string Utf8ToAnsi(std::string_view text);
Bytes Utf8ToAnsiBytes(std::string_view text);

// True when every character of the text has a byte in the code page.
bool IsAnsiRepresentable(std::string_view text);

// UTF-8 <-> UTF-32 / UTF-16 helpers. Malformed UTF-8 decodes as U+FFFD;
// unpaired surrogates encode as U+FFFD.
std::u32string Utf8ToUtf32(std::string_view text);
std::string Utf32ToUtf8(std::u32string_view text);
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);
// UTF-16 bytes, read in the given order until a byte-order mark sets another
// (marks produce no character; the order they set is left in `bigEndian`
// for the strings that follow); a trailing odd byte is ignored.
std::string Utf16BytesToUtf8(std::span<const uint8_t> bytes, bool& bigEndian);
void AppendUtf8(std::string& out, char32_t cp);

// Number of characters (code points) in UTF-8 text.
size_t Utf8Length(std::string_view text);
// The first n characters of UTF-8 text.
std::string Utf8Left(std::string_view text, size_t n);

// Removes leading and trailing U+0020 blanks (nothing else).
std::string TrimBlanks(std::string_view text);

}  // namespace korvel

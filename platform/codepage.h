// Code page 1251, the system's ANSI code page and the "Russian" locale of the
// program, from a table of our own (Linux has no such locale), and the
// conversions between wide text, code page 1251 bytes and UTF-8.
#pragma once

#include <string>

namespace platform {

// The wide character for a code page 1251 byte. Every byte maps to one
// character (0x98, unassigned, maps to U+0098).
wchar_t Cp1251ToWide(unsigned char byte);

// The code page 1251 byte for a wide character; `fallback` when 1251 cannot
// hold it. Returns true when the character was representable.
bool WideToCp1251(wchar_t c, char fallback, char* out);
char WideToCp1251(wchar_t c, char fallback = '?');

std::string WideToCp1251String(const std::wstring& text, char fallback = '?');
std::wstring Cp1251ToWideString(const std::string& bytes);

// UTF-8 <-> wide. Invalid UTF-8 sequences become U+FFFD.
std::string WideToUtf8(const std::wstring& text);
std::wstring Utf8ToWide(const std::string& text);

// An 8-bit path in code page 1251 as the file system names it (UTF-8).
std::string Cp1251PathToUtf8(const std::string& path);

// Paths between the file system's bytes and wide text. A name need not be
// UTF-8: each byte that is not part of a valid UTF-8 sequence travels in the
// wide text as the lone surrogate U+DC80 ... U+DCFF (U+DC00 + the byte) and
// becomes that byte again on the way back, so a path from the system reaches
// it again byte for byte.
std::wstring PathToWide(const std::string& bytes);
std::string WidePathToUtf8(const std::wstring& path);
// A wide path for people to read: the bytes carried as surrogates shown as
// U+FFFD.
std::wstring PathForDisplay(const std::wstring& path);

} // namespace platform

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
// A wide path as the file system names it (UTF-8).
inline std::string WidePathToUtf8(const std::wstring& path)
{
    return WideToUtf8(path);
}

} // namespace platform

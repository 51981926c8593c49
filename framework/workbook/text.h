// Text conversions of the results workbook. Every text bound for the XML
// library (the file path, the worksheet name, the cell texts) is first
// narrowed to code page 1251, the program's "Russian" code page, and handed
// over from those bytes; texts read from the document come back the same way.
#pragma once

#include <string>

#include <xercesc/util/XercesDefs.hpp>

// The code page 1251 byte of c: a double quote becomes an apostrophe, a
// character that the code page cannot hold becomes '?'.
char NarrowChar(wchar_t c);

// Writes NarrowChar of each character of [first, last) to dest, one byte per
// character, and returns dest + (last - first). The caller sizes dest.
char* NarrowString(const wchar_t* first, const wchar_t* last, char* dest);

// The character of code page 1251 byte c.
wchar_t WidenChar(char c);

namespace workbook {

// NarrowString of the whole text into a string of its own.
std::string Narrow(const std::wstring& text);
// WidenChar of every byte.
std::wstring Widen(const std::string& bytes);

// Code page 1251 bytes as XML text (UTF-16). A character that XML 1.0 does
// not allow in a document (most control characters) becomes '?', so that
// every file written reads back.
std::u16string ToXml(const std::string& cp1251);
// XML text as code page 1251 bytes, '?' for what the code page cannot hold.
// A null text gives "".
std::string FromXml(const XMLCh* text);
// XML text as wide text (surrogate pairs joined). A null text gives L"".
std::wstring XmlToWide(const XMLCh* text);

// The XMLCh view of a UTF-16 string.
inline const XMLCh* X(const std::u16string& s)
{
    return s.c_str();
}

} // namespace workbook

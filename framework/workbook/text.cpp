#include "framework/workbook/text.h"

#include "platform/codepage.h"

char NarrowChar(wchar_t c)
{
    if (c == L'"')
        return '\'';
    return platform::WideToCp1251(c, '?');
}

char* NarrowString(const wchar_t* first, const wchar_t* last, char* dest)
{
    for (; first != last; ++first, ++dest)
        *dest = NarrowChar(*first);
    return dest;
}

wchar_t WidenChar(char c)
{
    return platform::Cp1251ToWide(static_cast<unsigned char>(c));
}

namespace workbook {

namespace {

// Characters of XML 1.0 below U+0020 are TAB, LF and CR only.
bool AllowedInXml(char16_t c)
{
    return c >= 0x20 || c == 0x09 || c == 0x0A || c == 0x0D;
}

} // namespace

std::string Narrow(const std::wstring& text)
{
    std::string out(text.size(), '\0');
    NarrowString(text.data(), text.data() + text.size(), &out[0]);
    return out;
}

std::wstring Widen(const std::string& bytes)
{
    std::wstring out;
    out.reserve(bytes.size());
    for (char b : bytes)
        out += WidenChar(b);
    return out;
}

std::u16string ToXml(const std::string& cp1251)
{
    std::u16string out;
    out.reserve(cp1251.size());
    for (char b : cp1251) {
        // Every character of code page 1251 lies in the basic plane.
        char16_t c = static_cast<char16_t>(WidenChar(b));
        out += AllowedInXml(c) ? c : u'?';
    }
    return out;
}

std::wstring XmlToWide(const XMLCh* text)
{
    std::wstring out;
    if (!text)
        return out;
    for (const XMLCh* p = text; *p; ++p) {
        char32_t c = *p;
        if (c >= 0xD800 && c <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (p[1] - 0xDC00);
            ++p;
        }
        out += static_cast<wchar_t>(c);
    }
    return out;
}

std::string FromXml(const XMLCh* text)
{
    std::wstring wide = XmlToWide(text);
    std::string out;
    out.reserve(wide.size());
    for (wchar_t c : wide)
        out += platform::WideToCp1251(c, '?');
    return out;
}

} // namespace workbook

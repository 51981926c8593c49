#include "platform/codepage.h"

#include <unordered_map>

namespace platform {

namespace {

// Upper half of code page 1251 (0x80..0xBF); 0xC0..0xFF are U+0410..U+044F.
const wchar_t kUpper[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

const std::unordered_map<wchar_t, unsigned char>& ReverseTable()
{
    static const std::unordered_map<wchar_t, unsigned char> table = [] {
        std::unordered_map<wchar_t, unsigned char> t;
        for (int i = 0; i < 64; ++i)
            t[kUpper[i]] = static_cast<unsigned char>(0x80 + i);
        return t;
    }();
    return table;
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace

wchar_t Cp1251ToWide(unsigned char byte)
{
    if (byte < 0x80) return static_cast<wchar_t>(byte);
    if (byte >= 0xC0) return static_cast<wchar_t>(0x0410 + (byte - 0xC0));
    return kUpper[byte - 0x80];
}

bool WideToCp1251(wchar_t c, char fallback, char* out)
{
    if (c >= 0 && c < 0x80) {
        *out = static_cast<char>(c);
        return true;
    }
    if (c >= 0x0410 && c <= 0x044F) {
        *out = static_cast<char>(0xC0 + (c - 0x0410));
        return true;
    }
    const auto& table = ReverseTable();
    auto it = table.find(c);
    if (it != table.end()) {
        *out = static_cast<char>(it->second);
        return true;
    }
    *out = fallback;
    return false;
}

char WideToCp1251(wchar_t c, char fallback)
{
    char out;
    WideToCp1251(c, fallback, &out);
    return out;
}

std::string WideToCp1251String(const std::wstring& text, char fallback)
{
    std::string out;
    out.reserve(text.size());
    for (wchar_t c : text)
        out += WideToCp1251(c, fallback);
    return out;
}

std::wstring Cp1251ToWideString(const std::string& bytes)
{
    std::wstring out;
    out.reserve(bytes.size());
    for (char b : bytes)
        out += Cp1251ToWide(static_cast<unsigned char>(b));
    return out;
}

std::string WideToUtf8(const std::wstring& text)
{
    std::string out;
    out.reserve(text.size());
    for (wchar_t w : text) {
        char32_t c = static_cast<char32_t>(w);
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
        AppendUtf8(out, c);
    }
    return out;
}

namespace {

// The first surrogate of those that carry one byte each.
constexpr char32_t kByteCarrier = 0xDC00;

// Decodes UTF-8; an invalid sequence becomes U+FFFD whole, or, with
// carryBytes, each of its bytes becomes a carrying surrogate.
std::wstring DecodeUtf8(const std::string& text, bool carryBytes)
{
    std::wstring out;
    out.reserve(text.size());
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        char32_t c;
        int extra;
        if (b < 0x80) {
            c = b;
            extra = 0;
        } else if ((b & 0xE0) == 0xC0) {
            c = b & 0x1F;
            extra = 1;
        } else if ((b & 0xF0) == 0xE0) {
            c = b & 0x0F;
            extra = 2;
        } else if ((b & 0xF8) == 0xF0) {
            c = b & 0x07;
            extra = 3;
        } else {
            out += carryBytes ? static_cast<wchar_t>(kByteCarrier + b) : L'\xFFFD';
            ++i;
            continue;
        }
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= n) {
                ok = false;
                break;
            }
            unsigned char cb = static_cast<unsigned char>(text[i + k]);
            if ((cb & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            c = (c << 6) | (cb & 0x3F);
        }
        if (!ok) {
            out += carryBytes ? static_cast<wchar_t>(kByteCarrier + b) : L'\xFFFD';
            ++i;
            continue;
        }
        static const char32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
        if (c < kMin[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            if (carryBytes) {
                // Overlong, beyond Unicode or a surrogate: bytes, not a character.
                out += static_cast<wchar_t>(kByteCarrier + b);
                ++i;
                continue;
            }
            c = 0xFFFD;
        }
        out += static_cast<wchar_t>(c);
        i += extra + 1;
    }
    return out;
}

bool IsCarriedByte(wchar_t w)
{
    const char32_t c = static_cast<char32_t>(w);
    return c >= kByteCarrier + 0x80 && c <= kByteCarrier + 0xFF;
}

} // namespace

std::wstring Utf8ToWide(const std::string& text)
{
    return DecodeUtf8(text, false);
}

std::wstring PathToWide(const std::string& bytes)
{
    return DecodeUtf8(bytes, true);
}

std::string WidePathToUtf8(const std::wstring& path)
{
    std::string out;
    out.reserve(path.size());
    for (wchar_t w : path) {
        char32_t c = static_cast<char32_t>(w);
        if (IsCarriedByte(w)) {
            out += static_cast<char>(c - kByteCarrier);
            continue;
        }
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
        AppendUtf8(out, c);
    }
    return out;
}

std::wstring PathForDisplay(const std::wstring& path)
{
    std::wstring out = path;
    for (wchar_t& w : out)
        if (IsCarriedByte(w)) w = L'\xFFFD';
    return out;
}

std::string Cp1251PathToUtf8(const std::string& path)
{
    return WideToUtf8(Cp1251ToWideString(path));
}

} // namespace platform

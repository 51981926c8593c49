// MultiByteToWideChar and WideCharToMultiByte for the ANSI code page (1251)
// and UTF-8.
#include "platform/codepage.h"
#include "platform/kernel32.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

namespace {

bool IsAnsi(UINT codePage)
{
    return codePage == CP_ACP || codePage == CP_1251;
}

// Copies `result` out, or only measures it when the buffer size is 0.
template <typename Char>
int Deliver(const std::basic_string<Char>& result, Char* out, int outCount)
{
    const int needed = static_cast<int>(result.size());
    if (outCount == 0) return needed;
    if (out == nullptr || outCount < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::copy(result.begin(), result.end(), out);
    return needed;
}

} // namespace

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteCount,
                        LPWSTR wide, int wideCount)
{
    if (multiByte == nullptr || multiByteCount == 0 || multiByteCount < -1 || wideCount < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (!IsAnsi(codePage) && codePage != CP_UTF8) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if ((flags & ~static_cast<DWORD>(MB_ERR_INVALID_CHARS)) != 0) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    // A count of -1 takes the text up to and including its terminating zero.
    size_t length =
        multiByteCount == -1 ? std::strlen(multiByte) + 1 : static_cast<size_t>(multiByteCount);
    std::string bytes(multiByte, length);

    std::wstring result;
    if (IsAnsi(codePage)) {
        result = platform::Cp1251ToWideString(bytes);
    } else {
        result = platform::Utf8ToWide(bytes);
        // Valid UTF-8 survives the way back unchanged; anything else held
        // sequences that were replaced.
        if ((flags & MB_ERR_INVALID_CHARS) != 0 && platform::WideToUtf8(result) != bytes) {
            SetLastError(ERROR_NO_UNICODE_TRANSLATION);
            return 0;
        }
    }
    return Deliver(result, wide, wideCount);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideCount, LPSTR multiByte,
                        int multiByteCount, LPCSTR defaultChar, BOOL* usedDefaultChar)
{
    if (wide == nullptr || wideCount == 0 || wideCount < -1 || multiByteCount < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t length = wideCount == -1 ? std::wcslen(wide) + 1 : static_cast<size_t>(wideCount);
    std::wstring text(wide, length);

    std::string result;
    if (IsAnsi(codePage)) {
        if ((flags & ~static_cast<DWORD>(WC_NO_BEST_FIT_CHARS)) != 0) {
            SetLastError(ERROR_INVALID_FLAGS);
            return 0;
        }
        const char fallback = defaultChar != nullptr ? defaultChar[0] : '?';
        bool usedDefault = false;
        result.reserve(text.size());
        for (wchar_t c : text) {
            char byte;
            if (!platform::WideToCp1251(c, fallback, &byte)) usedDefault = true;
            result += byte;
        }
        if (usedDefaultChar != nullptr) *usedDefaultChar = usedDefault ? TRUE : FALSE;
    } else if (codePage == CP_UTF8) {
        // UTF-8 has no default character, as on Windows.
        if (defaultChar != nullptr || usedDefaultChar != nullptr) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        if ((flags & ~static_cast<DWORD>(WC_ERR_INVALID_CHARS)) != 0) {
            SetLastError(ERROR_INVALID_FLAGS);
            return 0;
        }
        result = platform::WideToUtf8(text);
        if ((flags & WC_ERR_INVALID_CHARS) != 0 && platform::Utf8ToWide(result) != text) {
            SetLastError(ERROR_NO_UNICODE_TRANSLATION);
            return 0;
        }
    } else {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return Deliver(result, multiByte, multiByteCount);
}

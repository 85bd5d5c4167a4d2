#include "platform/win32/Text_win.h"

#include <windows.h>

#include <climits>
#include <stdexcept>

namespace velt::platform::win32 {

namespace {

int CheckedLength(std::size_t size) {
    if (size > static_cast<std::size_t>(INT_MAX)) {
        throw std::length_error("text too long to convert");
    }
    return static_cast<int>(size);
}

}  // namespace

std::wstring CodePageToWide(unsigned codePage, std::string_view bytes) {
    if (bytes.empty()) {
        return {};
    }
    const int length = CheckedLength(bytes.size());
    // No MB_ERR_INVALID_CHARS: invalid bytes turn into replacement characters.
    const int needed = ::MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
    if (needed <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    const int written = ::MultiByteToWideChar(codePage, 0, bytes.data(), length, wide.data(), needed);
    wide.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    return wide;
}

std::string WideToCodePage(unsigned codePage, std::wstring_view wide) {
    if (wide.empty()) {
        return {};
    }
    const int length = CheckedLength(wide.size());
    const int needed = ::WideCharToMultiByte(codePage, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        return {};
    }
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    const int written =
        ::WideCharToMultiByte(codePage, 0, wide.data(), length, bytes.data(), needed, nullptr, nullptr);
    bytes.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    return bytes;
}

std::wstring Utf8ToWide(std::string_view utf8) { return CodePageToWide(CP_UTF8, utf8); }

std::string WideToUtf8(std::wstring_view wide) { return WideToCodePage(CP_UTF8, wide); }

}  // namespace velt::platform::win32

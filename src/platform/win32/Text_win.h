// Text conversions at the edge to Windows: UTF-8 inside the program, UTF-16 for the W functions
// and the ANSI code page where Windows is handed ANSI bytes. Bytes that are not valid in the
// source encoding become replacement characters; they never make a conversion fail.
#pragma once

#include <string>
#include <string_view>

namespace velt::platform::win32 {

std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

// codePage: CP_ACP, CP_UTF8 or any code page number Windows knows.
std::wstring CodePageToWide(unsigned codePage, std::string_view bytes);
std::string WideToCodePage(unsigned codePage, std::wstring_view wide);

}  // namespace velt::platform::win32

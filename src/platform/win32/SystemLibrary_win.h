// Functions of system DLLs found at run time: those newer than the oldest Windows the program
// runs on, and those of DLLs loaded only when first needed.
#pragma once

#include <windows.h>

#include <cstring>

namespace velt::platform::win32 {

// Sets `function` to `name` in `module`; false, and `function` null, when it is not there.
template <class F>
bool BindProc(HMODULE module, const char* name, F& function) noexcept {
    const FARPROC found = module != nullptr ? ::GetProcAddress(module, name) : nullptr;
    static_assert(sizeof function == sizeof found);
    std::memcpy(&function, &found, sizeof function);
    return found != nullptr;
}

// Loads `name` from the system folder and from nowhere else: a copy beside the program is never
// taken. nullptr when it cannot be loaded.
HMODULE LoadSystemLibrary(const wchar_t* name) noexcept;

}  // namespace velt::platform::win32

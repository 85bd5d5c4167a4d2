// The single instance: a named mutex that the first running copy of the program holds.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "platform/win32/ScopedWin.h"

namespace velt::platform::win32 {

class SingleInstance {
public:
    static constexpr const wchar_t* kProgramName = L"Local\\VeltPCTimer-d9099358-947f-4815-a08e-20844d15ad77";

    // `name` names the mutex; tests use names of their own.
    explicit SingleInstance(std::wstring name);

    // Asked once: the answer, and the claim of a first instance, last as long as this object.
    bool AnotherIsRunning();

private:
    std::wstring name_;
    UniqueHandle mutex_;
    std::optional<bool> anotherInstance_;
};

}  // namespace velt::platform::win32

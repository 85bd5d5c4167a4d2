#include "platform/win32/SingleInstance_win.h"

#include <utility>

namespace velt::platform::win32 {

SingleInstance::SingleInstance(std::wstring name) : name_(std::move(name)) {}

bool SingleInstance::AnotherIsRunning() {
    if (anotherInstance_) {
        return *anotherInstance_;
    }
    // Creating the named mutex is one atomic step in the kernel: of any number of simultaneous
    // starts exactly one creates it, the others find it.
    ::SetLastError(ERROR_SUCCESS);
    UniqueHandle mutex(::CreateMutexW(nullptr, FALSE, name_.c_str()));
    const DWORD error = ::GetLastError();
    if (!mutex) {
        // Access denied: the mutex exists and belongs to an instance running with other rights.
        anotherInstance_ = error == ERROR_ACCESS_DENIED;
    } else if (error == ERROR_ALREADY_EXISTS) {
        anotherInstance_ = true;  // the first instance keeps the claim; this one lets go
    } else {
        mutex_ = std::move(mutex);
        anotherInstance_ = false;
    }
    return *anotherInstance_;
}

}  // namespace velt::platform::win32

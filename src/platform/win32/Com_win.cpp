#include "platform/win32/Com_win.h"

#include "platform/win32/SystemLibrary_win.h"

namespace velt::platform::win32 {

namespace {

bool Load(ComFunctions& com) noexcept {
    const HMODULE ole32 = LoadSystemLibrary(L"ole32.dll");
    const HMODULE oleaut32 = LoadSystemLibrary(L"oleaut32.dll");
    const bool all = BindProc(ole32, "CoInitializeEx", com.CoInitializeEx) &&
                     BindProc(ole32, "CoUninitialize", com.CoUninitialize) &&
                     BindProc(ole32, "CreateStreamOnHGlobal", com.CreateStreamOnHGlobal) &&
                     BindProc(oleaut32, "OleLoadPicture", com.OleLoadPicture);
    if (!all) {
        if (ole32 != nullptr) ::FreeLibrary(ole32);
        if (oleaut32 != nullptr) ::FreeLibrary(oleaut32);
    }
    return all;
}

}  // namespace

const ComFunctions* Com() noexcept {
    // Constant-initialized, loaded at the first call (the windows' thread asks): a guarded static
    // would link the C++ runtime's thread library into the program for this one use.
    static ComFunctions com{};
    static signed char loaded = -1;  // not tried yet
    if (loaded < 0) loaded = Load(com) ? 1 : 0;
    return loaded > 0 ? &com : nullptr;
}

ApartmentScope::ApartmentScope(DWORD flags) noexcept
    : com_(Com()), joined_(com_ != nullptr && SUCCEEDED(com_->CoInitializeEx(nullptr, flags))) {}

ApartmentScope::~ApartmentScope() {
    if (joined_) com_->CoUninitialize();
}

}  // namespace velt::platform::win32

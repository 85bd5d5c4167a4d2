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
    // Constant-initialized and loaded through InitOnce: a guarded static would link the C++
    // runtime's thread library into the program for this one use.
    static INIT_ONCE once = INIT_ONCE_STATIC_INIT;
    static ComFunctions com{};
    static bool loaded = false;
    ::InitOnceExecuteOnce(
        &once,
        [](PINIT_ONCE, PVOID, PVOID*) noexcept -> BOOL {
            loaded = Load(com);
            return TRUE;
        },
        nullptr, nullptr);
    return loaded ? &com : nullptr;
}

ApartmentScope::ApartmentScope(DWORD flags) noexcept
    : com_(Com()), joined_(com_ != nullptr && SUCCEEDED(com_->CoInitializeEx(nullptr, flags))) {}

ApartmentScope::~ApartmentScope() {
    if (joined_) com_->CoUninitialize();
}

}  // namespace velt::platform::win32

// COM and the picture decoder, loaded from the system folder the first time they are needed.
// Imported, they would be loaded (with the RPC runtime beneath them) by every start, although
// the program starts hidden and may never decode a picture nor open a web page.
#pragma once

#include <windows.h>

#include <objbase.h>

namespace velt::platform::win32 {

struct ComFunctions {
    HRESULT(WINAPI* CoInitializeEx)(LPVOID reserved, DWORD flags);
    void(WINAPI* CoUninitialize)();
    HRESULT(WINAPI* CreateStreamOnHGlobal)(HGLOBAL memory, BOOL deleteOnRelease, LPSTREAM* stream);
    HRESULT(WINAPI* OleLoadPicture)(LPSTREAM stream, LONG size, BOOL runmode, REFIID iid, LPVOID* object);
};

// nullptr when ole32.dll or oleaut32.dll, or one of the functions, cannot be found. Loaded once;
// the libraries then stay for the life of the process, as delay-loaded ones do. The windows'
// thread only: the first call loads them.
const ComFunctions* Com() noexcept;

// Joins a single-threaded apartment for as long as it lives, when COM is there and lets it.
class ApartmentScope {
public:
    explicit ApartmentScope(DWORD flags = COINIT_APARTMENTTHREADED) noexcept;
    ApartmentScope(const ApartmentScope&) = delete;
    ApartmentScope& operator=(const ApartmentScope&) = delete;
    ~ApartmentScope();

private:
    const ComFunctions* com_;
    bool joined_;
};

}  // namespace velt::platform::win32

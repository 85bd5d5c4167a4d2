// Small owners of kernel, GDI, USER and COM resources. Each frees its resource once and cannot
// be copied.
#pragma once

#include <windows.h>

#include <utility>

namespace velt::platform::win32 {

namespace detail {
template <class H>
bool NotNull(H h) noexcept {
    return h != nullptr;
}
}  // namespace detail

// `Holds` tells a handle from the values that stand for none.
template <class H, void (*Free)(H) noexcept, bool (*Holds)(H) noexcept = detail::NotNull<H>>
class Unique {
public:
    Unique() noexcept = default;
    explicit Unique(H handle) noexcept : handle_(handle) {}
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    Unique(Unique&& other) noexcept : handle_(other.release()) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~Unique() { reset(); }

    H get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return Holds(handle_); }
    H release() noexcept { return std::exchange(handle_, nullptr); }
    void reset(H handle = nullptr) noexcept {
        if (H old = std::exchange(handle_, handle); old != nullptr) Free(old);
    }

private:
    H handle_ = nullptr;
};

namespace detail {
// Kernel functions fail with null or with INVALID_HANDLE_VALUE, depending on the function.
inline bool IsOpenHandle(HANDLE h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
inline void FreeHandle(HANDLE h) noexcept {
    if (IsOpenHandle(h)) ::CloseHandle(h);
}
inline void FreeFind(HANDLE h) noexcept {
    if (IsOpenHandle(h)) ::FindClose(h);
}
inline void FreeFont(HFONT h) noexcept { ::DeleteObject(h); }
inline void FreeBitmap(HBITMAP h) noexcept { ::DeleteObject(h); }
inline void FreeBrush(HBRUSH h) noexcept { ::DeleteObject(h); }
inline void FreeIcon(HICON h) noexcept { ::DestroyIcon(h); }
inline void FreeMenu(HMENU h) noexcept { ::DestroyMenu(h); }
inline void FreeDc(HDC h) noexcept { ::DeleteDC(h); }
}  // namespace detail

using UniqueHandle = Unique<HANDLE, detail::FreeHandle, detail::IsOpenHandle>;
using UniqueFind = Unique<HANDLE, detail::FreeFind, detail::IsOpenHandle>;  // FindFirstFileW's
using UniqueFont = Unique<HFONT, detail::FreeFont>;
using UniqueBitmap = Unique<HBITMAP, detail::FreeBitmap>;
using UniqueBrush = Unique<HBRUSH, detail::FreeBrush>;
using UniqueIcon = Unique<HICON, detail::FreeIcon>;
using UniqueMenu = Unique<HMENU, detail::FreeMenu>;
using UniqueDc = Unique<HDC, detail::FreeDc>;

// A COM interface pointer that is released once.
template <class T>
class ComRef {
public:
    ComRef() noexcept = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() {
        if (p_ != nullptr) p_->Release();
    }
    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    // For the out-parameter of the function that creates the object.
    T** put() noexcept { return &p_; }
    void** put_void() noexcept { return reinterpret_cast<void**>(&p_); }

private:
    T* p_ = nullptr;
};

// Selects an object into a DC for one scope and puts the previous one back.
class SelectScope {
public:
    SelectScope(HDC dc, HGDIOBJ object) noexcept : dc_(dc), old_(::SelectObject(dc, object)) {}
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;
    ~SelectScope() { ::SelectObject(dc_, old_); }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// BeginPaint and EndPaint.
class PaintScope {
public:
    explicit PaintScope(HWND hwnd) noexcept : hwnd_(hwnd) { dc_ = ::BeginPaint(hwnd, &ps_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    ~PaintScope() { ::EndPaint(hwnd_, &ps_); }
    HDC dc() const noexcept { return dc_; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC dc_ = nullptr;
};

// A screen-compatible DC for one scope.
class ScreenDc {
public:
    ScreenDc() noexcept : dc_(::GetDC(nullptr)) {}
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    ~ScreenDc() {
        if (dc_ != nullptr) ::ReleaseDC(nullptr, dc_);
    }
    HDC get() const noexcept { return dc_; }

private:
    HDC dc_;
};

}  // namespace velt::platform::win32

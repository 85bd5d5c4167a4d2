// The base of every window class of the program: it registers the class, keeps `this` in the
// window's GWLP_USERDATA and forwards each message to a noexcept member window procedure.
#pragma once

#include <windows.h>

namespace velt::platform::win32 {

class Window {
public:
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND hwnd() const noexcept { return hwnd_; }

    // Runs a handler; nothing it throws gets past a window procedure. False when it threw.
    template <class F>
    static bool Guard(F&& call) noexcept {
        try {
            call();
            return true;
        } catch (...) {
            return false;
        }
    }

protected:
    Window() = default;
    // A window still there now is destroyed without its handlers: a derived class that needs
    // them calls Destroy() in its own destructor.
    virtual ~Window();

    static void Register(HINSTANCE instance, const wchar_t* name, UINT style);
    // Creates the window of a class registered above, with this object behind it, `size` big
    // and where the system puts new windows; null on failure.
    HWND Create(HINSTANCE instance, DWORD exStyle, const wchar_t* className, const wchar_t* title,
                DWORD style, HWND parent, HMENU menuOrId = nullptr, SIZE size = {}) noexcept;
    void Destroy() noexcept;

    virtual LRESULT Proc(UINT message, WPARAM wParam, LPARAM lParam) noexcept = 0;
    // After the last message: the window is gone.
    virtual void OnGone() noexcept {}
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
        return ::DefWindowProcW(hwnd_, message, wParam, lParam);
    }

private:
    static LRESULT CALLBACK Thunk(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    HWND hwnd_ = nullptr;
};

}  // namespace velt::platform::win32

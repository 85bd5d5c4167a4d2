// What the windows share about their controls: classes and styles, texts, focus memory.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "ui/ControlKinds.h"

namespace velt::platform::win32 {

// Window classes, so that tests outside the process can find the windows.
inline constexpr wchar_t kMainWindowClass[] = L"VeltPCTimer.frmMain";
inline constexpr wchar_t kFrameClass[] = L"VeltPCTimer.Frame";
inline constexpr wchar_t kMenuFormClass[] = L"VeltPCTimer.Form1";
inline constexpr wchar_t kAboutWindowClass[] = L"VeltPCTimer.frmAbout";
inline constexpr wchar_t kOwnerClass[] = L"VeltPCTimer.Owner";

// The Windows class of a control of the given kind ("Button", "Static", ...).
const wchar_t* WindowClassOf(ui::Kind kind) noexcept;
// SS_LEFT, SS_CENTER or SS_RIGHT.
DWORD TextAlignStyle(ui::Align align) noexcept;

// The text of a window or control.
std::wstring WindowText(HWND hwnd);
// The text of a combo box's list entry; empty where there is none.
std::wstring ComboItem(HWND combo, int index);
// Shift, Ctrl and Alt as the key handlers expect them: 1, 2 and 4.
std::int16_t ShiftState() noexcept;

// Moves a top-level window to the middle of its monitor's work area.
void CentreOnWorkArea(HWND hwnd) noexcept;

// What a subclassed drop-down list asks of its window.
class ComboHooks {
public:
    // True when the handler took the key away from the box.
    virtual bool OnComboKey(HWND combo, WPARAM key) noexcept = 0;
    // The height the closed box keeps; 0 for none, as while its field is fitted to that height.
    virtual int ClosedHeight(HWND combo) const noexcept = 0;

protected:
    ~ComboHooks() = default;
};

// Keys reach the hooks first, Enter included (not taken as the dialog's OK), and the closed box
// keeps its height even where the box would size itself after its font.
void SubclassCombo(HWND combo, ComboHooks& hooks) noexcept;

// A top-level window keeps its focused control while another window is active.
class FocusMemory {
public:
    void Remember(HWND top) noexcept;
    void Restore(HWND top) noexcept;
    LRESULT OnActivate(HWND top, WPARAM wParam, LPARAM lParam) noexcept;
    HWND last() const noexcept { return last_; }
    void Set(HWND control) noexcept { last_ = control; }

private:
    HWND last_ = nullptr;
};

}  // namespace velt::platform::win32

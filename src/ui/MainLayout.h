// Where every control of the main window sits, what it says and how it looks, as data.
// Positions are twips from the top-left of the container's client area; the Windows side turns
// them into pixels with the window's own DPI. The control IDs are stable so that tests outside
// the process can find each control.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "common/Texts.h"
#include "platform/Windowing.h"
#include "ui/ControlKinds.h"
#include "ui/Twips.h"

namespace velt::ui {

inline constexpr WindowLayout kMainWindow{texts::kMainWindowTitle, 4755, 3600};

struct MainControl {
    platform::Ctl ctl;
    int id;            // the child window's control ID
    const char* name;  // the name in the form, with its index: "txtTime(0)"
    Kind kind;
    platform::Ctl parent;  // frmMain or one of the frames
    const char* text;
    TwipsRect rect;
    int tab;  // position in the form's tab order
    Align align;
    unsigned flags;
};

// Control IDs of the main window: 100 plus the control's number. None is IDOK or IDCANCEL, so
// Enter and Esc, which the dialog keys turn into those, press nothing by themselves.
constexpr int MainControlId(platform::Ctl c) noexcept { return 100 + static_cast<int>(c); }

using Ctl = platform::Ctl;

constexpr MainControl Control(Ctl ctl, const char* name, Kind kind, Ctl parent, const char* text,
                              TwipsRect rect, int tab, Align align, unsigned flags) noexcept {
    return {ctl, MainControlId(ctl), name, kind, parent, text, rect, tab, align, flags};
}

// In the order of the form's tree; the timers are not windows and are not listed.
// clang-format off
inline constexpr std::array<MainControl, static_cast<std::size_t>(Ctl::Count) - 1> kMainControls{{
    Control(Ctl::cmdON, "cmdON", Kind::PictureButton, Ctl::frmMain, "登録(&R)",
            {120, 3180, 1455, 315}, 0, Align::Center, 0),
    Control(Ctl::Frame2, "Frame2", Kind::Frame, Ctl::frmMain, "タイマー設定",
            {1620, 390, 2895, 1080}, 7, Align::Left, flag::FlatWhite),
    Control(Ctl::txtTime1, "txtTime(1)", Kind::DropDownList, Ctl::Frame2, "",
            {1980, 600, 735, 300}, 17, Align::Left, 0),
    Control(Ctl::txtTime0, "txtTime(0)", Kind::DropDownList, Ctl::Frame2, "",
            {960, 600, 735, 300}, 16, Align::Left, 0),
    Control(Ctl::Label4, "Label4", Kind::Label, Ctl::Frame2, "分",
            {2700, 660, 255, 255}, 12, Align::Center, flag::Transparent),
    Control(Ctl::Label3, "Label3", Kind::Label, Ctl::Frame2, "時",
            {1680, 660, 255, 255}, 11, Align::Center, flag::Transparent),
    Control(Ctl::Label2, "Label2", Kind::Label, Ctl::Frame2, "開始時間",
            {0, 600, 960, 255}, 10, Align::Center, flag::Transparent),
    Control(Ctl::lblTIME, "lblTIME", Kind::Label, Ctl::Frame2, "",
            {1200, 255, 1455, 255}, 9, Align::Right, flag::Transparent),
    Control(Ctl::Label1, "Label1", Kind::Label, Ctl::Frame2, "現在の時間",
            {60, 270, 1035, 255}, 8, Align::Center, flag::FlatWhite),
    Control(Ctl::Frame1, "Frame1", Kind::Frame, Ctl::frmMain, "PC動作選択",
            {240, 375, 1275, 1095}, 3, Align::Left, flag::FlatWhite),
    Control(Ctl::Option1_2, "Option1(2)", Kind::OptionButton, Ctl::Frame1, "電源を切る",
            {60, 765, 1170, 255}, 6, Align::Left, flag::FlatWhite),
    Control(Ctl::Option1_1, "Option1(1)", Kind::OptionButton, Ctl::Frame1, "再起動",
            {60, 510, 1095, 255}, 5, Align::Left, flag::FlatWhite),
    Control(Ctl::Option1_0, "Option1(0)", Kind::OptionButton, Ctl::Frame1, "ログオフ",
            {60, 240, 1035, 255}, 4, Align::Left, flag::FlatWhite | flag::Selected),
    Control(Ctl::Command5, "Command5", Kind::PictureButton, Ctl::frmMain, "取り消し(&C)",
            {1680, 3180, 1395, 315}, 1, Align::Center, flag::Disabled),
    Control(Ctl::Command2, "Command2", Kind::PictureButton, Ctl::frmMain, "終了(&E)",
            {3240, 3180, 1395, 315}, 2, Align::Center, 0),
    Control(Ctl::Frame3, "Frame3", Kind::Frame, Ctl::frmMain, "登録",
            {120, 120, 4530, 3015}, 13, Align::Left, flag::FlatWhite),
    Control(Ctl::Frame5, "Frame5", Kind::Frame, Ctl::Frame3, "Windowsの状態",
            {1500, 1440, 2895, 855}, 21, Align::Left, flag::FlatWhite),
    Control(Ctl::Label7, "Label7", Kind::Label, Ctl::Frame5, "",
            {1200, 540, 1455, 255}, 23, Align::Right, flag::Transparent),
    Control(Ctl::Label5, "Label5", Kind::Label, Ctl::Frame5, "OSが起動してからの経過時間",
            {120, 240, 2355, 255}, 22, Align::Left, flag::FlatWhite),
    Control(Ctl::Frame4, "Frame4", Kind::Frame, Ctl::Frame3, "起動時の設定",
            {120, 1440, 1275, 855}, 18, Align::Left, flag::FlatWhite),
    Control(Ctl::optSTART1, "optSTART(1)", Kind::OptionButton, Ctl::Frame4, "実行しない",
            {60, 540, 1155, 255}, 20, Align::Left, flag::FlatWhite),
    Control(Ctl::optSTART0, "optSTART(0)", Kind::OptionButton, Ctl::Frame4, "実行する",
            {60, 240, 1035, 255}, 19, Align::Left, flag::FlatWhite),
    Control(Ctl::lblKAKU, "lblKAKU", Kind::Label, Ctl::Frame3, "",
            {120, 2640, 4275, 255}, 15, Align::Left, flag::FlatWhite | flag::Border),
    Control(Ctl::Label6, "Label6", Kind::Label, Ctl::Frame3, "登録ステータス",
            {120, 2400, 1335, 255}, 14, Align::Left, flag::Transparent),
}};
// clang-format on

// The entry of a control of the main window (not frmMain itself).
const MainControl& Find(platform::Ctl control);

// The controls directly inside `parent`, in tab order: the order in which they are created,
// which makes it the order in which the Tab key visits them.
std::vector<const MainControl*> ChildrenInTabOrder(platform::Ctl parent);

// Whether the Tab key can land on a control of this kind.
constexpr bool TakesFocus(Kind kind) noexcept {
    return kind == Kind::OptionButton || kind == Kind::DropDownList || kind == Kind::PictureButton ||
           kind == Kind::PushButton;
}

// The controls that take the focus, in the order the Tab key reaches them: a depth-first walk of
// the window in tab order, stepping into each frame where it stands.
std::vector<platform::Ctl> FocusOrder();

// The frame or window that directly holds `control`, and the rectangle of `control` in twips
// relative to the main window's client area.
TwipsRect RectInWindow(platform::Ctl control);

// The option buttons that exclude each other together with `option` (itself included), in tab
// order; empty for anything that is not an option button.
std::vector<platform::Ctl> OptionGroup(platform::Ctl option);

// The widest text the control ever shows: its caption, or for the texts the program writes,
// the longest they can be ("8" is the widest digit).
std::string CaptionsShown(const MainControl& control);

}  // namespace velt::ui

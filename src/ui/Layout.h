// Where every control of the main window and the About window sits, what it says and how it
// looks, as data. Positions are twips from the top-left of the container's client area; the
// Windows side turns them into pixels with the window's own DPI. The control IDs are stable so
// that tests outside the process can find each control.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/Texts.h"
#include "platform/Windowing.h"
#include "ui/resources/ResourceIds.h"

namespace velt::ui {

// ---------------------------------------------------------------- units

inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kStandardDpi = 96;

// Twips to pixels at `dpi`, halves away from zero (negative positions occur: a line that starts
// left of the window).
int TwipsToPixels(int twips, int dpi) noexcept;

// The whole-number twips per pixel at `dpi`: 15 at 96, 12 at 120, 10 at 144. Mouse positions
// are reported as pixels times this factor, so dividing by it gives the pixels back exactly.
int TwipsPerPixel(int dpi) noexcept;

// Point size to a font height in pixels at `dpi` (the character height, without leading).
int PointsToPixels(double points, int dpi) noexcept;

struct TwipsRect {
    int left = 0, top = 0, width = 0, height = 0;
    constexpr int right() const noexcept { return left + width; }
    constexpr int bottom() const noexcept { return top + height; }
};

struct PixelRect {
    int left = 0, top = 0, width = 0, height = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// Converts the edges, not the size, so that controls that touch in twips still touch in pixels.
PixelRect ToPixels(const TwipsRect& twips, int dpi) noexcept;

// ---------------------------------------------------------------- controls

enum class Kind : std::uint8_t {
    Frame,          // container with a caption; its children move with it
    Label,          // static text
    OptionButton,   // one button of an exclusive group
    DropDownList,   // combo box that only picks listed texts
    PictureButton,  // push button showing the button-face picture under its caption
    PushButton,     // plain push button
    Picture,        // a picture at its natural size
};

enum class Align : std::uint8_t { Left, Center, Right };

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Style and initial state.
namespace flag {
inline constexpr unsigned FlatWhite = 1u << 0;      // flat, system window background and text colours
inline constexpr unsigned Transparent = 1u << 1;    // no background: what lies behind shows
inline constexpr unsigned Border = 1u << 2;         // single flat line around it
inline constexpr unsigned Disabled = 1u << 3;       // disabled at creation
inline constexpr unsigned Selected = 1u << 4;       // option selected at creation
inline constexpr unsigned Wraps = 1u << 5;          // text wraps onto more lines
inline constexpr unsigned Clickable = 1u << 6;      // label that reports clicks (hand pointer)
inline constexpr unsigned OpaqueWhite = 1u << 7;    // fixed white background (255, 255, 255)
inline constexpr unsigned DefaultCancel = 1u << 8;  // Enter and Esc press it
inline constexpr unsigned OwnFont = 1u << 9;        // uses the window's one special font
inline constexpr unsigned OwnColour = 1u << 10;     // text in `colour` instead of the system colour
}  // namespace flag

// ---- the main window

struct WindowLayout {
    const char* title;
    int clientWidth;   // twips
    int clientHeight;  // twips
};

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

// ---- the About window

inline constexpr char kAboutInitialTitle[] = "バージョン情報";
// What lblVersion says until the load handler writes the product name and version.
inline constexpr char kVersionPlaceholder[] = "App.ProductName+Version";

// The notice on the terms of use. The blank runs pad the lines of the wrapped box (measured
// with a proportional Japanese dialog font of 12 pixels): "当人" and each run end their line.
inline constexpr char kTermsNotice[] =
    "────────ご利用上の注意と免責────────"
    "■本ソフトを使用した結果，損害は当人\u3000 "
    "の責任となり、作者はいかなる責任も負いません。"
    "                     "  // 21 blanks
    "■上記の内容に同意いただけない場合，本ソフトの使用は"
    "      "  // 6 blanks
    "ご遠慮ください。";

// The notice as it stands at 96 DPI, a line each. Its box draws these lines as they are, so that
// no other font size moves a break.
inline constexpr std::array<const char*, 5> kTermsNoticeLines{{
    "────────ご利用上の注意と免責────────",
    "■本ソフトを使用した結果，損害は当人\u3000 ",
    "の責任となり、作者はいかなる責任も負いません。                     ",
    "■上記の内容に同意いただけない場合，本ソフトの使用は      ",
    "ご遠慮ください。",
}};

constexpr bool IsJoinedFrom(const char* whole, const auto& parts) noexcept {
    std::size_t at = 0;
    for (const char* part : parts) {
        for (std::size_t i = 0; part[i] != '\0'; ++i, ++at) {
            if (whole[at] != part[i]) return false;
        }
    }
    return whole[at] == '\0';
}
static_assert(IsJoinedFrom(kTermsNotice, kTermsNoticeLines), "the lines must make up the notice");

inline constexpr char kCopyrightWarning[] =
    "本製品は、日本国著作権法および国際条約によって保護されています。"
    "本製品の全部または一部を許可なく複製すること、またその複製物を配布することは、"
    "著作権の侵害となります。";

inline constexpr char kCopyrightLine[] = VELT_COPYRIGHT_LINE;
inline constexpr char kLatestInfo[] = "最新情報";
inline constexpr char kUrlWord[] = "URL";

enum class AboutControl : std::uint8_t {
    cmdOK,
    Label6,
    Label4,
    Label5,
    Label3,
    Label2,
    Label1,
    Image1,
    lblVersion,
    Count
};

struct AboutControlLayout {
    AboutControl control;
    int id;
    const char* name;
    Kind kind;
    const char* text;
    TwipsRect rect;
    int tab;  // -1: no tab position
    Align align;
    unsigned flags;
    Rgb colour;  // text colour where flag::OwnColour is set
};

// cmdOK carries IDOK, so that Enter anywhere in the window presses it.
inline constexpr int kAboutOkId = 1;
constexpr int AboutControlId(AboutControl c) noexcept {
    return c == AboutControl::cmdOK ? kAboutOkId : 200 + static_cast<int>(c);
}

inline constexpr WindowLayout kAboutWindow{kAboutInitialTitle, 6480, 3600};

inline constexpr Rgb kBlue{0, 0, 255};
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kGrey{128, 128, 128};
inline constexpr Rgb kWhite{255, 255, 255};

// clang-format off
inline constexpr std::array<AboutControlLayout, static_cast<std::size_t>(AboutControl::Count)>
    kAboutControls{{
        {AboutControl::cmdOK, AboutControlId(AboutControl::cmdOK), "cmdOK", Kind::PushButton,
         "OK", {5085, 3180, 1260, 345}, 0, Align::Center, flag::DefaultCancel, kBlack},
        {AboutControl::Label6, AboutControlId(AboutControl::Label6), "Label6", Kind::Label,
         kTermsNotice, {1680, 630, 4695, 1005}, 7, Align::Left,
         flag::OpaqueWhite | flag::Wraps, kBlack},
        {AboutControl::Label4, AboutControlId(AboutControl::Label4), "Label4", Kind::Label,
         kCopyrightLine, {1005, 3300, 3975, 255}, 6, Align::Left, flag::Transparent, kBlack},
        {AboutControl::Label5, AboutControlId(AboutControl::Label5), "Label5", Kind::Label,
         kLatestInfo, {2520, 2820, 855, 255}, 5, Align::Left, flag::Transparent, kBlack},
        {AboutControl::Label3, AboutControlId(AboutControl::Label3), "Label3", Kind::Label,
         kUrlWord, {3480, 2835, 375, 255}, 4, Align::Left,
         flag::Transparent | flag::OwnColour, kBlue},
        {AboutControl::Label2, AboutControlId(AboutControl::Label2), "Label2", Kind::Label,
         texts::kMakerUrl, {3960, 2820, 2535, 255}, 3, Align::Left,
         flag::Transparent | flag::OwnColour | flag::Clickable, kBlue},
        {AboutControl::Label1, AboutControlId(AboutControl::Label1), "Label1", Kind::Label,
         kCopyrightWarning, {135, 1920, 6165, 825}, 2, Align::Left,
         flag::Transparent | flag::OwnColour | flag::Wraps, kBlack},
        {AboutControl::Image1, AboutControlId(AboutControl::Image1), "Image1", Kind::Picture, "",
         {120, 120, 1410, 870}, -1, Align::Left, 0, kBlack},
        {AboutControl::lblVersion, AboutControlId(AboutControl::lblVersion), "lblVersion",
         Kind::Label, kVersionPlaceholder, {1680, 240, 3885, 225}, 1, Align::Left,
         flag::Transparent | flag::OwnFont, kBlack},
    }};
// clang-format on

const AboutControlLayout& Find(AboutControl control);

// The three lines Line1(0..2), drawn on the window itself.
struct AboutLine {
    int index;
    int x1, y1, x2, y2;  // twips
    Rgb colour;
    int widthPixels;  // at 96 DPI; scaled with the DPI
};

// clang-format off
inline constexpr std::array<AboutLine, 3> kAboutLines{{
    {0, 0, 1680, 5640, 1680, kWhite, 2},
    {1, -405, 2640, 6480, 2640, kGrey, 1},
    {2, 3480, 3030, 6285, 3030, kBlue, 1},
}};
// clang-format on

// lblVersion's font.
struct FontChoice {
    const char* face;
    double points;
    int weight;
    int charset;  // 128: Shift-JIS
    bool italic;
    bool underline;
};

inline constexpr FontChoice kVersionFont{"ＭＳ Ｐゴシック", 9.75, 700, 128, false, false};

// ---------------------------------------------------------------- the tray menu

struct MenuEntry {
    platform::MenuItem item;
    int id;               // WM_COMMAND identifier; 0 for the separator
    const char* caption;  // "-" is a separator line
};

// mnuTray is the top-level entry; the others are its popup, in order.
// clang-format off
inline constexpr std::array<MenuEntry, static_cast<std::size_t>(platform::MenuItem::Count)>
    kTrayMenu{{
        {platform::MenuItem::mnuTray, 0, "MENU"},
        {platform::MenuItem::mnuOpen, 301, "Velt_PCタイマー終了を開く(&O)"},
        {platform::MenuItem::mnuClose, 302, "Velt_PCタイマー終了を終了する(&X)"},
        {platform::MenuItem::mnuLine, 0, "-"},
        {platform::MenuItem::mnuweb, 304, "Velt Development Webサイト(&W)"},
        {platform::MenuItem::mnuVer, 305, "バージョン情報(&A)"},
    }};
// clang-format on

// The entry whose WM_COMMAND identifier is `id`, if any.
std::optional<platform::MenuItem> MenuItemById(int id) noexcept;

}  // namespace velt::ui

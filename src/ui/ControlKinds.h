// What the window tables are made of: the kinds of control, their alignment, colours and style
// flags, and a window's title and client size.
#pragma once

#include <cstdint>

namespace velt::ui {

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

struct WindowLayout {
    const char* title;
    int clientWidth;   // twips
    int clientHeight;  // twips
};

}  // namespace velt::ui

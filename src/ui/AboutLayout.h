// Where every control of the About window sits, what it says and how it looks, as data, with
// its lines and lblVersion's font. Positions are twips, as in the main window's table.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "common/Texts.h"
#include "ui/ControlKinds.h"
#include "ui/Twips.h"
#include "ui/resources/ResourceIds.h"

namespace velt::ui {

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

}  // namespace velt::ui

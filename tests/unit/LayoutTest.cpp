#include "tray/TrayMenuEntries.h"
#include "ui/AboutLayout.h"
#include "ui/MainLayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <string_view>

namespace velt::ui {
namespace {

// ---------------------------------------------------------------- units

struct TwipsCase {
    int twips, dpi, pixels;
};

std::ostream& operator<<(std::ostream& out, const TwipsCase& c) {
    return out << c.twips << " twips at " << c.dpi << " DPI";
}

std::string CaseName(const ::testing::TestParamInfo<TwipsCase>& info) {
    const TwipsCase& c = info.param;
    return (c.twips < 0 ? "minus" + std::to_string(-c.twips) : std::to_string(c.twips)) + "_at_" +
           std::to_string(c.dpi);
}

class TwipsToPixelsTest : public ::testing::TestWithParam<TwipsCase> {};

TEST_P(TwipsToPixelsTest, Converts) {
    const TwipsCase c = GetParam();
    EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " twips at " << c.dpi;
}

INSTANTIATE_TEST_SUITE_P(Dpis, TwipsToPixelsTest,
                         ::testing::Values(
                             // 96 DPI: 15 twips a pixel
                             TwipsCase{4755, 96, 317}, TwipsCase{3600, 96, 240}, TwipsCase{15, 96, 1},
                             TwipsCase{7, 96, 0}, TwipsCase{8, 96, 1}, TwipsCase{-405, 96, -27},
                             TwipsCase{-8, 96, -1}, TwipsCase{6480, 96, 432},
                             // 120 DPI: 12 twips a pixel
                             TwipsCase{4755, 120, 396}, TwipsCase{3600, 120, 300}, TwipsCase{6, 120, 1},
                             TwipsCase{5, 120, 0},
                             // 144 DPI: 10 twips a pixel; halves go away from zero
                             TwipsCase{4755, 144, 476}, TwipsCase{3600, 144, 360}, TwipsCase{-405, 144, -41},
                             TwipsCase{6480, 144, 648},
                             // 168 DPI: 8.57 twips a pixel
                             TwipsCase{4755, 168, 555}, TwipsCase{3600, 168, 420}, TwipsCase{30, 168, 4},
                             TwipsCase{-30, 168, -4}, TwipsCase{-405, 168, -47},
                             // 192 DPI: 7.5 twips a pixel
                             TwipsCase{4755, 192, 634}, TwipsCase{6480, 192, 864}, TwipsCase{4, 192, 1},
                             TwipsCase{3, 192, 0}, TwipsCase{-405, 192, -54},
                             // large values do not overflow
                             TwipsCase{2000000000, 96, 133333333}),
                         CaseName);

TEST(TwipsPerPixelTest, IsTheNearestWholeNumber) {
    // 0: an unknown DPI counts as the standard one; 3000: positions are divided by it, so never 0.
    const std::map<int, int> expected{{96, 15}, {120, 12}, {144, 10}, {168, 9},
                                      {192, 8},  {72, 20},  {0, 15},    {3000, 1}};
    for (const auto& [dpi, factor] : expected)
        EXPECT_EQ(TwipsPerPixel(dpi), factor) << dpi;
    // Every scale in between: at most half a twip away from 1440 / dpi.
    for (int dpi = 48; dpi <= 480; ++dpi) {
        EXPECT_LE(2 * std::abs(TwipsPerPixel(dpi) * dpi - 1440), dpi) << dpi;
    }
}

TEST(PointsToPixelsTest, FontHeights) {
    EXPECT_EQ(PointsToPixels(9.75, 96), 13);
    EXPECT_EQ(PointsToPixels(9.75, 120), 16);
    EXPECT_EQ(PointsToPixels(9.75, 144), 20);
    EXPECT_EQ(PointsToPixels(9.0, 96), 12);
}

TEST(ToPixelsTest, ConvertsEdgesSoThatNeighboursStillTouch) {
    EXPECT_EQ(ToPixels({120, 3180, 1455, 315}, 96), (PixelRect{8, 212, 97, 21}));
    // At 144 DPI both edges round on their own: 12..158 and 318..350.
    EXPECT_EQ(ToPixels({120, 3180, 1455, 315}, 144), (PixelRect{12, 318, 146, 32}));
    EXPECT_EQ(ToPixels({120, 3180, 1455, 315}, 168), (PixelRect{14, 371, 170, 37}));
    EXPECT_EQ(ToPixels({120, 3180, 1455, 315}, 192), (PixelRect{16, 424, 194, 42}));
    // 40 twips cut anywhere: the two parts touch and add up to the whole, 40 twips in pixels.
    const std::map<int, int> forty{{96, 3}, {110, 3}, {120, 3}, {144, 4}, {168, 5}, {192, 5}};
    for (const auto& [dpi, whole] : forty) {
        for (int split = 1; split < 40; ++split) {
            const PixelRect a = ToPixels({0, 0, split, 10}, dpi);
            const PixelRect b = ToPixels({split, 0, 40 - split, 10}, dpi);
            EXPECT_EQ(a.left + a.width, b.left) << dpi << " " << split;
            EXPECT_EQ(a.width + b.width, whole) << dpi << " " << split;
        }
    }
}

// ---------------------------------------------------------------- the main window

TEST(MainLayoutTest, EveryControlAppearsOnceWithItsOwnId) {
    std::multiset<Ctl> seen;
    std::set<int> ids;
    for (const MainControl& c : kMainControls) {
        seen.insert(c.ctl);
        EXPECT_TRUE(ids.insert(c.id).second) << c.name << ": control ID used twice";
        EXPECT_NE(c.id, 1) << c.name << " would be pressed by Enter";
        EXPECT_NE(c.id, 2) << c.name << " would be pressed by Esc";
        EXPECT_NE(c.id, 0) << c.name;
    }
    for (int i = 0; i < static_cast<int>(Ctl::Count); ++i) {
        const auto ctl = static_cast<Ctl>(i);
        EXPECT_EQ(seen.count(ctl), ctl == Ctl::frmMain ? 0u : 1u) << "control #" << i;
    }
    for (const MenuEntry& e : kTrayMenu) {
        EXPECT_EQ(ids.count(e.id), 0u) << "a menu command shares an ID with a control";
    }
}

TEST(MainLayoutTest, ContainersAreTheWindowOrFrames) {
    for (const MainControl& c : kMainControls) {
        if (c.parent == Ctl::frmMain) continue;
        EXPECT_EQ(Find(c.parent).kind, Kind::Frame) << c.name;
    }
}

bool Holds(const TwipsRect& outer, const TwipsRect& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right() <= outer.right() &&
           inner.bottom() <= outer.bottom();
}

bool Apart(const TwipsRect& a, const TwipsRect& b) {
    return a.right() <= b.left || b.right() <= a.left || a.bottom() <= b.top || b.bottom() <= a.top;
}

// Frame1 and Frame2 lie over Frame3 but belong to the window. Seen in the window, the frames and
// the window's own controls either hold one another or keep clear: a control put into the wrong
// container moves by that container's offset and runs into its neighbours.
TEST(MainLayoutTest, FramesAndTopLevelControlsNestOrKeepClear) {
    std::vector<const MainControl*> boxes;
    for (const MainControl& c : kMainControls) {
        if (c.kind == Kind::Frame || c.parent == Ctl::frmMain) boxes.push_back(&c);
    }
    for (const MainControl* a : boxes) {
        for (const MainControl* b : boxes) {
            if (a == b) continue;
            const TwipsRect ra = RectInWindow(a->ctl), rb = RectInWindow(b->ctl);
            EXPECT_TRUE(Holds(ra, rb) || Holds(rb, ra) || Apart(ra, rb)) << a->name << " and " << b->name;
        }
    }
    for (Ctl frame : {Ctl::Frame1, Ctl::Frame2, Ctl::Frame4, Ctl::Frame5}) {
        EXPECT_TRUE(Holds(RectInWindow(Ctl::Frame3), RectInWindow(frame))) << static_cast<int>(frame);
    }
    for (Ctl button : {Ctl::cmdON, Ctl::Command5, Ctl::Command2}) {
        EXPECT_TRUE(Apart(RectInWindow(Ctl::Frame3), RectInWindow(button))) << static_cast<int>(button);
    }
}

TEST(MainLayoutTest, ChildrenLieInsideTheirContainerExceptTheClippedMinuteLabel) {
    for (const MainControl& c : kMainControls) {
        const int w = c.parent == Ctl::frmMain ? kMainWindow.clientWidth : Find(c.parent).rect.width;
        const int h = c.parent == Ctl::frmMain ? kMainWindow.clientHeight : Find(c.parent).rect.height;
        EXPECT_GE(c.rect.left, 0) << c.name;
        EXPECT_GE(c.rect.top, 0) << c.name;
        EXPECT_GT(c.rect.width, 0) << c.name;
        EXPECT_GT(c.rect.height, 0) << c.name;
        EXPECT_LE(c.rect.bottom(), h) << c.name;
        if (c.ctl == Ctl::Label4) {
            EXPECT_EQ(c.rect.right() - w, 60) << "Label4 reaches 60 twips beyond Frame2";
        } else {
            EXPECT_LE(c.rect.right(), w) << c.name;
        }
    }
}

TEST(MainLayoutTest, WindowRectanglesAddUpTheContainers) {
    const TwipsRect label7 = RectInWindow(Ctl::Label7);
    EXPECT_EQ(label7.left, 120 + 1500 + 1200);
    EXPECT_EQ(label7.top, 120 + 1440 + 540);
    EXPECT_EQ(RectInWindow(Ctl::cmdON).left, 120);
    EXPECT_EQ(ToPixels({0, 0, kMainWindow.clientWidth, kMainWindow.clientHeight}, 96),
              (PixelRect{0, 0, 317, 240}));
}

TEST(MainLayoutTest, TabPositionsAreDistinctAndComplete) {
    std::set<int> tabs;
    for (const MainControl& c : kMainControls) {
        EXPECT_TRUE(tabs.insert(c.tab).second) << c.name << ": tab position used twice";
    }
    EXPECT_EQ(*tabs.begin(), 0);
    EXPECT_EQ(*tabs.rbegin(), static_cast<int>(kMainControls.size()) - 1);
}

TEST(MainLayoutTest, FocusMovesInTheDesignedOrder) {
    const std::vector<Ctl> expected{Ctl::cmdON,     Ctl::Command5,  Ctl::Command2, Ctl::Option1_0,
                                    Ctl::Option1_1, Ctl::Option1_2, Ctl::txtTime0, Ctl::txtTime1,
                                    Ctl::optSTART0, Ctl::optSTART1};
    EXPECT_EQ(FocusOrder(), expected);

    // Windows walks the tree frame by frame; the form's numbering is global. Both must agree,
    // or Tab would visit the controls in another order than the numbers say.
    std::vector<const MainControl*> focusable;
    for (const MainControl& c : kMainControls) {
        if (TakesFocus(c.kind)) focusable.push_back(&c);
    }
    std::sort(focusable.begin(), focusable.end(),
              [](const MainControl* a, const MainControl* b) { return a->tab < b->tab; });
    std::vector<Ctl> byNumber;
    for (const MainControl* c : focusable)
        byNumber.push_back(c->ctl);
    EXPECT_EQ(byNumber, expected);
}

TEST(MainLayoutTest, ChildrenInTabOrderIsTheCreationOrder) {
    std::vector<Ctl> top;
    for (const MainControl* c : ChildrenInTabOrder(Ctl::frmMain))
        top.push_back(c->ctl);
    EXPECT_EQ(top, (std::vector<Ctl>{Ctl::cmdON, Ctl::Command5, Ctl::Command2, Ctl::Frame1, Ctl::Frame2,
                                     Ctl::Frame3}));
    std::vector<Ctl> inFrame3;
    for (const MainControl* c : ChildrenInTabOrder(Ctl::Frame3))
        inFrame3.push_back(c->ctl);
    EXPECT_EQ(inFrame3, (std::vector<Ctl>{Ctl::Label6, Ctl::lblKAKU, Ctl::Frame4, Ctl::Frame5}));
}

TEST(MainLayoutTest, OptionGroupsStayInTheirFrames) {
    const std::vector<Ctl> option1{Ctl::Option1_0, Ctl::Option1_1, Ctl::Option1_2};
    const std::vector<Ctl> optStart{Ctl::optSTART0, Ctl::optSTART1};
    for (Ctl c : option1)
        EXPECT_EQ(OptionGroup(c), option1);
    for (Ctl c : optStart)
        EXPECT_EQ(OptionGroup(c), optStart);
    EXPECT_TRUE(OptionGroup(Ctl::cmdON).empty());
    EXPECT_TRUE(OptionGroup(Ctl::frmMain).empty());

    auto selected = [](const std::vector<Ctl>& group) {
        return std::count_if(group.begin(), group.end(),
                             [](Ctl c) { return (Find(c).flags & flag::Selected) != 0; });
    };
    EXPECT_EQ(selected(option1), 1);
    EXPECT_NE(Find(Ctl::Option1_0).flags & flag::Selected, 0u);
    EXPECT_EQ(selected(optStart), 0);
}

TEST(MainLayoutTest, InitialStatesAndAccessKeys) {
    std::set<char> keys;
    for (const MainControl& c : kMainControls) {
        const bool disabled = (c.flags & flag::Disabled) != 0;
        EXPECT_EQ(disabled, c.ctl == Ctl::Command5) << c.name;
        const std::string_view text = c.text;
        const auto amp = text.find('&');
        if (c.kind == Kind::PictureButton) {
            ASSERT_NE(amp, std::string_view::npos) << c.name;
            EXPECT_TRUE(keys.insert(text[amp + 1]).second) << c.name << ": access key used twice";
        } else {
            EXPECT_EQ(amp, std::string_view::npos) << c.name << " would show an underline";
        }
        // A label is either flat white or transparent, never both.
        if (c.kind == Kind::Label) {
            EXPECT_NE((c.flags & flag::FlatWhite) != 0, (c.flags & flag::Transparent) != 0) << c.name;
        }
    }
    EXPECT_EQ(keys, (std::set<char>{'R', 'C', 'E'}));
    EXPECT_THROW(Find(Ctl::frmMain), std::out_of_range);
}

// ---------------------------------------------------------------- the About window

TEST(AboutLayoutTest, ControlsFitTheWindowAndHaveTheirOwnIds) {
    std::set<int> ids;
    std::set<int> tabs;
    for (const AboutControlLayout& c : kAboutControls) {
        EXPECT_TRUE(ids.insert(c.id).second) << c.name;
        if (c.tab >= 0) {
            EXPECT_TRUE(tabs.insert(c.tab).second) << c.name;
        }
        EXPECT_GE(c.rect.left, 0) << c.name;
        EXPECT_GE(c.rect.top, 0) << c.name;
        if (c.control == AboutControl::Label2) {
            EXPECT_EQ(c.rect.right() - kAboutWindow.clientWidth, 15) << "the address box is clipped";
        } else {
            EXPECT_LE(c.rect.right(), kAboutWindow.clientWidth) << c.name;
        }
        EXPECT_LE(c.rect.bottom(), kAboutWindow.clientHeight) << c.name;
        EXPECT_EQ(&Find(c.control), &c);
    }
    EXPECT_EQ(tabs, (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(Find(AboutControl::cmdOK).id, 1) << "Enter must press OK";
    EXPECT_EQ(std::string_view(texts::kMakerUrl).substr(0, 7), "http://");
    // The picture box is exactly the logo's 94 by 58 pixels at 96 DPI.
    EXPECT_EQ(ToPixels(Find(AboutControl::Image1).rect, 96), (PixelRect{8, 8, 94, 58}));
}

TEST(AboutLayoutTest, LinesCrossTheWindowWhereDesigned) {
    for (const AboutLine& l : kAboutLines) {
        EXPECT_EQ(l.y1, l.y2) << "Line1(" << l.index << ") is horizontal";
        EXPECT_LT(l.x1, l.x2);
        EXPECT_LE(l.x2, kAboutWindow.clientWidth);
    }
    EXPECT_LT(kAboutLines[1].x1, 0) << "the grey line starts left of the window and is clipped";
    // The blue line underlines "URL" and the address.
    const TwipsRect url = Find(AboutControl::Label3).rect;
    const TwipsRect address = Find(AboutControl::Label2).rect;
    EXPECT_EQ(kAboutLines[2].x1, url.left);
    EXPECT_GT(kAboutLines[2].y1, address.top);
    EXPECT_LE(kAboutLines[2].y1, address.bottom());
}

std::size_t Count(std::string_view text, std::string_view what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string_view::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// The length of the run of ASCII blanks that ends right before `at`.
std::size_t BlanksBefore(std::string_view text, std::size_t at) {
    std::size_t n = 0;
    while (n < at && text[at - 1 - n] == ' ')
        ++n;
    return n;
}

TEST(AboutTextsTest, TermsNoticeHasItsShape) {
    const std::string_view notice = kTermsNotice;
    const std::string_view bar = "─";
    const std::string eight = [&] {
        std::string s;
        for (int i = 0; i < 8; ++i)
            s += bar;
        return s;
    }();
    // The heading: eight bars, a title without bars, eight bars, then the first item.
    ASSERT_EQ(notice.substr(0, eight.size()), eight);
    const auto titleEnd = notice.find(bar, eight.size());
    ASSERT_NE(titleEnd, std::string_view::npos);
    EXPECT_GT(titleEnd, eight.size()) << "the heading has a title";
    EXPECT_EQ(notice.substr(titleEnd, eight.size()), eight);
    EXPECT_EQ(notice.substr(titleEnd + eight.size(), 3), "■");
    EXPECT_EQ(Count(notice, bar), 16u);

    EXPECT_EQ(Count(notice, "当人\u3000 "), 1u);
    EXPECT_EQ(Count(notice, "当人\u3000  "), 0u) << "one ASCII blank only";
    const auto second = notice.find("■", notice.find("■") + 1);
    ASSERT_NE(second, std::string_view::npos);
    EXPECT_EQ(BlanksBefore(notice, second), 21u);
    const auto refrain = notice.find("ご遠慮");
    ASSERT_NE(refrain, std::string_view::npos);
    EXPECT_EQ(BlanksBefore(notice, refrain), 6u);
    EXPECT_EQ(Count(notice, "結果，"), 1u);
    EXPECT_EQ(Count(notice, "場合，"), 1u);
    EXPECT_EQ(Count(notice, "■"), 2u);
}

// ---------------------------------------------------------------- the tray menu

TEST(TrayMenuTest, EntriesInOrderWithDistinctCommands) {
    ASSERT_EQ(kTrayMenu.size(), 6u);
    for (std::size_t i = 0; i < kTrayMenu.size(); ++i) {
        EXPECT_EQ(static_cast<std::size_t>(kTrayMenu[i].item), i) << "entry " << i;
    }
    std::set<int> ids;
    for (const MenuEntry& e : kTrayMenu) {
        const bool choosable = e.item != platform::MenuItem::mnuTray && e.item != platform::MenuItem::mnuLine;
        EXPECT_EQ(e.id != 0, choosable) << e.caption;
        EXPECT_EQ(std::string_view(e.caption) == "-", e.item == platform::MenuItem::mnuLine) << e.caption;
        if (choosable) {
            EXPECT_TRUE(ids.insert(e.id).second) << e.caption;
            EXPECT_EQ(MenuItemById(e.id), e.item);
        }
    }
    EXPECT_FALSE(MenuItemById(0).has_value());
    EXPECT_FALSE(MenuItemById(MainControlId(Ctl::cmdON)).has_value());
}

}  // namespace
}  // namespace velt::ui

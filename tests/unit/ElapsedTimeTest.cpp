#include <gtest/gtest.h>

#include "doubles/Harness.h"
#include "ui/ElapsedTime.h"

namespace velt {
namespace {

TEST(ElapsedText, ShowsHoursModuloHundred) {
    struct Case {
        std::uint32_t ms;
        const char* text;
    };
    const Case cases[] = {
        {0, "00:00:00"},
        {999, "00:00:00"},
        {5000, "00:00:05"},
        {59999, "00:00:59"},
        {3600000, "01:00:00"},
        {(99u * 3600 + 59 * 60 + 59) * 1000, "99:59:59"},
        {(100u * 3600 + 5 * 60 + 7) * 1000, "00:05:07"},
        {123u * 3600 * 1000, "23:00:00"},
        {2147483648u, "96:31:23"},
        {2147483648u + 1000, "96:31:24"},
        {4294967295u, "93:02:47"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ElapsedText(c.ms), c.text) << c.ms;
}

TEST(ElapsedText, Timer2WritesLabel7AndStartsAgainAfterTheWrap) {
    test::Harness h;
    h.api.tickCount = 4294967295u;
    h.frm.Timer2_Timer();
    EXPECT_EQ(h.ui.Caption(platform::Ctl::Label7), "93:02:47");
    h.api.tickCount = 0;  // GetTickCount wrapped
    h.frm.Timer2_Timer();
    EXPECT_EQ(h.ui.Caption(platform::Ctl::Label7), "00:00:00");
}

TEST(TimeBoxKeys, OnlyEnterMovesTheFocusOn) {
    test::Harness h;
    for (std::int16_t key :
         {std::int16_t{13}, std::int16_t{9}, std::int16_t{38}, std::int16_t{40}, std::int16_t{65}}) {
        h.log.Clear();
        std::int16_t code = key;
        h.frm.txtTime_KeyDown(1, code, 0);
        EXPECT_EQ(code, key) << "the key code is never changed";
        EXPECT_EQ(h.log.Contains("SendTabKey"), key == 13) << key;
    }
}

}  // namespace
}  // namespace velt

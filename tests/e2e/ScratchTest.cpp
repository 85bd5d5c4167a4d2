#include <gtest/gtest.h>
#include "MainView.h"
namespace velt::e2e {
TEST(Scratch, Icon) {
    AppFolder f(L"scratch"); f.WriteSettings("0\r\n00\r\n00\r\nFalse\r\n");
    Program p(f); ASSERT_TRUE(WaitStartedUp(p));
    p.PostTrayEvent(515);
    WaitUntil([&]{return IsWindowVisible(p.Main()) != 0;}, 3s);
    HWND tray = ::FindWindowW(nullptr, L"Wine System Tray");
    RECT r; GetWindowRect(tray, &r); printf("tray %ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
    for (HWND c : Descendants(tray)) { GetWindowRect(c, &r); printf("icon %s %ld %ld %ld %ld\n", ClassOf(c).c_str(), r.left, r.top, r.right, r.bottom); }
    SaveScreenshot(tray, Cfg().shots + L"\\scratch-tray.png");
    SaveScreenshot(p.Main(), Cfg().shots + L"\\scratch-main.png");
    printf("metrics frame %d dlgframe %d cap %d smicon %d\n", GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CXDLGFRAME), GetSystemMetrics(SM_CYCAPTION), GetSystemMetrics(SM_CXSMICON));
}
}

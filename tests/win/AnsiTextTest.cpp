// ToAnsi / FromAnsi through the real code page of a Japanese system (932).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/win32/Win32Api.h"

namespace {

using velt::platform::win32::Win32Api;
using namespace std::string_literals;

class AnsiText : public testing::Test {
protected:
    void SetUp() override {
        // The tests mean code page 932; anything else is a broken test bench, not a pass.
        ASSERT_EQ(::GetACP(), 932u) << "run under Wine with LC_ALL=ja_JP.UTF-8";
    }
    Win32Api api_{L"Local\\velt-test-ansi"};
};

struct AnsiCase {
    const char* utf8;
    std::string ansi;
};

TEST_F(AnsiText, ConvertsToShiftJisBytes) {
    const AnsiCase cases[] = {
        {"停止中", "\x92\xE2\x8E\x7E\x92\x86"s},
        {"未登録です。", "\x96\xA2\x93\x6F\x98\x5E\x82\xC5\x82\xB7\x81\x42"s},
        {"ﾊﾞｰｼﾞｮﾝ情報～", "\xCA\xDE\xB0\xBC\xDE\xAE\xDD\x8F\xEE\x95\xF1\x81\x60"s},
        {"0", "0"s},
        {"True\r\n", "True\r\n"s},
        {"", ""s},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(api_.ToAnsi(c.utf8), c.ansi) << c.utf8;
        EXPECT_EQ(api_.FromAnsi(c.ansi), c.utf8) << c.utf8;
    }
}

TEST_F(AnsiText, KeepsEmbeddedZeroBytes) {
    // The tray tip is converted with its terminating character.
    EXPECT_EQ(api_.ToAnsi("停止中\0"s), "\x92\xE2\x8E\x7E\x92\x86\0"s);
    EXPECT_EQ(api_.FromAnsi("a\0b"s), "a\0b"s);
}

TEST_F(AnsiText, LongestSentenceFitsTheTip) {
    EXPECT_EQ(api_.ToAnsi(" 電源を切るを23:45に実行します。").size(), 32u);
}

TEST_F(AnsiText, RoundTripsJapaneseText) {
    for (const char* text :
         {"Velt_PCタイマー終了", " 再起動を23:30に実行します。",
          "ログインしているユーザには本動作を行う権限がありません。", "0～23までの数値を入力して下さい。"}) {
        EXPECT_EQ(api_.FromAnsi(api_.ToAnsi(text)), text);
    }
}

TEST_F(AnsiText, InvalidBytesAreDataNotAFailure) {
    // A lone lead byte, bytes unused by 932, and a lead byte with an invalid trail byte.
    for (const std::string& bytes : {"\x81"s, "\xFF\xFE\xFD"s, "\x81\x20"s, "ab\x82"s, "\xA0\x80"s}) {
        const std::string text = api_.FromAnsi(bytes);
        EXPECT_FALSE(text.empty());
        // Whatever came out is valid UTF-8 and converts back to something.
        EXPECT_GT(::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                        static_cast<int>(text.size()), nullptr, 0),
                  0);
        EXPECT_FALSE(api_.ToAnsi(text).empty());
    }
    // Broken UTF-8 going the other way.
    for (const std::string& text : {"\xE5\x81"s, "\xC0\xAF"s, "\xFF"s}) {
        EXPECT_FALSE(api_.ToAnsi(text).empty());
    }
}

TEST_F(AnsiText, CharactersOutsideTheCodePageBecomeTheDefaultCharacter) {
    EXPECT_EQ(api_.ToAnsi("a€b"), "a?b");
}

}  // namespace

// Every text the program itself shows or writes, in one place (UTF-8).
#pragma once

namespace velt::texts {

inline constexpr char kAppTitle[] = "Velt_PCタイマー終了";
inline constexpr char kMainWindowTitle[] = "Velt_PCタイマー終了 v1.23";

// Status and tray tip
inline constexpr char kNotRegistered[] = "未登録です。";
inline constexpr char kStopped[] = "停止中";
inline constexpr char kSentenceObject[] = "を";
inline constexpr char kSentenceTail[] = "に実行します。";

// Action names by Option1 index
inline constexpr const char* kActionNames[3] = {"ログオフ", "再起動", "電源を切る"};

// Message boxes
inline constexpr char kHourInvalid[] = "0～23までの数値を入力して下さい。";
inline constexpr char kMinuteInvalid[] = "0～59までの数値を入力して下さい。";
inline constexpr char kAlreadyRunning[] = "既に起動されています。";
inline constexpr char kConfirmExit[] = "終了してもよろしいでしょうか？";
inline constexpr char kNoPrivilege[] = "ログインしているユーザには本動作を行う権限がありません。";
// A registration from the button that could not finish; the file name goes in front.
inline constexpr char kIconLoadFailed[] = " を読み込めませんでした。\n登録は途中までしか反映されていません。";
inline constexpr char kSettingsSaveFailed[] =
    " に書き込めませんでした。\n登録した内容は次回の起動時に復元されません。";

// About window
inline constexpr char kAboutTitleSuffix[] = " （ﾊﾞｰｼﾞｮﾝ情報）";
inline constexpr char kVersionWord[] = " Version.";

// The maker's page, opened from the tray menu and the About window.
inline constexpr char kMakerUrl[] = "http://www.velt.example/";

// Files in the application directory
inline constexpr char kSettingsFileName[] = "set.ini";
inline constexpr char kIconOnFileName[] = "VELTPOWON.ico";
inline constexpr char kIconOffFileName[] = "VELTPOWOFF.ico";

}  // namespace velt::texts

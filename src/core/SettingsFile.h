// set.ini: four lines in the application directory holding the last registration.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "core/Boolean.h"
#include "platform/Windowing.h"
#include "platform/WindowsApi.h"

namespace velt {

using SettingsFields = std::array<std::string, 4>;

// The option buttons of the actions, by action code: "0" log off, "1" restart, "2" power off.
inline constexpr std::array<platform::Ctl, 3> kActionOptions{
    platform::Ctl::Option1_0, platform::Ctl::Option1_1, platform::Ctl::Option1_2};

// The file `name` in the application directory, where set.ini and the icons live.
std::string AppFile(platform::WindowsApi& api, const char* name);

// Bounds that keep a huge or hostile file from slowing start-up: only the head of the file is
// read, and a field is kept only up to a length far beyond anything the program writes.
inline constexpr std::size_t kSettingsReadLimit = 64 * 1024;
inline constexpr std::size_t kSettingsFieldLimit = 256;

// Splits the head of the file into at most four fields. A field ends at a comma or a line end
// (CR LF, LF or CR); blanks before it are skipped and surrounding double quotes dropped.
SettingsFields ReadSettingsFields(std::string_view bytes);

// The four lines, each ended by CR LF.
std::string FormatSettings(std::string_view actionCode, std::string_view hourText,
                           std::string_view minuteText, bool registerAtStart);

// True for bytes shaped as FormatSettings makes them: four lines, each ended by CR LF. A save
// cut off while writing leaves less.
bool IsWholeSettingsFile(std::string_view bytes);

class SettingsFile {
public:
    SettingsFile(platform::WindowsApi& api, platform::Windowing& ui) noexcept : api_(api), ui_(ui) {}

    Boolean SettingsFileExists();
    // Both writers throw PlatformError when the file cannot be written; the old file then stays.
    void WriteDefaultSettings();
    void SaveSettings(const std::string& actionCode, const std::string& hourText,
                      const std::string& minuteText, bool registerAtStart);
    // Reads the file and applies its fields to the main window's inputs.
    void LoadSettings();
    // Clears away what an interrupted save left beside the file; when the file itself is gone,
    // a whole copy left beside it takes its place first. Says what start-up may do next.
    platform::SettingsAtStart RemoveLeftovers();

    std::string Path();

private:
    void ApplySettings(const SettingsFields& fields);

    platform::WindowsApi& api_;
    platform::Windowing& ui_;
};

}  // namespace velt

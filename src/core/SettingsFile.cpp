#include "core/SettingsFile.h"

#include "common/Texts.h"
#include "core/NumericText.h"

namespace velt {

using platform::Ctl;

SettingsFields ReadSettingsFields(std::string_view bytes) {
    SettingsFields fields;
    // Editors that save UTF-8 put a byte-order mark in front; every value is ASCII anyway.
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);

    std::size_t pos = 0;
    const std::size_t size = bytes.size();
    auto isLineEnd = [](char c) { return c == '\r' || c == '\n'; };
    auto keep = [](std::string& field, char c) {
        if (field.size() < kSettingsFieldLimit) field.push_back(c);
    };

    for (std::string& field : fields) {
        while (pos < size && (bytes[pos] == ' ' || bytes[pos] == '\t'))
            ++pos;
        if (pos >= size) break;

        if (bytes[pos] == '"') {
            ++pos;
            while (pos < size && bytes[pos] != '"' && !isLineEnd(bytes[pos]))
                keep(field, bytes[pos++]);
            if (pos < size && bytes[pos] == '"') ++pos;
            // Anything between the closing quote and the delimiter is not part of the field.
            while (pos < size && bytes[pos] != ',' && !isLineEnd(bytes[pos]))
                ++pos;
        } else {
            while (pos < size && bytes[pos] != ',' && !isLineEnd(bytes[pos]))
                keep(field, bytes[pos++]);
            while (!field.empty() && (field.back() == ' ' || field.back() == '\t'))
                field.pop_back();
        }

        if (pos < size) {
            if (bytes[pos] == '\r') {
                ++pos;
                if (pos < size && bytes[pos] == '\n') ++pos;
            } else {
                ++pos;  // ',' or '\n'
            }
        }
    }
    return fields;
}

std::string FormatSettings(std::string_view actionCode, std::string_view hourText,
                           std::string_view minuteText, bool registerAtStart) {
    std::string text;
    for (std::string_view line :
         {actionCode, hourText, minuteText, std::string_view(registerAtStart ? "True" : "False")}) {
        text.append(line);
        text.append("\r\n");
    }
    return text;
}

bool IsWholeSettingsFile(std::string_view bytes) {
    int lines = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') return false;
        if (bytes[i] == '\r') {
            if (i + 1 == bytes.size() || bytes[i + 1] != '\n') return false;
            ++lines;
            ++i;
        }
    }
    return lines == 4 && bytes.ends_with("\r\n");
}

std::string AppFile(platform::WindowsApi& api, const char* name) {
    // Joined as it stands, even when the directory already ends in a backslash.
    return api.ApplicationDirectory() + "\\" + name;
}

std::string SettingsFile::Path() { return AppFile(api_, texts::kSettingsFileName); }

Boolean SettingsFile::SettingsFileExists() { return api_.FileExists(Path()) ? True : False; }

void SettingsFile::WriteDefaultSettings() {
    api_.ReplaceFileContents(Path(), FormatSettings("0", "00", "00", false));
}

void SettingsFile::SaveSettings(const std::string& actionCode, const std::string& hourText,
                                const std::string& minuteText, bool registerAtStart) {
    api_.ReplaceFileContents(Path(),
                             api_.ToAnsi(FormatSettings(actionCode, hourText, minuteText, registerAtStart)));
}

platform::SettingsAtStart SettingsFile::RemoveLeftovers() {
    return api_.RemoveLeftoverFiles(Path(), &IsWholeSettingsFile);
}

void SettingsFile::LoadSettings() {
    // A file that cannot be opened reads as no fields at all.
    const auto head = api_.ReadFileHead(Path(), kSettingsReadLimit);
    ApplySettings(ReadSettingsFields(head ? std::string_view(*head) : std::string_view()));
}

void SettingsFile::ApplySettings(const SettingsFields& fields) {
    static constexpr const char* kCodes[3] = {"0", "1", "2"};
    for (int i = 0; i < 3; ++i) {
        if (fields[0] == kCodes[i]) {
            ui_.SetValue(kActionOptions[i], true);
            break;
        }
    }

    // A box takes only one of its own entries; anything else leaves it as it was.
    ui_.SetComboText(Ctl::txtTime0, api_.FromAnsi(fields[1]));
    ui_.SetComboText(Ctl::txtTime1, api_.FromAnsi(fields[2]));

    const bool atStart = TruthValue(fields[3]).value_or(false);
    ui_.SetValue(Ctl::optSTART0, atStart);
    ui_.SetValue(Ctl::optSTART1, !atStart);
}

}  // namespace velt

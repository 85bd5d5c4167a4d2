#include "doubles/CallLog.h"

namespace velt::test {

namespace {
bool StartsWith(const std::string& s, std::string_view p) { return s.compare(0, p.size(), p) == 0; }
}  // namespace

std::vector<std::string> CallLog::Only(std::initializer_list<std::string_view> prefixes) const {
    std::vector<std::string> out;
    for (const auto& e : entries) {
        for (auto p : prefixes) {
            if (StartsWith(e, p)) {
                out.push_back(e);
                break;
            }
        }
    }
    return out;
}

bool CallLog::Contains(std::string_view prefix) const { return IndexOf(prefix) >= 0; }

int CallLog::IndexOf(std::string_view prefix) const {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (StartsWith(entries[i], prefix)) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace velt::test

// One ordered record of what the program asked of Windows and of its windows.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velt::test {

struct CallLog {
    std::vector<std::string> entries;

    void Add(std::string entry) { entries.push_back(std::move(entry)); }
    void Clear() { entries.clear(); }
    // Entries that start with one of the given prefixes, in order.
    std::vector<std::string> Only(std::initializer_list<std::string_view> prefixes) const;
    bool Contains(std::string_view prefix) const;
    // Position of the first entry starting with `prefix`, or -1.
    int IndexOf(std::string_view prefix) const;
};

}  // namespace velt::test

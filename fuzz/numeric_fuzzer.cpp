// Any text as a box's content: the numeric value is never NaN and agrees with the strict reader.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/NumericText.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    const double value = velt::NumericValue(text);
    Check(!std::isnan(value));

    // Blanks, tabs and line feeds never change the value, wherever they stand.
    std::string spaced;
    for (char c : text) {
        spaced.push_back(c);
        spaced.push_back(c == '\r' ? '\t' : ' ');
    }
    const double spacedValue = velt::NumericValue("\n" + spaced);
    Check(spacedValue == value || (std::isinf(value) && std::isinf(spacedValue)));

    // A text that is one whole number has that number as its leading value.
    if (text.find_first_of(" \t\n") == std::string::npos) {
        if (const auto whole = velt::WholeNumber(text))
            Check(*whole == value || (std::isinf(*whole) && std::isinf(value)));
    }

    // The truth value of a number is its being non-zero.
    if (const auto truth = velt::TruthValue(text)) {
        if (const auto whole = velt::WholeNumber(text)) Check(*truth == (*whole != 0.0));
    }
    return 0;
}

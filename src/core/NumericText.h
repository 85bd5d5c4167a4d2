// Reading numbers out of the text of a box or a settings field.
#pragma once

#include <optional>
#include <string_view>

namespace velt {

// The value of the longest leading part of `text` that reads as a number: sign, digits,
// decimal point, fraction, exponent (E or e). Blanks, tabs and line feeds are skipped wherever
// they stand; "&H" and "&O" read hexadecimal and octal digits. 0 when nothing reads as a number.
double NumericValue(std::string_view text) noexcept;

// The value of `text` when all of it (around blanks) is one number, in the same notations.
std::optional<double> WholeNumber(std::string_view text) noexcept;

// A settings truth value: "True"/"False" in any letter case, or a number (0 False, else True).
// nullopt for anything else.
std::optional<bool> TruthValue(std::string_view text) noexcept;

}  // namespace velt

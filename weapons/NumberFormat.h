#pragma once

#include <string>

// The shortest decimal text of a double with up to 15 significant digits,
// "." as separator, no exponent for ordinary magnitudes: 13, 3.5, 16.6666666666667.
std::string FormatGeneral(double value);

// Two decimals, "." as separator whatever the locale, and "0.00" rather than
// "-0.00" for a tiny negative: 16.00, 9.38.
std::string FormatTwoDecimals(double value);

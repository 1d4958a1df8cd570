#pragma once

#include <string>

// The shortest decimal text of a double with up to 15 significant digits,
// "." as separator, no exponent for ordinary magnitudes: 13, 3.5, 16.6666666666667.
std::string FormatGeneral(double value);

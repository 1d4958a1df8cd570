#pragma once

#include "expr/Exception.h"

#include <limits>
#include <string>

inline constexpr double kInf = std::numeric_limits<double>::infinity();
inline constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A fault as two evaluation paths must agree on it: class, text and place.
inline std::string FaultText(const Exception& error)
{
    return std::string(error.ClassName()) + ": " + error.what() + " at " +
           std::to_string(error.Position());
}

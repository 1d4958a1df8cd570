#pragma once

#include <array>
#include <string>
#include <vector>

namespace Expr {

// The names for the eight variable slots as TMathsParser::SetVarNames
// describes them, or EVariableNameError naming the first that cannot be.
std::array<std::string, 8> CheckedNames(const std::vector<std::string>& names);

} // namespace Expr

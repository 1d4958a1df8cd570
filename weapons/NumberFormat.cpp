#include "weapons/NumberFormat.h"

#include <charconv>
#include <cmath>
#include <string_view>
#include <system_error>

// std::to_chars never looks at the locale, so the grid reads "3.5" even when
// the user's locale writes decimals with a comma.
std::string FormatGeneral(double value)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (value == 0)
        return "0"; // also for -0

    char buffer[64];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    if (ec != std::errc())
        return "0";
    std::string_view text(buffer, static_cast<std::size_t>(end - buffer));

    // Very large or small magnitudes come out as 1e+20 or 1.5e-05; show them
    // as 1E+20 and 1.5E-5, without the padding zeros of the exponent.
    const std::size_t e = text.find('e');
    if (e == std::string_view::npos)
        return std::string(text);
    std::string result(text.substr(0, e));
    result += 'E';
    std::string_view exponent = text.substr(e + 1);
    result += exponent.front();
    exponent.remove_prefix(1);
    while (exponent.size() > 1 && exponent.front() == '0')
        exponent.remove_prefix(1);
    result += exponent;
    return result;
}

std::string FormatTwoDecimals(double value)
{
    char text[400];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 2);
    std::string fixed(text, result.ptr);
    if (fixed == "-0.00")
        return "0.00";
    return fixed;
}

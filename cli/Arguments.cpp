#include "cli/Arguments.h"

#include "weapons/TextEncoding.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace {

std::string_view Trim(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// from_chars rejects a leading "+", which people type for positive figures.
std::string_view WithoutPlus(std::string_view text)
{
    if (text.size() > 1 && text.front() == '+' && text[1] != '-' && text[1] != '+')
        text.remove_prefix(1);
    return text;
}

} // namespace

std::vector<std::string> SplitList(std::string_view text)
{
    std::vector<std::string> items;
    std::size_t start = 0;
    for (;;) {
        const auto comma = text.find(',', start);
        if (comma == std::string_view::npos) {
            items.emplace_back(text.substr(start));
            return items;
        }
        items.emplace_back(text.substr(start, comma - start));
        start = comma + 1;
    }
}

std::int32_t ParseInt32(std::string_view text, std::string_view what)
{
    const std::string_view digits = WithoutPlus(Trim(text));
    std::int32_t value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec == std::errc::result_out_of_range)
        throw EArgumentError(std::string(what) + ": " + Quoted(text) +
                             " lies outside the range of a 32-bit integer");
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size())
        throw EArgumentError(std::string(what) + ": " + Quoted(text) + " is not an integer");
    return value;
}

double ParseFinite(std::string_view text, std::string_view what)
{
    const std::string_view digits = WithoutPlus(Trim(text));
    double value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() ||
        !std::isfinite(value))
        throw EArgumentError(std::string(what) + ": " + Quoted(text) + " is not a finite number");
    return value;
}

std::vector<std::int32_t> ParseInt32List(std::string_view text, std::size_t count,
                                         std::string_view what)
{
    const auto items = SplitList(text);
    if (items.size() != count)
        throw EArgumentError(std::string(what) + ": expected " + std::to_string(count) +
                             " comma-separated integers, got " + std::to_string(items.size()));
    std::vector<std::int32_t> values;
    values.reserve(count);
    for (const auto& item : items)
        values.push_back(ParseInt32(item, what));
    return values;
}

std::vector<double> ParseFiniteList(std::string_view text, std::size_t maxCount,
                                    std::string_view what)
{
    const auto items = SplitList(text);
    if (items.size() > maxCount)
        throw EArgumentError(std::string(what) + ": at most " + std::to_string(maxCount) +
                             " values, got " + std::to_string(items.size()));
    std::vector<double> values;
    values.reserve(items.size());
    for (const auto& item : items)
        values.push_back(ParseFinite(item, what));
    return values;
}

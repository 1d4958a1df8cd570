#include "weapons/SetupText.h"

#include "weapons/SetupFigures.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>
#include <vector>

namespace {

constexpr std::string_view Version = "qm1";

// The keys in the order SetupText writes them.
enum TField : std::size_t
{
    FieldWeapon,
    FieldStats,
    FieldRounding,
    FieldDamage,
    FieldSpeed,
    FieldCount,
};
constexpr std::array<std::string_view, FieldCount> Keys = {"w", "s", "r", "d", "v"};
constexpr std::array<std::string_view, FieldCount> FieldMeanings = {
    "the weapon's name", "the six inputs", "the rounding mode", "the damage formula",
    "the speed formula"};

bool MustBeEncoded(unsigned char c)
{
    return c < 0x20 || c >= 0x7F || c == ' ' || c == '%' || c == ';' || c == '=';
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Length of the UTF-8 sequence at `i`, or 0 when none starts there.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        // No overlong forms, no surrogates.
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else
        return 0;
    if (i + length > text.size() || byte(i + 1) < low || byte(i + 1) > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF)
            return 0;
    return length;
}

// Blanks a chat client may put around a pasted line: ASCII white space, the
// no-break and the ideographic space, the zero-width space and a byte-order
// mark. None of them can stand inside a setup text unencoded.
std::size_t BlankLength(std::string_view text)
{
    static constexpr std::array<std::string_view, 10> Blanks = {
        " ", "\t", "\r", "\n", "\v", "\f", "\u00A0", "\u3000", "\u200B", "\uFEFF"};
    for (const std::string_view blank : Blanks)
        if (text.starts_with(blank))
            return blank.size();
    return 0;
}

std::size_t TrailingBlankLength(std::string_view text)
{
    for (std::size_t length = 1; length <= 3 && length <= text.size(); ++length)
        if (BlankLength(text.substr(text.size() - length)) == length)
            return length;
    return 0;
}

std::string Quote(std::string_view text)
{
    std::string quoted = "\"";
    quoted.append(text).append("\"");
    return quoted;
}

std::string FieldName(TField field)
{
    std::string name = "field ";
    name.append(Quote(Keys[field])).append(" (").append(FieldMeanings[field]).append(")");
    return name;
}

// `at` is the offset of `value` in the text as given.
std::string Decoded(std::string_view value, std::size_t at, TField field)
{
    const auto fail = [&](std::size_t offset, std::size_t length, std::string_view what) {
        const std::string_view piece = value.substr(offset, length);
        std::string message = FieldName(field);
        message.append(": ").append(Quote(piece)).append(" ").append(what);
        throw ESetupTextError(TSetupTextFault::BadEncoding, std::string(piece), at + offset,
                              message);
    };
    std::string text;
    text.reserve(value.size());
    // Where each decoded byte came from, to point at a bad UTF-8 sequence.
    std::vector<std::size_t> origins;
    origins.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '%') {
            const int high = i + 1 < value.size() ? HexValue(value[i + 1]) : -1;
            const int low = i + 2 < value.size() ? HexValue(value[i + 2]) : -1;
            if (high < 0 || low < 0)
                fail(i, 3, "is not \"%\" followed by two hex digits");
            text += static_cast<char>(high * 16 + low);
            origins.push_back(i);
            i += 2;
            continue;
        }
        if (MustBeEncoded(static_cast<unsigned char>(c)))
            fail(i, 1, "must be percent-encoded");
        text += c;
        origins.push_back(i);
    }
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = Utf8SequenceLength(text, i);
        if (length == 0) {
            const std::size_t end = i + 1 < origins.size() ? origins[i + 1] : value.size();
            fail(origins[i], end - origins[i], "decodes to a byte that is not UTF-8");
        }
        i += length;
    }
    return text;
}

std::string Describe(TStat stat, std::string_view value)
{
    std::string text = FieldName(FieldStats);
    text.append(": ").append(StatName(stat)).append(" ").append(value);
    return text;
}

TWeaponDataAndPCData ParseStats(std::string_view value, std::size_t at)
{
    std::array<std::string_view, StatCount> items;
    std::array<std::size_t, StatCount> offsets{};
    std::size_t count = 0, start = 0;
    for (;;) {
        const std::size_t comma = value.find(',', start);
        if (count < items.size()) {
            items[count] = value.substr(start, comma - start);
            offsets[count] = start;
        }
        ++count;
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    if (count != StatCount) {
        std::string message = FieldName(FieldStats);
        message
            .append(": expected six comma-separated integers STR,DEX,INT,Tactics,Anatomy,"
                    "Lumberjack, got ")
            .append(std::to_string(count));
        throw ESetupTextError(TSetupTextFault::StatCount, std::string(value), at, message);
    }
    TWeaponDataAndPCData stats;
    for (const TStat stat : AllStats) {
        const auto i = static_cast<std::size_t>(stat);
        const std::string_view item = items[i];
        const std::size_t position = at + offsets[i];
        std::int32_t number = 0;
        const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), number);
        if (item.empty() || error != std::errc() || end != item.data() + item.size()) {
            const bool range = error == std::errc::result_out_of_range;
            throw ESetupTextError(TSetupTextFault::NotAnInteger, std::string(item), position,
                                  Describe(stat, Quote(item))
                                      .append(range ? " lies outside the range of a 32-bit integer"
                                                    : " is not an integer"));
        }
        if (number < 0)
            throw ESetupTextError(TSetupTextFault::NegativeInput, std::string(item), position,
                                  Describe(stat, item).append(" is below 0"));
        // The stats have no end of their own; only the skills stop at 100.
        if (StatMaximum(stat) == 100 && number > 100)
            throw ESetupTextError(TSetupTextFault::SkillAbove100, std::string(item), position,
                                  Describe(stat, item).append(" is above 100"));
        SetStat(stats, stat, number);
    }
    return stats;
}

std::int32_t ParseRounding(std::string_view value, std::size_t at)
{
    if (value.size() != 1 || value[0] < '0' || value[0] > '3') {
        std::string message = FieldName(FieldRounding);
        message.append(": ").append(Quote(value)).append(" is not 0, 1, 2 or 3");
        throw ESetupTextError(TSetupTextFault::RoundingMode, std::string(value), at, message);
    }
    return value[0] - '0';
}

} // namespace

std::string PercentEncoded(std::string_view text)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (MustBeEncoded(byte)) {
            encoded += '%';
            encoded += Hex[byte >> 4];
            encoded += Hex[byte & 0xF];
        } else
            encoded += c;
    }
    return encoded;
}

std::string SetupText(const TSetupText& setup)
{
    std::string text(Version);
    text.append(";w=").append(PercentEncoded(setup.WeaponName)).append(";s=");
    for (const TStat stat : AllStats)
        text.append(stat == TStat::STR ? "" : ",")
            .append(std::to_string(StatOf(setup.Stats, stat)));
    text.append(";r=").append(std::to_string(setup.Rounding));
    text.append(";d=").append(PercentEncoded(setup.DamageFormula));
    text.append(";v=").append(PercentEncoded(setup.SpeedFormula));
    return text;
}

TSetupText ParseSetupText(std::string_view given)
{
    std::size_t first = 0, last = given.size();
    while (first < last) {
        const std::size_t blank = BlankLength(given.substr(first, last - first));
        if (blank == 0)
            break;
        first += blank;
    }
    while (last > first) {
        const std::size_t blank = TrailingBlankLength(given.substr(first, last - first));
        if (blank == 0)
            break;
        last -= blank;
    }
    const std::string_view text = given.substr(first, last - first);

    const std::size_t versionEnd = std::min(text.find(';'), text.size());
    const std::string_view version = text.substr(0, versionEnd);
    if (version != Version) {
        const bool versioned = version.size() > 2 && version.starts_with("qm") &&
                               version.find_first_not_of("0123456789", 2) == std::string::npos;
        std::string message;
        if (versioned)
            message.append("unknown setup text version ")
                .append(Quote(version))
                .append("; this program reads ")
                .append(Version);
        else
            message.append("not a setup text: it starts with \"").append(Version).append(";\"");
        throw ESetupTextError(versioned ? TSetupTextFault::UnknownVersion
                                        : TSetupTextFault::NotSetupText,
                              std::string(version), first, message);
    }

    std::array<std::optional<std::string_view>, FieldCount> values;
    std::array<std::size_t, FieldCount> offsets{};
    for (std::size_t start = versionEnd; start < text.size();) {
        ++start;
        const std::size_t end = std::min(text.find(';', start), text.size());
        const std::string_view piece = text.substr(start, end - start);
        const std::size_t at = first + start;
        const std::size_t equals = piece.find('=');
        if (equals == std::string_view::npos) {
            std::string message = "field ";
            message.append(Quote(piece)).append(" is not KEY=VALUE");
            throw ESetupTextError(TSetupTextFault::MalformedField, std::string(piece), at, message);
        }
        const std::string_view key = piece.substr(0, equals);
        std::size_t field = 0;
        while (field < FieldCount && Keys[field] != key)
            ++field;
        if (field == FieldCount) {
            std::string message = "unknown field ";
            message.append(Quote(key)).append("; a setup text holds w, s, r, d and v");
            throw ESetupTextError(TSetupTextFault::UnknownField, std::string(key), at, message);
        }
        if (values[field]) {
            std::string message = FieldName(static_cast<TField>(field));
            message.append(" is given twice");
            throw ESetupTextError(TSetupTextFault::RepeatedField, std::string(key), at, message);
        }
        values[field] = piece.substr(equals + 1);
        offsets[field] = at + equals + 1;
        start = end;
    }
    for (std::size_t field = 0; field < FieldCount; ++field) {
        if (!values[field]) {
            std::string message = FieldName(static_cast<TField>(field));
            message.append(" is missing");
            throw ESetupTextError(TSetupTextFault::MissingField, std::string(Keys[field]), last,
                                  message);
        }
    }

    TSetupText setup;
    setup.WeaponName = Decoded(*values[FieldWeapon], offsets[FieldWeapon], FieldWeapon);
    if (setup.WeaponName.empty())
        throw ESetupTextError(TSetupTextFault::EmptyWeaponName, "", offsets[FieldWeapon],
                              FieldName(FieldWeapon).append(" is empty"));
    setup.Stats = ParseStats(*values[FieldStats], offsets[FieldStats]);
    setup.Rounding = ParseRounding(*values[FieldRounding], offsets[FieldRounding]);
    setup.DamageFormula = Decoded(*values[FieldDamage], offsets[FieldDamage], FieldDamage);
    setup.SpeedFormula = Decoded(*values[FieldSpeed], offsets[FieldSpeed], FieldSpeed);
    return setup;
}

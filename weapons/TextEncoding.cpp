#include "weapons/TextEncoding.h"

#include "expr/Exception.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <string_view>

namespace {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
// Returns the offset of the first byte that breaks the rules, or npos.
std::size_t FirstInvalidUtf8(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char lead = byte(i);
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0)
                low = 0xA0;
            else if (lead == 0xED)
                high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0)
                low = 0x90;
            else if (lead == 0xF4)
                high = 0x8F;
        } else {
            return i;
        }
        if (i + length > text.size())
            return i;
        for (std::size_t k = 1; k < length; ++k) {
            const unsigned char c = byte(i + k);
            const unsigned char lo = k == 1 ? low : 0x80;
            const unsigned char hi = k == 1 ? high : 0xBF;
            if (c < lo || c > hi)
                return i;
        }
        i += length;
    }
    return std::string_view::npos;
}

// Converts all of `input`; on failure returns false and where it stopped.
bool Convert(const char* to, const char* from, std::string_view input, std::string& output,
             std::size_t& badOffset)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        badOffset = 0;
        return false;
    }
    output.clear();
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char buffer[4096];
    bool ok = true;
    while (inLeft > 0) {
        char* out = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t rc = iconv(cd, &in, &inLeft, &out, &outLeft);
        output.append(buffer, static_cast<std::size_t>(out - buffer));
        if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
            ok = false;
            break;
        }
    }
    if (ok) {
        char* out = buffer;
        std::size_t outLeft = sizeof buffer;
        iconv(cd, nullptr, nullptr, &out, &outLeft);
        output.append(buffer, static_cast<std::size_t>(out - buffer));
    }
    badOffset = static_cast<std::size_t>(in - input.data());
    iconv_close(cd);
    return ok;
}

} // namespace

EUndecodableText::EUndecodableText(std::size_t offset)
    : EFileError("A character is neither UTF-8 nor Shift_JIS (byte " + std::to_string(offset + 1) +
                     ").",
                 offset)
{
}

EUnencodableText::EUnencodableText(std::size_t offset)
    : EConvertError("Shift_JIS cannot hold a character (byte " + std::to_string(offset + 1) + ").",
                    offset)
{
}

bool TryDecodeToUtf8InPlace(std::string& text, std::size_t& badOffset)
{
    std::string_view bytes(text);
    const bool hasBom = bytes.substr(0, 3) == "\xEF\xBB\xBF";
    const std::size_t skipped = hasBom ? 3 : 0;
    bytes.remove_prefix(skipped);

    const std::size_t utf8Fault = FirstInvalidUtf8(bytes);
    if (utf8Fault == std::string_view::npos) {
        text.erase(0, skipped);
        return true;
    }
    // A byte-order mark says UTF-8 for certain: reading the rest as Shift_JIS
    // would only turn a damaged file into wrong names.
    if (hasBom) {
        badOffset = skipped + utf8Fault;
        return false;
    }
    std::string utf8;
    std::size_t sjisFault = 0;
    if (Convert("UTF-8", "CP932", bytes, utf8, sjisFault)) {
        text.swap(utf8);
        return true;
    }
    // The encoding that got further is the likelier one the file was meant in.
    badOffset = std::max(utf8Fault, sjisFault);
    return false;
}

bool TryDecodeToUtf8(const std::string& bytes, std::string& utf8, std::size_t& badOffset)
{
    std::string text = bytes;
    if (!TryDecodeToUtf8InPlace(text, badOffset))
        return false;
    utf8 = std::move(text);
    return true;
}

std::string DecodeToUtf8(const std::string& bytes)
{
    std::string utf8;
    std::size_t badOffset = 0;
    if (!TryDecodeToUtf8(bytes, utf8, badOffset))
        throw EUndecodableText(badOffset);
    return utf8;
}

std::string EncodeUtf8ToShiftJis(const std::string& utf8)
{
    std::string sjis;
    std::size_t badOffset = 0;
    if (!Convert("CP932", "UTF-8", utf8, sjis, badOffset))
        throw EUnencodableText(badOffset);
    return sjis;
}

// Appended piece by piece: GCC 12 reports a false overlap for "\"" + text
// when optimising.
std::string Quoted(std::string_view text)
{
    std::string quoted(1, '"');
    quoted += text;
    quoted += '"';
    return quoted;
}

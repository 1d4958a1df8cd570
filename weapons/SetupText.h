#pragma once

#include "expr/Exception.h"
#include "weapons/WeaponD.h"
#include "weapons/WeaponSpeed.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Everything that decides what a weapon does for a character: the weapon's
// name, the six inputs (the weapon part of Stats is ignored), both formulas
// and the rounding mode.
struct TSetupText
{
    std::string WeaponName;
    TWeaponDataAndPCData Stats;
    std::string DamageFormula = DefaultDamageMethod;
    std::string SpeedFormula = DefaultSpeedMethod;
    std::int32_t Rounding = RoundUp;
};

// What was wrong with a setup text, for the edge to word.
enum class TSetupTextFault
{
    // The text does not start with a version, or not with this one.
    NotSetupText,
    UnknownVersion,
    // A piece between semicolons that is not KEY=VALUE.
    MalformedField,
    UnknownField,
    MissingField,
    RepeatedField,
    // "%" without two hex digits, a character that must be encoded standing
    // bare, or bytes that decode to no UTF-8.
    BadEncoding,
    EmptyWeaponName,
    StatCount,
    NotAnInteger,
    NegativeInput,
    SkillAbove100,
    RoundingMode,
};

// A setup text that cannot be read. Piece is the offending part as it stands
// in the text and Position its byte offset in the text as given (leading
// blanks included); what() says the same in English.
class ESetupTextError : public Exception
{
public:
    ESetupTextError(TSetupTextFault fault, std::string piece, std::size_t position,
                    const std::string& message)
        : Exception(message, position), m_fault(fault), m_piece(std::move(piece))
    {
    }
    const char* ClassName() const noexcept override { return "ESetupTextError"; }
    TSetupTextFault Fault() const noexcept { return m_fault; }
    const std::string& Piece() const noexcept { return m_piece; }

private:
    TSetupTextFault m_fault;
    std::string m_piece;
};

// One line that survives a chat: "qm1;w=NAME;s=STR,DEX,INT,Tactics,Anatomy,
// Lumberjack;r=MODE;d=DAMAGE FORMULA;v=SPEED FORMULA", the name and the
// formulas percent-encoded (see PercentEncoded). The inputs are written as
// they are; ParseSetupText takes back only what a setup may hold.
std::string SetupText(const TSetupText& setup);

// Reads a text SetupText wrote, its fields in any order, blanks around the
// whole text ignored. Raises ESetupTextError for anything else: another
// version, a field missing, repeated or unknown, bad encoding, not six
// integers, an input below 0, a skill above 100, a rounding mode outside
// 0..3. The formulas are not compiled here.
TSetupText ParseSetupText(std::string_view text);

// "%", ";", "=", blanks, control characters and every byte outside ASCII as
// %XX (upper-case hex); everything else stays readable.
std::string PercentEncoded(std::string_view text);

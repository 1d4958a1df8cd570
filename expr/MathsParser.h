#pragma once

#include "expr/Exception.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// Compiles a formula with up to eight named variables into a flat table of
// three-address operations once, then evaluates that table as often as the
// caller likes. Owned by the damage calculator and by the swing-speed
// computation, one each.
class TMathsParser
{
public:
    TMathsParser();

    double V1() const { return m_vars[0]; }
    double V2() const { return m_vars[1]; }
    double V3() const { return m_vars[2]; }
    double V4() const { return m_vars[3]; }
    double V5() const { return m_vars[4]; }
    double V6() const { return m_vars[5]; }
    double V7() const { return m_vars[6]; }
    double V8() const { return m_vars[7]; }
    void SetV1(double value) { m_vars[0] = value; }
    void SetV2(double value) { m_vars[1] = value; }
    void SetV3(double value) { m_vars[2] = value; }
    void SetV4(double value) { m_vars[3] = value; }
    void SetV5(double value) { m_vars[4] = value; }
    void SetV6(double value) { m_vars[5] = value; }
    void SetV7(double value) { m_vars[6] = value; }
    void SetV8(double value) { m_vars[7] = value; }

    const std::string& V1Name() const { return m_names[0]; }
    const std::string& V2Name() const { return m_names[1]; }
    const std::string& V3Name() const { return m_names[2]; }
    const std::string& V4Name() const { return m_names[3]; }
    const std::string& V5Name() const { return m_names[4]; }
    const std::string& V6Name() const { return m_names[5]; }
    const std::string& V7Name() const { return m_names[6]; }
    const std::string& V8Name() const { return m_names[7]; }
    void SetV1Name(std::string name) { m_names[0] = std::move(name); }
    void SetV2Name(std::string name) { m_names[1] = std::move(name); }
    void SetV3Name(std::string name) { m_names[2] = std::move(name); }
    void SetV4Name(std::string name) { m_names[3] = std::move(name); }
    void SetV5Name(std::string name) { m_names[4] = std::move(name); }
    void SetV6Name(std::string name) { m_names[5] = std::move(name); }
    void SetV7Name(std::string name) { m_names[6] = std::move(name); }
    void SetV8Name(std::string name) { m_names[7] = std::move(name); }

    // Indexed access for callers that loop over the slots (i = 0..7).
    double Var(std::size_t i) const { return m_vars[i]; }
    void SetVar(std::size_t i, double value) { m_vars[i] = value; }
    const std::string& VarName(std::size_t i) const { return m_names[i]; }
    void SetVarName(std::size_t i, std::string name) { m_names[i] = std::move(name); }

    const std::string& Expression() const { return m_expression; }
    // Compiles at once. A rejected formula raises EMissMatchingBracket,
    // ESyntaxError or EConvertError and leaves the previous program in use.
    void SetExpression(std::string text);

    // Runs the compiled program; allocates nothing and parses nothing.
    // Raises EZeroDivide, EInvalidOp or EOverflow instead of returning inf/NaN.
    double Value();

    // The text of the last error raised by this parser.
    const std::string& ErrorMessage() const { return m_errorMessage; }

private:
    std::array<double, 8> m_vars{};
    std::array<std::string, 8> m_names;
    std::string m_expression;
    std::string m_errorMessage;
    // The compiled program lives in the implementation's tables below.
    // (added by the implementation)
};

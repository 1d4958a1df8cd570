#pragma once

#include "expr/BatchEvaluator.h"
#include "expr/Exception.h"
#include "expr/NativeCode.h"
#include "expr/Program.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

// Compiles a formula with up to eight named variables into a flat table of
// three-address operations once, then evaluates that table as often as the
// caller likes. Owned by the damage calculator and by the swing-speed
// computation, one each.
class TMathsParser
{
public:
    TMathsParser();

    double V1() const { return m_program.Slots[1]; }
    double V2() const { return m_program.Slots[2]; }
    double V3() const { return m_program.Slots[3]; }
    double V4() const { return m_program.Slots[4]; }
    double V5() const { return m_program.Slots[5]; }
    double V6() const { return m_program.Slots[6]; }
    double V7() const { return m_program.Slots[7]; }
    double V8() const { return m_program.Slots[8]; }
    void SetV1(double value) { m_program.Slots[1] = value; }
    void SetV2(double value) { m_program.Slots[2] = value; }
    void SetV3(double value) { m_program.Slots[3] = value; }
    void SetV4(double value) { m_program.Slots[4] = value; }
    void SetV5(double value) { m_program.Slots[5] = value; }
    void SetV6(double value) { m_program.Slots[6] = value; }
    void SetV7(double value) { m_program.Slots[7] = value; }
    void SetV8(double value) { m_program.Slots[8] = value; }

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
    // An index beyond the slots raises std::out_of_range.
    double Var(std::size_t i) const { return m_program.Slots[VariableSlot(i)]; }
    void SetVar(std::size_t i, double value) { m_program.Slots[VariableSlot(i)] = value; }
    const std::string& VarName(std::size_t i) const { return m_names.at(i); }
    void SetVarName(std::size_t i, std::string name) { m_names.at(i) = std::move(name); }
    // Names all eight slots at once, for names the caller did not choose
    // itself: names[i] goes to slot i, and slots beyond the list or given an
    // empty name stay unnamed, so no default name can take a formula's
    // variable. Each name starts with an ASCII letter, holds only ASCII
    // letters, digits and "_", contains neither a function name nor "pi", and
    // no two share one text (case aside). Otherwise raises EVariableNameError
    // naming the name and keeps the old names. Takes effect with the next
    // SetExpression.
    void SetVarNames(const std::vector<std::string>& names);

    const std::string& Expression() const { return m_expression; }
    // Compiles at once. A rejected formula raises EMissMatchingBracket,
    // ESyntaxError or EConvertError and leaves the previous program in use.
    // Each carries Position(), the byte of `text` as given (spaces included)
    // where the fault lies:
    // - EMissMatchingBracket: the first closing bracket that closes nothing,
    //   else the first opening one never closed ("1)+(2" and ")1+2(" fail at
    //   their first ")"); "[" and "{" count as "(", "]" and "}" as ")";
    // - ESyntaxError: an unknown name or character (its first byte), pi written
    //   against a number, a variable or pi ("2pi", "2 pi", "pix"; at pi), a
    //   text of more than 256 characters once spaces are removed and brackets
    //   added (at the first byte too many), or more than 89 literals and
    //   operations together (at the one too many);
    // - EConvertError: a number such as 1.2.3 ("'1.2.3' is not a valid floating
    //   point value", at its first digit), or a missing operand (at the operator
    //   lacking it), empty bracket (at the bracket), function name without
    //   bracket (at the name) or two operands side by side (at the second),
    //   quoting the encoded piece that is not a slot number ("'0*' is not a
    //   valid integer value" for 3*/2, at the "/").
    // The texts are English; the edge words them for the user.
    void SetExpression(std::string text);

    // Runs the compiled program; allocates nothing and parses nothing. Each step
    // gives its long double result rounded to double (computed in double where
    // that is provably the same, bit for bit). Instead of inf or NaN:
    // - EZeroDivide: x/0 with x != 0, ln or log10 of 0, 0 to a negative power;
    // - EInvalidOp: 0/0, ln, log10 or sqrt of a negative, arcsin/arccos beyond
    //   +-1, a negative base with a non-integral exponent (or one beyond 2^31 - 1),
    //   a variable the program reads holding NaN;
    // - EOverflow: a result beyond the double range, a variable the program reads
    //   holding +-inf.
    // Position() is the operator or function name whose step faulted, or the
    // first use of the variable, in the formula as given; the machine code,
    // the interpreter and ValueBatch agree on it.
    // Results below the double range become 0 or subnormal without complaint.
    double Value()
    {
        // The machine code looks at the variables only where an inf or NaN
        // would not carry on into its result (expr/NativeCode.cpp); any other
        // one makes the result inf or NaN, and the interpreter's check then
        // names it. Inline, so that a caller's loop reaches the code directly.
        const double result = m_native.Run(m_program.Slots.data());
        if (std::isfinite(result)) [[likely]] {
            return result;
        }
        return Interpret();
    }

    // Value() runs the formula as machine code where that can be made (x86-64,
    // unless QUILLMARCH_NO_NATIVE=1), with the same results bit for bit and the
    // same faults; switched off, it interprets the operation table, the
    // reference the machine code is held to. On by default; takes effect at once.
    void SetNativeCode(bool enabled);
    // Whether the current formula runs as machine code.
    bool NativeCode() const { return m_native.HasCode(); }

    // Rows evaluated together by ValueBatch; longer batches run block by block.
    static constexpr std::size_t BatchRows = Expr::kBatchRows;
    // Variable i of row r is columns[i][r], or V(i + 1) for every row where
    // columns[i] is nullptr. Each operation runs over a whole block of rows
    // before the next, so the dispatch is paid once per block instead of once
    // per row, and an operation whose operands are the same for every row runs
    // once. out[r] receives bit for bit what Value() returns for row r, and a
    // fault raises what Value() would raise for the first faulting row (out is
    // then partly written). Allocates its scratch on the parser's first batch
    // and nothing after; V1 .. V8 stay as they are.
    using TColumns = Expr::TColumns;
    void ValueBatch(const TColumns& columns, std::size_t rows, double* out);

    // The text of the last error raised by this parser.
    const std::string& ErrorMessage() const { return m_errorMessage; }

private:
    static std::size_t VariableSlot(std::size_t i)
    {
        if (i >= 8) {
            throw std::out_of_range("TMathsParser: no variable " + std::to_string(i + 1));
        }
        return i + 1;
    }
    // Value() without the machine code: the variables checked, the operation
    // table interpreted. Out of line, so that Value() stays small.
    [[gnu::noinline]] double Interpret();

    std::array<std::string, 8> m_names;
    std::string m_expression;
    std::string m_errorMessage;
    Expr::TProgram m_program;
    // The machine code of m_program, shared by copies of the parser; the
    // code reads the slots of whichever parser runs it.
    Expr::TNativeRunner m_native;
    bool m_nativeWanted = true;
    Expr::TBatchScratch m_batch;
};

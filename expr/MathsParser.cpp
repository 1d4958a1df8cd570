#include "expr/MathsParser.h"

#include "expr/Compiler.h"
#include "expr/ExtendedStep.h"
#include "expr/Interpreter.h"
#include "expr/VariableNames.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

TMathsParser::TMathsParser() : m_names{"a", "b", "c", "d", "e", "f", "g", "x"} {}

void TMathsParser::SetVarNames(const std::vector<std::string>& names)
{
    try {
        m_names = Expr::CheckedNames(names);
    } catch (const Exception& error) {
        m_errorMessage = error.what();
        throw;
    }
}

void TMathsParser::SetExpression(std::string text)
{
    try {
        Expr::TProgram program = Expr::Compile(text, m_names);
        std::copy_n(m_program.Slots.begin() + 1, 8, program.Slots.begin() + 1);
        Expr::TNativeRunner native(m_nativeWanted ? Expr::TNativeCode::Make(program) : nullptr);
        m_program = program;
        m_native = std::move(native);
        m_expression = std::move(text);
    } catch (const Exception& error) {
        m_errorMessage = error.what();
        throw;
    }
}

double TMathsParser::Interpret()
{
    const double* const slots = m_program.Slots.data();
    // A variable the program reads that the caller left at inf or NaN fails
    // like a faulty result would, instead of flowing silently into the formula.
    // Each is read on its own: the caller has usually just stored one of them,
    // and a wide load over that store would wait for it to retire.
    std::uint64_t carries = 0;
    for (int k = 0; k < m_program.ReadCount; ++k) {
        carries |= Expr::NonFiniteCarry(slots[m_program.ReadSlots[static_cast<std::size_t>(k)]]);
    }
    if ((carries >> 63) != 0) {
        Expr::FailVariables(m_program, m_errorMessage);
    }
    return Expr::Interpret(m_program, m_errorMessage);
}

void TMathsParser::SetNativeCode(bool enabled)
{
    m_nativeWanted = enabled;
    m_native = Expr::TNativeRunner(enabled ? Expr::TNativeCode::Make(m_program) : nullptr);
}

void TMathsParser::ValueBatch(const TColumns& columns, std::size_t rows, double* out)
{
    Expr::TBatch& batch = m_batch.Get();
    for (std::size_t first = 0; first < rows; first += BatchRows) {
        Expr::RunBatchBlock(m_program, batch, columns, first, std::min(BatchRows, rows - first),
                            out + first, m_errorMessage);
    }
}

#pragma once

#include "expr/Program.h"

#include <cstddef>
#include <memory>
#include <utility>

// A program as machine code for x86-64, made when a formula is assigned. Each
// step runs in the x87 unit's extended precision and stores its result as a
// double, which is the interpreter's own rule; the functions and powers call
// the interpreter's routines. The code never names a fault itself: a faulty
// step leaves inf or NaN behind, the code returns a result that is not
// finite, and the caller runs the interpreter, which raises exactly what it
// always has.
namespace Expr {

class TNativeCode
{
public:
    // Nothing where no code can be made: another processor, a build without
    // the code generator, QUILLMARCH_NO_NATIVE set, or memory refused.
    static std::shared_ptr<const TNativeCode> Make(const TProgram& program);

    ~TNativeCode();
    TNativeCode(const TNativeCode&) = delete;
    TNativeCode& operator=(const TNativeCode&) = delete;

    // Gives the program's result for the variables and literals in `slots`
    // (the program's own slots, results written there as the interpreter
    // does), or inf or NaN when the interpreter must run.
    using TFunction = double (*)(double*);
    TFunction Function() const { return m_function; }

private:
    TNativeCode(void* memory, std::size_t size, TFunction function);

    void* m_memory;
    std::size_t m_size;
    TFunction m_function;
};

// The machine code a parser runs, its function at hand so that a run costs
// one call; without code, a stand-in that sends every run to the
// interpreter. Copies share the code; a moved-from one holds the stand-in, so
// that it never runs code it no longer owns.
class TNativeRunner
{
public:
    TNativeRunner() = default;
    explicit TNativeRunner(std::shared_ptr<const TNativeCode> code)
        : m_code(std::move(code)), m_function(m_code ? m_code->Function() : &WithoutCode)
    {
    }
    TNativeRunner(const TNativeRunner&) = default;
    TNativeRunner& operator=(const TNativeRunner&) = default;
    TNativeRunner(TNativeRunner&& other) noexcept
        : m_code(std::move(other.m_code)), m_function(std::exchange(other.m_function, &WithoutCode))
    {
    }
    TNativeRunner& operator=(TNativeRunner&& other) noexcept
    {
        m_code = std::move(other.m_code);
        m_function = std::exchange(other.m_function, &WithoutCode);
        return *this;
    }
    ~TNativeRunner() = default;

    double Run(double* slotValues) const { return m_function(slotValues); }
    bool HasCode() const { return m_code != nullptr; }

private:
    static double WithoutCode(double*);

    std::shared_ptr<const TNativeCode> m_code;
    TNativeCode::TFunction m_function = &WithoutCode;
};

// False when the environment has QUILLMARCH_NO_NATIVE set to anything but
// "" or "0"; read once.
bool NativeCodeAllowed();

} // namespace Expr

#include "expr/NativeCode.h"

#include "expr/ExtendedStep.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

#ifdef QUILLMARCH_NATIVE_CODE
#include <asmjit/x86.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace Expr {

bool NativeCodeAllowed()
{
    static const bool allowed = [] {
        const char* value = std::getenv("QUILLMARCH_NO_NATIVE");
        return value == nullptr || *value == '\0' || std::strcmp(value, "0") == 0;
    }();
    return allowed;
}

double TNativeRunner::WithoutCode(double*)
{
    return std::numeric_limits<double>::quiet_NaN();
}

TNativeCode::TNativeCode(void* memory, std::size_t size, TFunction function)
    : m_memory(memory), m_size(size), m_function(function)
{
}

#ifdef QUILLMARCH_NATIVE_CODE

namespace {

using namespace asmjit;

constexpr std::uint64_t kQuietNaN = 0x7ff8000000000000;

// Ahead of the entry point, so that a sanitizer that reads a signature
// before an indirect call's target reads mapped bytes.
constexpr std::size_t kEntryOffset = 16;

// Powers and functions run through the interpreter's own routine, so that
// they round and fault alike.
int CallOut(int code, double left, double right, double* stored)
{
    return Evaluate(code, left, right, *stored);
}

class TErrorFlag : public ErrorHandler
{
public:
    void handleError(Error, const char*, BaseEmitter*) override { Failed = true; }
    bool Failed = false;
};

// Emits one program. The slots' address stays in rdi where the program calls
// nothing, else in rbx, which survives calls.
//
// Where the code looks for inf or NaN: with finite operands, an x87 step
// faults exactly when what it stores is not finite (x/0 gives inf, 0/0 NaN,
// a result beyond the double range inf), and an inf or NaN operand of + - *
// or a dividend carries on into the step's own result; the same holds for a
// variable the caller left at inf or NaN. So every fault reaches the
// program's result, which the caller checks, unless a divisor (x/inf is 0),
// an operand of a called routine or a result nobody reads swallows it: only
// those are looked at. The unit's fault flags would tell the same for the
// steps, but reading them waits for every step in flight and so keeps one
// evaluation from overlapping the next.
class TEmitter
{
public:
    TEmitter(const TProgram& program, x86::Assembler& a) : m_program(program), m_a(a)
    {
        for (int i = 0; i < program.Count; ++i) {
            const TOperation operation = Operation(i);
            m_read[static_cast<std::size_t>(operation.Left)] = true;
            if (operation.Code <= kLastBinaryCode) {
                m_read[static_cast<std::size_t>(operation.Right)] = true;
            }
            m_callsOut = m_callsOut || !IsArithmetic(operation.Code);
        }
        m_read[static_cast<std::size_t>(program.Result)] = true;
        m_base = m_callsOut ? x86::rbx : x86::rdi;
    }

    void Emit()
    {
        const Label fault = m_a.newLabel();
        if (m_callsOut) {
            // Pushed, rbx also aligns the stack for the calls.
            m_a.push(x86::rbx);
            m_a.mov(x86::rbx, x86::rdi);
        }
        for (int i = 0; i < m_program.Count; ++i) {
            const TOperation operation = Operation(i);
            if (IsArithmetic(operation.Code)) {
                Arithmetic(operation, m_program.Base + 1 + i);
            } else if (IsKnownCode(operation.Code)) {
                CallOut(operation, m_program.Base + 1 + i, fault);
            }
        }
        m_a.movsd(x86::xmm0, Slot(m_program.Result));
        if (m_collected) {
            // x - (+0) is x, -0 included; x - NaN is NaN.
            m_a.subsd(x86::xmm0, x86::xmm7);
        }
        Return();

        m_a.bind(fault);
        m_a.mov(x86::rax, kQuietNaN);
        m_a.movq(x86::xmm0, x86::rax);
        Return();
    }

private:
    static bool IsArithmetic(int code) { return code >= 2 && code <= kLastBinaryCode; }

    TOperation Operation(int i) const { return m_program.Operations[static_cast<std::size_t>(i)]; }

    x86::Mem Slot(int slot) const
    {
        return x86::qword_ptr(m_base, slot * static_cast<int>(sizeof(double)));
    }

    void Return()
    {
        if (m_callsOut) {
            m_a.pop(x86::rbx);
        }
        m_a.ret();
    }

    // The sign belongs to the right operand: a + (-b) is a - b, and a * (-b),
    // a / (-b) are -(a * b), -(a / b), all exactly.
    void Arithmetic(const TOperation& operation, int result)
    {
        const bool negative = operation.Sign < 0;
        const x86::Mem right = Slot(operation.Right);
        m_a.fld(Slot(operation.Left));
        switch (operation.Code) {
        case 2:
            m_a.fmul(right);
            break;
        case 3:
            Check(operation.Right);
            m_a.fdiv(right);
            break;
        case 4:
            if (negative) {
                m_a.fsub(right);
            } else {
                m_a.fadd(right);
            }
            break;
        default:
            if (negative) {
                m_a.fadd(right);
            } else {
                m_a.fsub(right);
            }
            break;
        }
        if (negative && (operation.Code == 2 || operation.Code == 3)) {
            m_a.fchs();
        }
        // The store rounds the extended result to double.
        m_a.fstp(Slot(result));
        if (!m_read[static_cast<std::size_t>(result)]) {
            Check(result);
        }
    }

    // Powers and functions take the interpreter's own routine, whose fault
    // sends the whole run to the interpreter.
    void CallOut(const TOperation& operation, int result, const Label& fault)
    {
        Check(operation.Left);
        if (operation.Code <= kLastBinaryCode) {
            Check(operation.Right);
        }
        // xmm7 does not survive the call, so what it holds is judged first.
        if (m_collected) {
            m_a.ucomisd(x86::xmm7, x86::xmm7);
            m_a.jp(fault);
            m_collected = false;
        }
        m_a.movsd(x86::xmm0, Slot(operation.Left));
        if (operation.Sign < 0) {
            m_a.mov(x86::rax, Slot(operation.Right));
            m_a.btc(x86::rax, 63);
            m_a.movq(x86::xmm1, x86::rax);
        } else {
            m_a.movsd(x86::xmm1, Slot(operation.Right));
        }
        m_a.mov(x86::edi, operation.Code);
        m_a.lea(x86::rsi, Slot(result));
        m_a.mov(x86::rax, reinterpret_cast<std::uint64_t>(&Expr::CallOut));
        m_a.call(x86::rax);
        m_a.test(x86::eax, x86::eax);
        m_a.jnz(fault);
    }

    // Collects in xmm7 the sum of v - v over the values looked at: +0 while
    // all are finite, NaN from the first that is not on. Literals and the
    // zero slots are finite by construction.
    void Check(int slot)
    {
        if (slot >= kFirstLiteralSlot && slot <= m_program.Base) {
            return;
        }
        if (slot == 0 || slot == kFirstLiteralSlot - 1) {
            return;
        }
        const x86::Xmm value = m_collected ? x86::xmm6 : x86::xmm7;
        m_a.movsd(value, Slot(slot));
        m_a.subsd(value, value);
        if (m_collected) {
            m_a.addsd(x86::xmm7, value);
        }
        m_collected = true;
    }

    const TProgram& m_program;
    x86::Assembler& m_a;
    std::array<bool, kLastSlot + 1> m_read{};
    bool m_callsOut = false;
    x86::Gp m_base;
    bool m_collected = false;
};

} // namespace

std::shared_ptr<const TNativeCode> TNativeCode::Make(const TProgram& program)
{
    if (!NativeCodeAllowed()) {
        return nullptr;
    }
    CodeHolder code;
    TErrorFlag error;
    if (code.init(Environment::host()) != kErrorOk) {
        return nullptr;
    }
    code.setErrorHandler(&error);
    x86::Assembler assembler(&code);
    TEmitter(program, assembler).Emit();
    if (error.Failed || code.flatten() != kErrorOk) {
        return nullptr;
    }

    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t size = (kEntryOffset + code.codeSize() + page - 1) / page * page;
    void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) {
        return nullptr;
    }
    // Written while writable only, then made executable and never writable again.
    auto* bytes = static_cast<std::uint8_t*>(memory);
    std::memset(bytes, 0xcc, size);
    if (code.relocateToBase(reinterpret_cast<std::uint64_t>(bytes + kEntryOffset)) != kErrorOk ||
        code.copyFlattenedData(bytes + kEntryOffset, size - kEntryOffset) != kErrorOk ||
        mprotect(memory, size, PROT_READ | PROT_EXEC) != 0) {
        munmap(memory, size);
        return nullptr;
    }
    TFunction function = nullptr;
    void* entry = bytes + kEntryOffset;
    static_assert(sizeof function == sizeof entry);
    std::memcpy(&function, &entry, sizeof function);
    return std::shared_ptr<const TNativeCode>(new TNativeCode(memory, size, function));
}

TNativeCode::~TNativeCode()
{
    munmap(m_memory, m_size);
}

#else

std::shared_ptr<const TNativeCode> TNativeCode::Make(const TProgram&)
{
    return nullptr;
}

TNativeCode::~TNativeCode() = default;

#endif

} // namespace Expr

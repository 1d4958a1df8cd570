#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

// Every error the core raises derives from Exception, so the program's one
// handler can show any of them and go on. what() is the text the user reads.
//
// The core chooses no language: what() is a plain English text for logs and
// scripts, and the edge words a fault from its class, its position and what
// the subclass carries.
class Exception : public std::runtime_error
{
public:
    static constexpr std::size_t NoPosition = static_cast<std::size_t>(-1);

    explicit Exception(const std::string& message, std::size_t position = NoPosition)
        : std::runtime_error(message), m_position(position)
    {
    }
    // The class name as a user or a script sees it ("ESyntaxError", ...).
    virtual const char* ClassName() const noexcept { return "Exception"; }
    // Where the fault lies in the text it was raised for: a 0-based byte
    // offset into that text as given, spaces included. NoPosition when the
    // fault has no place in a text.
    std::size_t Position() const noexcept { return m_position; }

private:
    std::size_t m_position;
};

#define QUILLMARCH_EXCEPTION(Name, Base)                                                           \
    class Name : public Base                                                                       \
    {                                                                                              \
    public:                                                                                        \
        using Base::Base;                                                                          \
        const char* ClassName() const noexcept override { return #Name; }                          \
    };

// Rejected formulas.
QUILLMARCH_EXCEPTION(EMissMatchingBracket, Exception)
QUILLMARCH_EXCEPTION(ESyntaxError, Exception)
// A variable name the formula language cannot hold.
QUILLMARCH_EXCEPTION(EVariableNameError, Exception)
// A number or a piece of encoded text that cannot be converted.
QUILLMARCH_EXCEPTION(EConvertError, Exception)
// Floating-point faults while evaluating, raised instead of returning inf or NaN.
QUILLMARCH_EXCEPTION(EMathError, Exception)
QUILLMARCH_EXCEPTION(EZeroDivide, EMathError)
QUILLMARCH_EXCEPTION(EInvalidOp, EMathError)
QUILLMARCH_EXCEPTION(EOverflow, EMathError)
// A weapon table or settings file that cannot be read.
QUILLMARCH_EXCEPTION(EFileError, Exception)

#undef QUILLMARCH_EXCEPTION

#pragma once

#include <stdexcept>
#include <string>

// Every error the core raises derives from Exception, so the program's one
// handler can show any of them and go on. what() is the text the user reads.
class Exception : public std::runtime_error
{
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    // The class name as a user or a script sees it ("ESyntaxError", ...).
    virtual const char* ClassName() const noexcept { return "Exception"; }
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

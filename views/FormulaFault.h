#pragma once

#include "expr/Exception.h"

#include <QString>

#include <cstddef>

// What rejects a formula, as the user reads it: the words, and where the
// fault lies as a byte offset into the formula's UTF-8 text, the way the
// evaluator counts it (Exception::NoPosition when it lies nowhere in
// particular).
struct TFormulaFault
{
    QString Text;
    std::size_t Position = Exception::NoPosition;

    bool operator==(const TFormulaFault&) const = default;
};

#pragma once

#include <array>
#include <random>
#include <string>

// The damage formula's variables in the calculator's slot order.
inline const char* const kDamageNames[8] = {"STR",      "Damage", "TacticsR", "AnatomyR",
                                            "LumberjR", "Plus",   "DEX",      "INT"};

// Random formulas of every operator and function over eight variable names,
// faults (division by zero, logarithms of negatives, overflow) included.
class TFormulaGenerator
{
public:
    TFormulaGenerator(unsigned seed, const char* const (&names)[8]) : m_random(seed)
    {
        for (std::size_t i = 0; i < m_names.size(); ++i)
            m_names[i] = names[i];
    }

    std::string Formula() { return Sum(0); }
    int Pick(int count) { return static_cast<int>(m_random() % static_cast<unsigned>(count)); }
    std::mt19937& Random() { return m_random; }

private:
    std::string Sum(int depth)
    {
        std::string text = Pick(6) == 0 ? "-" : "";
        const int operands = 1 + Pick(4);
        for (int i = 0; i < operands; ++i) {
            if (i > 0) {
                text += "^/*-+"[Pick(5)];
                if (Pick(6) == 0)
                    text += '-';
            }
            text += Operand(depth);
        }
        return text;
    }

    std::string Operand(int depth)
    {
        static const char* const Functions[] = {"exp", "ln",   "log10",  "sin",    "cos",
                                                "tan", "abs",  "arcsin", "arccos", "arctan",
                                                "erf", "erfc", "sqrt"};
        static const char* const Numbers[] = {"0",  "1",   "2",   "0.5", "3",
                                              "10", "500", "0.1", "pi",  "1.5"};
        switch (depth > 3 ? Pick(2) : Pick(5)) {
        case 0:
            return m_names[static_cast<std::size_t>(Pick(8))];
        case 1:
            return Numbers[Pick(10)];
        case 2:
            return Bracketed("", depth);
        default:
            return Bracketed(Functions[Pick(13)], depth);
        }
    }

    // Appended piece by piece: "(" + text + ")" draws a false -Wrestrict from GCC 12.
    std::string Bracketed(const char* function, int depth)
    {
        std::string text = function;
        text += '(';
        text += Sum(depth + 1);
        text += ')';
        return text;
    }

    std::mt19937 m_random;
    std::array<std::string, 8> m_names;
};

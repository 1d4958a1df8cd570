#pragma once

#include <string>

// Compile a formula on a scratch evaluator named exactly like the one that
// will run it, so a rejected formula is caught before anything is changed.
// Both return the evaluator's message, or an empty text when it compiles.
std::string DamageMethodError(const std::string& formula);
std::string SpeedMethodError(const std::string& formula);

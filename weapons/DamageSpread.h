#pragma once

#include <array>
#include <cstdint>

// How likely each damage value 1..60 is when the damage is N dice of S
// sides plus a bonus P. Computed by convolution, so time and memory do not
// grow with S^N.
class TDamageSpread
{
public:
    static constexpr int BarCount = 60;

    // Stores the dice and recomputes the bars at once.
    void SetDiceData(std::int32_t count, std::int32_t sides, std::int32_t bonus);

    std::int32_t DiceCount() const { return m_count; }
    std::int32_t DiceSides() const { return m_sides; }
    std::int32_t DamageBonus() const { return m_bonus; }
    // Bars()[k - 1] is the probability of damage k, in percent.
    const std::array<double, BarCount>& Bars() const { return m_bars; }
    // The tallest bar; ties keep the first. 0 before any dice.
    double HighProbability() const { return m_highProbability; }

private:
    std::int32_t m_count = 0, m_sides = 0, m_bonus = 0;
    std::array<double, BarCount> m_bars{};
    double m_highProbability = 0;
};

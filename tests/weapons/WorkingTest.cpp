#include "weapons/Working.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The substituted text compiled with no variable at all gives the raw value
// bit for bit, or the working shows something else than was computed.
double EvaluatedAlone(const std::string& substituted)
{
    TMathsParser parser;
    parser.SetVarNames({});
    parser.SetExpression(substituted);
    return parser.Value();
}

TEST(Working, VariablesAreFoundAsTheEvaluatorFindsThem)
{
    const auto& damage = TWeaponDamges::VariableNames();
    const auto& speed = TWeaponSpeed::VariableNames();
    // STR, Damage, TacticsR, AnatomyR, LumberjR, Plus, DEX, INT.
    const std::array<double, 8> damageValues = {100, 26, 1.5, 0.3, -0.25, 9, 90, 25};
    // STR, SPEED, DEXR, d, e, f, DEX, INT.
    const std::array<double, 8> speedValues = {100, 35, 120, 4, 5, 6, 90, 25};
    struct TCase
    {
        const char* Name;
        bool Speed;
        const char* Formula;
        const char* Expected;
    } const cases[] = {
        {"any letter case, the rest as written", false, "damage * (tacticsR+STR/500) /2+ plus",
         "26 * (1.5+100/500) /2+ 9"},
        {"blanks inside a name", false, "Dam age+D EX", "26+90"},
        {"a negative value in brackets", false, "2*LumberjR", "2*(-0.25)"},
        {"pi and functions stay", false, "pi*sqrt(INT)+abs(DEX)", "pi*sqrt(25)+abs(90)"},
        {"longest name first", true, "DEXR-DEX+SPEED", "120-90+35"},
        {"one-letter names outside function names", true, "exp(d)+e*erfc(f)+erf(e)",
         "exp(4)+5*erfc(6)+erf(5)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(SubstitutedFormula(c.Formula, c.Speed ? speed : damage,
                                     c.Speed ? speedValues : damageValues),
                  c.Expected);
    }
}

TEST(Working, DamageWorkingGivesEveryFigureOfTheCalculator)
{
    // Katana, Axe and Black Staff of the bundled table, and a bow, none of
    // which is bundled, with a zero low damage counted as 1.
    const TWeaponBaseData weapons[] = {{26, 5, 15.5, "Swords", "Katana"},
                                       {33, 6, 19.5, "AXE", "Axe"},
                                       {33, 8, 20.5, "Staff", "Black Staff"},
                                       {23, 0, 11.5, "Archery", "Bow"}};
    const char* const formulas[] = {
        DefaultDamageMethod,
        "Damage^1.1/3 + str*DEX/(INT+1) - Plus*TacticsR + AnatomyR*LumberjR + sqrt(Damage)/7"};
    for (const char* formula : formulas)
        for (std::int32_t rounding = RoundUp; rounding <= NoRounding; ++rounding)
            for (const TWeaponBaseData& weapon : weapons) {
                SCOPED_TRACE(weapon.Name + " " + formula + " mode " + std::to_string(rounding));
                const TWeaponDataAndPCData setup{97, 83, 41, 89, 73, 61, weapon};
                TWeaponDamges calculator(setup);
                calculator.SetRoundingMode(rounding);
                calculator.SetDamageMethod(formula);
                const std::array<double, 3> hq = {calculator.HQLow(), calculator.HQHigh(),
                                                  calculator.HQAve()};
                const auto check = [&](const TWeaponDamges::TResultAt& at, double figure) {
                    const TWorking working = DamageWorking(calculator, setup, at);
                    ASSERT_EQ(TWeaponDamges::Round(working.Raw, rounding), figure);
                    ASSERT_EQ(EvaluatedAlone(working.Substituted), working.Raw)
                        << working.Substituted;
                    ASSERT_EQ(working.Rounding, static_cast<TWorkingRounding>(rounding));
                };
                for (std::size_t f = 0; f < 3; ++f)
                    check({true, 0, 0, f}, hq[f]);
                for (std::size_t a = 0; a < 6; ++a)
                    for (std::size_t d = 0; d < 6; ++d)
                        for (std::size_t f = 0; f < 3; ++f)
                            check({false, a, d, f}, calculator.Table()[a][d][f]);
            }
}

TEST(Working, DelayWorkingGivesEveryDelayOfTheGrid)
{
    for (const char* formula :
         {DefaultSpeedMethod, "(15000/((25+2.5*DEXR)*SPEED))*exp(d-e+f) + STR/(INT+DEX+1)"}) {
        for (const std::int32_t weaponSpeed : {25, 37, 58}) {
            SCOPED_TRACE(std::string(formula) + " speed " + std::to_string(weaponSpeed));
            TWeaponSpeed speed;
            speed.SetSpeedMethod(formula);
            speed.SetWeaponSpeedData({"", weaponSpeed, 90, 100, 25});
            for (std::int32_t dex = 0; dex <= MaxDex; ++dex) {
                const TWorking working =
                    DelayWorking(speed, {double(weaponSpeed), 100, 90, 25, double(dex)});
                ASSERT_EQ(working.Rounded, speed.Delays()[static_cast<std::size_t>(dex)]) << dex;
                ASSERT_EQ(EvaluatedAlone(working.Substituted), working.Raw) << working.Substituted;
            }
        }
    }
}

} // namespace

#include "app/Appearance.h"
#include "views/ChartOverlay.h"
#include "views/ColourScheme.h"
#include "views/WeaponDamageSpreadChart.h"
#include "views/WeaponRaderChart.h"
#include "weapons/SetupFigures.h"

#include <QApplication>
#include <QDir>
#include <QTest>

#include <iostream>

namespace {

TSetup Setup(std::string name, int count, int sides, int bonus, int speed, int str, int dex)
{
    TSetup setup;
    setup.Weapon.Name = std::move(name);
    setup.Weapon.Type = "Swords";
    setup.Weapon.Speed = speed;
    setup.Weapon.DiceCount = count;
    setup.Weapon.DiceSides = sides;
    setup.Weapon.DamageBonus = bonus;
    setup.Weapon.LowDamage = count + bonus;
    setup.Weapon.HighDamage = count * sides + bonus;
    setup.Weapon.AverageDamage = (setup.Weapon.LowDamage + setup.Weapon.HighDamage) / 2;
    setup.Stats = {str, dex, 100, 100, 100, 100, {}};
    return setup;
}

// The current setup and three pinned ones, as the compare page shows them.
bool SaveComparison(const QDir& out, const QString& prefix, const TColourScheme& scheme)
{
    TSetupCalculator calculator;
    const std::vector<TSetupFigures> figures = calculator.Figures(std::vector<TSetup>{
        Setup("Broadsword", 2, 13, 3, 45, 100, 100), Setup("Katana", 3, 8, 2, 58, 100, 100),
        Setup("Viking Sword", 4, 8, 2, 30, 80, 60), Setup("Halberd", 2, 23, 3, 25, 100, 25)});
    QList<TChartOverlay> overlays;
    for (std::size_t k = 1; k < figures.size(); ++k)
        overlays << MakeChartOverlay(figures[k], static_cast<int>(k - 1), scheme);
    const TSetup& current = figures[0].Setup;

    TWeaponDamageSpreadChart spread;
    spread.resize(640, 400);
    spread.SetDiceData(current.Weapon.DiceCount, current.Weapon.DiceSides,
                       current.Weapon.DamageBonus);
    spread.SetOverlays(overlays);
    spread.show();
    QTest::qWait(1200);
    bool ok = spread.grab().save(out.filePath(prefix + "compare-spread.png"));
    spread.SetView3D(true);
    QTest::qWait(1200);
    ok = spread.grab().save(out.filePath(prefix + "compare-spread-3d.png")) && ok;

    TWeaponRaderChart radar;
    radar.resize(420, 320);
    radar.SetRaderChartData({RaderDamage(figures[0].NormalAverage()), figures[0].TopProbability,
                             current.Weapon.Speed, current.Weapon.Type});
    radar.SetOverlays(overlays);
    radar.show();
    QTest::qWait(1200);
    return radar.grab().save(out.filePath(prefix + "compare-radar.png")) && ok;
}

} // namespace

// Writes spread-2d.png, spread-3d.png and radar.png into the given folder, and
// the same charts with pinned setups over them as compare-spread.png,
// compare-spread-3d.png and compare-radar.png; after "dark", the dark
// appearance's as dark-*.png.
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString("."));
    const bool dark = argc > 2 && qstrcmp(argv[2], "dark") == 0;
    if (dark)
        ApplyAppearance(TAppearance::Dark);
    const QString prefix = dark ? "dark-" : "";

    TWeaponDamageSpreadChart spread;
    spread.resize(640, 400);
    spread.SetDiceData(2, 13, 3);
    spread.show();
    QTest::qWait(1200);
    bool ok = spread.grab().save(out.filePath(prefix + "spread-2d.png"));
    spread.SetView3D(true);
    QTest::qWait(1200);
    ok = spread.grab().save(out.filePath(prefix + "spread-3d.png")) && ok;

    TWeaponRaderChart radar;
    // Wide enough that "総合力" clears the gauge caption at the left edge.
    radar.resize(420, 320);
    TRaderChartData data;
    data.Damage = 29;
    data.TopProbability = spread.HighProbability();
    data.Speed = 33;
    data.WeaponType = "Swords";
    radar.SetRaderChartData(data);
    radar.show();
    QTest::qWait(1200);
    ok = radar.grab().save(out.filePath(prefix + "radar.png")) && ok;
    ok = SaveComparison(out, prefix, TColourScheme::For(radar.palette())) && ok;

    if (!ok)
        std::cerr << "could not write the pictures\n";
    return ok ? 0 : 1;
}

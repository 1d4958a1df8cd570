#include "views/WeaponDamageSpreadChart.h"
#include "views/WeaponRaderChart.h"

#include <QApplication>
#include <QDir>
#include <QTest>

#include <iostream>

// Writes spread-2d.png, spread-3d.png and radar.png into the given folder.
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString("."));

    TWeaponDamageSpreadChart spread;
    spread.resize(640, 400);
    spread.SetDiceData(2, 13, 3);
    spread.show();
    QTest::qWait(1200);
    bool ok = spread.grab().save(out.filePath("spread-2d.png"));
    spread.SetView3D(true);
    QTest::qWait(1200);
    ok = spread.grab().save(out.filePath("spread-3d.png")) && ok;

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
    ok = radar.grab().save(out.filePath("radar.png")) && ok;

    if (!ok)
        std::cerr << "could not write the pictures\n";
    return ok ? 0 : 1;
}

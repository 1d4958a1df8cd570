#include "ChartPixels.h"
#include "views/WeaponRaderChart.h"
#include "weapons/RaderGeometry.h"

#include <QAction>
#include <QClipboard>
#include <QFontMetrics>
#include <QtTest>

namespace {

const QRgb Blue = qRgb(0, 0, 255);
const QRgb LightBlue = qRgb(187, 221, 255);
const QRgb Red = qRgb(255, 0, 0);
const QRgb Black = qRgb(0, 0, 0);
const QRgb White = qRgb(255, 255, 255);

int CountColour(const QImage& image, QRect area, QRgb colour)
{
    return CountWhere(image, area, [colour](QRgb c) { return c == colour; });
}

} // namespace

class RaderChartTest : public QObject
{
    Q_OBJECT

private:
    TWeaponRaderChart* NewChart(int w = 300, int h = 300)
    {
        auto* chart = new TWeaponRaderChart;
        chart->resize(w, h);
        m_charts.push_back(chart);
        return chart;
    }
    QImage Picture(TWeaponRaderChart* chart)
    {
        return chart->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    TRaderGeometry Geometry(TWeaponRaderChart* chart)
    {
        return ComputeRaderGeometry(chart->width(), chart->height(),
                                    QFontMetrics(chart->font()).height(), chart->Factors());
    }
    std::vector<TWeaponRaderChart*> m_charts;

private slots:
    void cleanup()
    {
        qDeleteAll(m_charts);
        m_charts.clear();
    }

    void startsWithTheDefaultsAndItsSize()
    {
        TWeaponRaderChart* chart = NewChart();
        QCOMPARE(chart->objectName(), QString("WeaponRaderChart"));
        QCOMPARE(chart->RaderChartData().Damage, 32);
        QCOMPARE(chart->RaderChartData().TopProbability, 20.0);
        QCOMPARE(chart->RaderChartData().Speed, 56);
        QCOMPARE(chart->sizeHint(), QSize(300, 300));
        QCOMPARE(chart->minimumSize(), QSize(300, 300));
        // The default record is already drawn: speed factor 0.96 reaches
        // nearly the apex, so the light-blue area rises close to it.
        const QImage image = Picture(chart);
        QVERIFY(CountColour(image, QRect(140, 40, 20, 20), LightBlue) > 0);
        // And the property carries the record as well.
        const QVariant value = chart->property("RaderChartData");
        QVERIFY(value.isValid());
        QCOMPARE(value.value<TRaderChartData>().Speed, 56);
    }

    void squareControlUsesTheWideRule()
    {
        const QImage image = Picture(NewChart());
        // Apex at y = 20, base at y = 280, both drawn black.
        QCOMPARE(Pixel(image, 150, 20), Black);
        QVERIFY(Pixel(image, 150, 17) != Black);
        QCOMPARE(Pixel(image, 100, 280), Black);
        QCOMPARE(Pixel(image, 100, 279), White);
    }

    void tallControlCentresTheTriangle()
    {
        const QImage image = Picture(NewChart(300, 500));
        QCOMPARE(Pixel(image, 150, 100), Black);
        QVERIFY(Pixel(image, 150, 97) != Black);
        QCOMPARE(Pixel(image, 100, 380), Black);
    }

    void speedAxisEnds()
    {
        // Speed 58: the polygon's top point is the apex, so the blue outline
        // runs down from it; speed 8 keeps the polygon's top at the centre.
        TWeaponRaderChart* chart = NewChart();
        chart->SetRaderChartData({20, 10, 58, "Swords"});
        QImage image = Picture(chart);
        const QRect belowApex(140, 22, 21, 20);
        QVERIFY(CountColour(image, belowApex, Blue) > 0);
        QVERIFY(CountColour(image, belowApex, LightBlue) > 0);

        chart->SetRaderChartData({20, 10, 8, "Swords"});
        image = Picture(chart);
        const TRaderGeometry g = Geometry(chart);
        QCOMPARE(CountColour(image, QRect(100, 22, 101, g.C.Y - 30), Blue), 0);
        QCOMPARE(CountColour(image, QRect(100, 22, 101, g.C.Y - 30), LightBlue), 0);
    }

    void damage41ReachesTheRightCorner()
    {
        TWeaponRaderChart* chart = NewChart();
        const QRect nearRight(280, 262, 20, 18);
        chart->SetRaderChartData({41, 10, 33, "Swords"});
        QVERIFY(CountColour(Picture(chart), nearRight, Blue) > 0);
        chart->SetRaderChartData({25, 10, 33, "Swords"});
        QCOMPARE(CountColour(Picture(chart), nearRight, Blue), 0);
    }

    void floodFillColoursTheCentreLightBlue()
    {
        TWeaponRaderChart* chart = NewChart();
        chart->SetRaderChartData({30, 10, 40, "Swords"});
        const QImage image = Picture(chart);
        const TRaderGeometry g = Geometry(chart);
        // Between the speed and damage axis lines, just off the centre.
        QCOMPARE(Pixel(image, g.C.X + 6, g.C.Y - 4), LightBlue);
        // Outside the data polygon but inside the triangle stays white.
        QCOMPARE(Pixel(image, g.L.X + 40, g.L.Y - 3), White);
        // The three axis lines are drawn over the fill.
        QCOMPARE(Pixel(image, g.C.X, g.C.Y - 10), Black);
    }

    void gaugeFollowsStability_data()
    {
        QTest::addColumn<double>("top");
        QTest::addColumn<double>("emptyShare");
        QTest::newRow("17% top: stability 100, empty") << 17.0 << 1.0;
        QTest::newRow("10% top: stability 50, half") << 10.0 << 0.5;
        QTest::newRow("3% top: stability 0, full") << 3.0 << 0.0;
        QTest::newRow("100% top: clamped to 100") << 100.0 << 1.0;
    }

    void gaugeFollowsStability()
    {
        QFETCH(double, top);
        QFETCH(double, emptyShare);
        TWeaponRaderChart* chart = NewChart();
        chart->SetRaderChartData({30, top, 40, "Swords"});
        const QImage image = Picture(chart);
        const TRaderGeometry g = Geometry(chart);
        int white = 0, red = 0;
        for (int y = g.GaugeTop + 1; y < g.GaugeBottom; ++y) {
            white += Pixel(image, 20, y) == White;
            red += Pixel(image, 20, y) == Red;
        }
        const int inside = g.GaugeBottom - g.GaugeTop - 1;
        QVERIFY2(std::abs(white - emptyShare * inside) <= 2,
                 qPrintable(QString("white %1 of %2").arg(white).arg(inside)));
        QVERIFY(std::abs(red - (1 - emptyShare) * inside) <= 2);
    }

    void negativeStabilityStaysInsideTheFrame()
    {
        TWeaponRaderChart* chart = NewChart();
        chart->SetRaderChartData({30, 1.0, 40, "Swords"});
        QVERIFY(chart->Factors().Stability < 0);
        const QImage image = Picture(chart);
        const TRaderGeometry g = Geometry(chart);
        QCOMPARE(Pixel(image, 20, g.GaugeTop + 2), Red);
        QCOMPARE(CountColour(image, QRect(0, 0, 40, g.GaugeTop), Red), 0);
    }

    void highDpiPictureKeepsClosedOutlines()
    {
        TWeaponRaderChart* chart = NewChart();
        chart->SetRaderChartData({30, 10, 40, "Swords"});
        const QImage image = chart->RenderPicture(2.0);
        QCOMPARE(image.size(), QSize(600, 600));
        const TRaderGeometry g = Geometry(chart);
        QCOMPARE(Pixel(image, 2 * (g.C.X + 6), 2 * (g.C.Y - 4)), LightBlue);
        // The fill stays inside the polygon: the triangle's corner region is white.
        QCOMPARE(Pixel(image, 2 * (g.L.X + 40), 2 * (g.L.Y - 3)), White);
    }

    void captionsAreDrawn()
    {
        TWeaponRaderChart* chart = NewChart();
        const QImage image = Picture(chart);
        const int text = QFontMetrics(chart->font()).height();
        // "爆発力" at the top left and "Speed" above the apex leave ink.
        QVERIFY(CountColour(image, QRect(8, 5, 30, text), White) < 30 * text);
        QVERIFY(CountColour(image, QRect(150, 20 - 5 - text, 30, text), White) < 30 * text);
    }

    void noOverlaysDrawTheSamePicture()
    {
        TWeaponRaderChart* chart = NewChart(420, 320);
        const QImage never = Picture(chart);
        chart->SetOverlays({});
        QCOMPARE(Picture(chart), never);
        chart->SetOverlays({Pin(0, "Mace", {}, ComputeRaderFactors({20, 12, 50, "Mace"}))});
        QVERIFY(Picture(chart) != never);
        chart->SetOverlays({});
        QCOMPARE(Picture(chart), never);
    }

    void overlaysOutlineTheirPolygonsAndNameThem()
    {
        TWeaponRaderChart* chart = NewChart(420, 320);
        chart->SetRaderChartData({30, 10, 40, "Swords"});
        // The first pin has the current figures, so its outline must lie on
        // the blue one; the second reaches the apex and the right corner
        // (speed 58, damage 41) and its top probability 17 is steadiness 100.
        const TChartOverlay same = Pin(0, "Same", {}, chart->Factors());
        const TChartOverlay top = Pin(1, "Top", {}, ComputeRaderFactors({41, 17, 58, "Swords"}));
        chart->SetOverlays({same, top});
        const QImage image = Picture(chart);
        const TRaderGeometry g = Geometry(chart);
        const QPoint blueEdge((g.P[0].X + g.P[2].X) / 2, (g.P[0].Y + g.P[2].Y) / 2);
        QVERIFY(PassesNear(image, blueEdge, same.Colour, 1));
        QVERIFY(PassesNear(image, {(g.T.X + g.R.X) / 2, (g.T.Y + g.R.Y) / 2}, top.Colour, 1));
        QVERIFY(PassesNear(image, {g.GaugeRight + 5, g.GaugeBottom}, top.Colour, 1));

        VerifyLegend(image, chart->OverlayLegend(), {"Same", "Top"});
    }

    void ctrlCAndTheMenuCopyThePicture()
    {
        TWeaponRaderChart* chart = NewChart(360, 320);
        chart->SetRaderChartData({30, 12, 45, "Mace"});
        chart->show();
        QVERIFY(QTest::qWaitForWindowExposed(chart));
        QClipboard* clipboard = QGuiApplication::clipboard();
        const QImage expected = chart->RenderPicture().convertToFormat(QImage::Format_RGB32);

        QTest::mouseClick(chart, Qt::LeftButton, {}, QPoint(200, 200));
        QVERIFY(chart->hasFocus());
        clipboard->clear();
        QTest::keyClick(chart, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboard->image().size(), QSize(360, 320));
        QCOMPARE(clipboard->image().convertToFormat(QImage::Format_RGB32), expected);

        clipboard->clear();
        QCOMPARE(chart->contextMenuPolicy(), Qt::ActionsContextMenu);
        QCOMPARE(chart->actions().size(), 1);
        QCOMPARE(chart->actions().front()->text(), QString("Copy"));
        chart->actions().front()->trigger();
        QCOMPARE(clipboard->image().convertToFormat(QImage::Format_RGB32), expected);
    }
};

QTEST_MAIN(RaderChartTest)
#include "RaderChartTest.moc"

#include "ChartPixels.h"
#include "views/WeaponDamageSpreadChart.h"

#include <QAction>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QTimer>
#include <QtTest>

namespace {

bool IsRed(QRgb c)
{
    return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
}

bool IsWhite(QRgb c)
{
    return qRed(c) > 245 && qGreen(c) > 245 && qBlue(c) > 245;
}

int CountRed(const QImage& image)
{
    return CountWhere(image, image.rect(), IsRed);
}

// The columns (left, right) and top row where `matches` holds outside `skip`.
QRect Extent(const QImage& image, QRect skip, const std::function<bool(QRgb)>& matches)
{
    QRect extent;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!skip.contains(x, y) && matches(Pixel(image, x, y)))
                extent |= QRect(x, y, 1, 1);
    return extent;
}

} // namespace

class SpreadChartTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TWeaponDamageSpreadChart> m_chart;

    // Where a chart value lands in the widget's own pixels.
    QPoint ToWidget(QPointF value)
    {
        QChart* chart = m_chart->Chart();
        const QPointF inChart = chart->mapToPosition(value);
        const QPoint inView = m_chart->ChartView()->mapFromScene(chart->mapToScene(inChart));
        return m_chart->ChartView()->viewport()->mapTo(m_chart.get(), inView);
    }
    QPoint InViewport(QPointF value)
    {
        QChart* chart = m_chart->Chart();
        return m_chart->ChartView()->mapFromScene(chart->mapToScene(chart->mapToPosition(value)));
    }
    QImage Picture() { return m_chart->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    static void Near(QPair<double, double> actual, double min, double max, double tolerance)
    {
        QVERIFY2(std::abs(actual.first - min) <= tolerance &&
                     std::abs(actual.second - max) <= tolerance,
                 qPrintable(QString("got %1..%2, expected %3..%4")
                                .arg(actual.first)
                                .arg(actual.second)
                                .arg(min)
                                .arg(max)));
    }
    QStringList ValueLabels()
    {
        auto* axis = qobject_cast<QCategoryAxis*>(m_chart->Chart()->axes(Qt::Vertical).first());
        return axis->categoriesLabels();
    }

private slots:
    void init()
    {
        m_chart = std::make_unique<TWeaponDamageSpreadChart>();
        m_chart->resize(640, 400);
        m_chart->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_chart.get()));
        // Pixels are checked at rest, not halfway through a zoom animation.
        m_chart->Chart()->setAnimationOptions(QChart::NoAnimation);
    }
    void cleanup() { m_chart.reset(); }

    void startsEmptyInTheStandardView()
    {
        QCOMPARE(m_chart->objectName(), QString("WeaponDamageSpreadChart"));
        QCOMPARE(m_chart->HighProbability(), 0.0);
        QCOMPARE(m_chart->View3D(), false);
        QCOMPARE(m_chart->ValueAxisRange(), qMakePair(0.0, 15.0));
        QCOMPARE(m_chart->CategoryRange(), qMakePair(1, 60));
        QCOMPARE(m_chart->BarSet()->count(), 60);
        QStringList percent;
        for (int k = 0; k <= 15; ++k)
            percent << QString("%1%").arg(k);
        QCOMPARE(ValueLabels(), percent);
        QCOMPARE(CountRed(Picture()), 0);
        QVERIFY(!m_chart->Chart()->legend()->isVisible());
    }

    void twoD6PeaksRedAtSeven()
    {
        m_chart->SetDiceData(2, 6, 0);
        QVERIFY(std::abs(m_chart->HighProbability() - 100.0 / 6) < 1e-9);
        QVERIFY(std::abs(m_chart->property("HighProbability").toDouble() - 100.0 / 6) < 1e-9);
        QBarSet* bars = m_chart->BarSet();
        QVERIFY(std::abs(bars->at(6) - 100.0 / 6) < 1e-9);
        QCOMPARE(bars->at(0), 0.0);
        for (int k = 13; k <= 60; ++k)
            QCOMPARE(bars->at(k - 1), 0.0);
        QList<int> red;
        for (int k = 2; k <= 12; ++k)
            red << k - 1;
        QCOMPARE(bars->selectedBars().size(), red.size());
        for (int index : red)
            QVERIFY(bars->isBarSelected(index));

        const QImage image = Picture();
        // Bar 7 (16.7 %) is red up to the plot's top; bar 6 (13.9 %) ends below it.
        QVERIFY(IsRed(image.pixel(ToWidget({6, 8}))));
        QVERIFY(IsRed(image.pixel(ToWidget({6, 14.8}))));
        QVERIFY(IsRed(image.pixel(ToWidget({5, 13.5}))));
        QVERIFY(IsWhite(image.pixel(ToWidget({5, 14.3}))));
        // Damage 1 and 13 stay empty right above the floor.
        QVERIFY(IsWhite(image.pixel(ToWidget({0, 0.5}))));
        QVERIFY(IsWhite(image.pixel(ToWidget({12, 0.5}))));
        QVERIFY(IsWhite(image.pixel(ToWidget({40, 0.5}))));
    }

    void tallBarIsCutAtThePlotTop()
    {
        m_chart->SetDiceData(1, 4, 0);
        QCOMPARE(m_chart->HighProbability(), 25.0);
        const QImage image = Picture();
        const QPoint top = ToWidget({1, 15});
        QVERIFY(IsRed(image.pixel(top + QPoint(0, 2))));
        // Above the plot the bar is gone: the surround stays silver.
        QVERIFY(!IsRed(image.pixel(top - QPoint(0, 4))));
        QCOMPARE(m_chart->ValueAxisRange(), qMakePair(0.0, 15.0));
    }

    void dragZoomsPanMovesDoubleClickRestores()
    {
        m_chart->SetDiceData(2, 6, 0);
        QWidget* viewport = m_chart->ChartView()->viewport();
        // Drag from (damage 5, 10 %) to (damage 15, 2 %).
        const QPoint from = InViewport({4, 10});
        const QPoint to = InViewport({14, 2});
        QTest::mousePress(viewport, Qt::LeftButton, {}, from);
        QTest::mouseMove(viewport, (from + to) / 2);
        QTest::mouseMove(viewport, to);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
        Near(m_chart->ValueAxisRange(), 2, 10, 0.1);
        Near(m_chart->DamageAxisRange(), 5, 15, 0.15);
        QCOMPARE(m_chart->CategoryRange(), qMakePair(5, 15));
        // Zoomed labels keep a round step with at most three decimals.
        for (const QString& label : ValueLabels()) {
            QVERIFY(label.endsWith('%'));
            const int dot = label.indexOf('.');
            QVERIFY2(dot < 0 || label.size() - dot - 2 <= 3, qPrintable(label));
        }
        QVERIFY(ValueLabels().size() >= 8);

        // Right-drag: the content follows the mouse, so dragging right and up
        // shows lower damage values and lower percentages.
        const auto [vMin, vMax] = m_chart->ValueAxisRange();
        const auto [dMin, dMax] = m_chart->DamageAxisRange();
        const QRectF plot = m_chart->Chart()->plotArea();
        const QPoint start = plot.center().toPoint();
        QTest::mousePress(viewport, Qt::RightButton, {}, start);
        QTest::mouseMove(viewport, start + QPoint(30, -20));
        QTest::mouseMove(viewport, start + QPoint(60, -40));
        QTest::mouseRelease(viewport, Qt::RightButton, {}, start + QPoint(60, -40));
        const double dShift = 60 * (dMax - dMin) / plot.width();
        const double vShift = 40 * (vMax - vMin) / plot.height();
        Near(m_chart->DamageAxisRange(), dMin - dShift, dMax - dShift, 0.05);
        Near(m_chart->ValueAxisRange(), vMin - vShift, vMax - vShift, 0.05);

        // The zoom survives a new weapon.
        const auto zoomed = m_chart->ValueAxisRange();
        m_chart->SetDiceData(1, 4, 0);
        QCOMPARE(m_chart->ValueAxisRange(), zoomed);
        QVERIFY(m_chart->CategoryRange() != qMakePair(1, 60));

        QTest::mouseDClick(viewport, Qt::LeftButton, {}, start);
        QCOMPARE(m_chart->ValueAxisRange(), qMakePair(0.0, 15.0));
        QCOMPARE(m_chart->CategoryRange(), qMakePair(1, 60));
        QCOMPARE(ValueLabels().first(), QString("0%"));
        QCOMPARE(ValueLabels().last(), QString("15%"));
    }

    void rightDragPansWhileTheAxesAnimate()
    {
        m_chart->SetDiceData(2, 13, 3);
        m_chart->Chart()->setAnimationOptions(QChart::SeriesAnimations |
                                              QChart::GridAxisAnimations);
        QWidget* viewport = m_chart->ChartView()->viewport();
        QPoint at = viewport->rect().center();
        QTest::mousePress(viewport, Qt::RightButton, {}, at);
        for (int k = 0; k < 20; ++k) {
            at += QPoint(-6, 0);
            QMouseEvent move(QEvent::MouseMove, at, viewport->mapToGlobal(at), Qt::NoButton,
                             Qt::RightButton, {});
            QApplication::sendEvent(viewport, &move);
            QTest::qWait(30);
        }
        QTest::mouseRelease(viewport, Qt::RightButton, {}, at);
        QVERIFY(m_chart->DamageAxisRange().first > 10);
    }

    void tinyDragDoesNotZoom()
    {
        QWidget* viewport = m_chart->ChartView()->viewport();
        const QPoint at = InViewport({20, 5});
        QTest::mousePress(viewport, Qt::LeftButton, {}, at);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, at + QPoint(1, 1));
        QCOMPARE(m_chart->ValueAxisRange(), qMakePair(0.0, 15.0));
    }

    void view3DKeepsDataAndZoomAndChangesThePicture()
    {
        m_chart->SetDiceData(2, 6, 0);
        const QImage flat = Picture();
        m_chart->Chart()->zoomIn(
            QRectF(m_chart->Chart()->plotArea().topLeft(), m_chart->Chart()->plotArea().center()));
        const auto zoomedValues = m_chart->ValueAxisRange();
        m_chart->Chart()->zoomReset();
        m_chart->ResetView();

        m_chart->setProperty("View3D", true);
        QVERIFY(m_chart->View3D());
        QVERIFY(m_chart->View3DWidget()->isVisible());
        QVERIFY(!m_chart->ChartView()->isVisible());
        const QImage deep = Picture();
        QVERIFY(deep != flat);
        const int redBars = CountRed(deep);
        QVERIFY(redBars > 200);
        QVERIFY(std::abs(m_chart->HighProbability() - 100.0 / 6) < 1e-9);

        // New dice redraw the 3D picture: one die of four has fewer, taller bars
        // cut at the top, and nothing beyond damage 4.
        m_chart->SetDiceData(1, 20, 0);
        QVERIFY(CountRed(Picture()) != redBars);

        // Double-click in 3D restores the standard view there as well.
        m_chart->Chart()->zoomIn(
            QRectF(m_chart->Chart()->plotArea().topLeft(), m_chart->Chart()->plotArea().center()));
        QCOMPARE(m_chart->ValueAxisRange(), zoomedValues);
        QTest::mouseDClick(m_chart->View3DWidget(), Qt::LeftButton, {},
                           m_chart->View3DWidget()->rect().center());
        QCOMPARE(m_chart->ValueAxisRange(), qMakePair(0.0, 15.0));

        m_chart->SetView3D(false);
        QVERIFY(m_chart->ChartView()->isVisible());
        QVERIFY(CountRed(Picture()) > 0);
    }

    void zoomCarriesAcrossTheSwitch()
    {
        m_chart->SetDiceData(3, 6, 0);
        QChart* chart = m_chart->Chart();
        chart->zoomIn(QRectF(chart->plotArea().topLeft(), chart->plotArea().center()));
        const auto values = m_chart->ValueAxisRange();
        const auto damages = m_chart->CategoryRange();
        m_chart->SetView3D(true);
        m_chart->SetView3D(false);
        QCOMPARE(m_chart->ValueAxisRange(), values);
        QCOMPARE(m_chart->CategoryRange(), damages);
    }

    void noOverlaysDrawTheSamePicture_data()
    {
        QTest::addColumn<bool>("deep");
        QTest::newRow("flat") << false;
        QTest::newRow("3D") << true;
    }

    void noOverlaysDrawTheSamePicture()
    {
        QFETCH(bool, deep);
        m_chart->SetDiceData(2, 13, 3);
        m_chart->SetView3D(deep);
        const QImage never = Picture();
        m_chart->SetOverlays({});
        QCOMPARE(Picture(), never);
        m_chart->SetOverlays({Pin(0, "Pin", {{10, 5.0}})});
        QVERIFY(Picture() != never);
        m_chart->SetOverlays({});
        QCOMPARE(Picture(), never);
    }

    void flatOutlineRunsAlongItsBarTopsUnderTheZoom()
    {
        const TChartOverlay pin = Pin(2, "Pin", {{10, 10.0}, {11, 4.0}});
        m_chart->SetOverlays({pin});
        // Damage k stands at k - 1; the outline spans whole damage values.
        const auto outlineAt = [&](QPointF at) {
            return PassesNear(Picture(), ToWidget(at), pin.Colour);
        };
        QVERIFY(outlineAt({9, 10}) && outlineAt({10, 4}) && outlineAt({9.5, 7}));
        QVERIFY(!outlineAt({9, 12}) && !outlineAt({10, 7}) && !outlineAt({20, 5}));

        const QPoint before = ToWidget({9, 10});
        QChart* chart = m_chart->Chart();
        chart->zoomIn(QRectF(chart->mapToPosition({4, 14}), chart->mapToPosition({16, 2})));
        QVERIFY(ToWidget({9, 10}) != before);
        QVERIFY(outlineAt({9, 10}) && !outlineAt({9, 12}));
        chart->scroll(chart->plotArea().width() * 3, 0);
        QVERIFY(Extent(Picture(), m_chart->OverlayLegend().Rect, Like(pin.Colour)).isEmpty());
    }

    void deepOutlineFramesItsBarOnTheFrontPlane()
    {
        // One bar at damage 10, cut at the plot's top, and a pin of 10 % there.
        m_chart->SetDiceData(1, 1, 9);
        const TChartOverlay pin = Pin(0, "Pin", {{10, 10.0}});
        m_chart->SetOverlays({pin});
        m_chart->SetView3D(true);
        const QRect legend = m_chart->OverlayLegend().Rect;
        const QRect red = Extent(Picture(), legend, IsRed);
        const QRect outline = Extent(Picture(), legend, Like(pin.Colour));
        QVERIFY(outline.left() < red.left() && outline.right() > red.right());
        QVERIFY(outline.top() > red.top() + 10);

        // Zoomed to 11..15 %, all of the outline is below the plot.
        QChart* chart = m_chart->Chart();
        const QRectF plot = chart->plotArea();
        chart->zoomIn(QRectF(plot.left(), plot.top(), plot.width(), plot.height() * 4 / 15));
        QCOMPARE(m_chart->ValueAxisRange().first, 11.0);
        QVERIFY(Extent(Picture(), legend, Like(pin.Colour)).isEmpty());
    }

    void legendNamesThePinsWhereItHidesLeast_data()
    {
        QTest::addColumn<bool>("deep");
        QTest::addColumn<int>("bonus");
        QTest::addColumn<bool>("right");
        QTest::newRow("flat, bars at the left: top right") << false << 0 << true;
        QTest::newRow("flat, tall bars at the right: top left") << false << 55 << false;
        QTest::newRow("3D, bars at the left: top right") << true << 0 << true;
        QTest::newRow("3D, tall bars at the right: top left") << true << 55 << false;
    }

    void legendNamesThePinsWhereItHidesLeast()
    {
        QFETCH(bool, deep);
        QFETCH(int, bonus);
        QFETCH(bool, right);
        m_chart->SetDiceData(1, 4, bonus);
        m_chart->SetView3D(deep);
        const QString longLabel = "Viking Sword · STR 80" + QString(" INT 5").repeated(30);
        m_chart->SetOverlays({Pin(0, "Katana · STR 100 DEX 100", {{10, 5.0}}),
                              Pin(4, "Halberd · STR 100 DEX 25", {{30, 2.0}}),
                              Pin(5, longLabel, {})});
        const TOverlayLegend legend = m_chart->OverlayLegend();
        VerifyLegend(Picture(), legend, {"Katana · STR 100 DEX 100", "Halberd · STR 100 DEX 25"});
        QVERIFY(legend.Entries[2].Text.endsWith(QChar(0x2026)));
        QVERIFY(longLabel.startsWith(legend.Entries[2].Text.chopped(1)));
        QCOMPARE(legend.Rect.center().x() > m_chart->width() / 2, right);
    }

    void ctrlCCopiesThePictureOfEitherView()
    {
        m_chart->SetDiceData(2, 6, 0);
        QClipboard* clipboard = QGuiApplication::clipboard();
        QImage copies[2];
        for (const bool deep : {false, true}) {
            m_chart->SetView3D(deep);
            QWidget* view = deep ? m_chart->View3DWidget() : m_chart->ChartView()->viewport();
            QTest::mouseClick(view, Qt::LeftButton, {}, view->rect().center());
            QVERIFY(m_chart->isAncestorOf(QApplication::focusWidget()) ||
                    QApplication::focusWidget() == m_chart.get());
            clipboard->clear();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier);
            const QImage copied = clipboard->image();
            QCOMPARE(copied.size(), m_chart->size());
            QCOMPARE(copied.convertToFormat(QImage::Format_RGB32),
                     m_chart->grab().toImage().convertToFormat(QImage::Format_RGB32));
            copies[deep] = copied;
        }
        QVERIFY(copies[0] != copies[1]);
    }

    void rightClickOffersCopyAndRightDragStillPans()
    {
        QWidget* view = m_chart->ChartView()->viewport();
        const QPoint at = view->rect().center();
        QStringList menus;
        const auto closeMenus = [&menus] {
            if (QWidget* popup = QApplication::activePopupWidget()) {
                for (const QAction* action : popup->actions())
                    menus << action->text();
                popup->close();
            }
        };

        QTimer::singleShot(50, closeMenus);
        QTest::mousePress(view, Qt::RightButton, {}, at);
        QTest::mouseRelease(view, Qt::RightButton, {}, at);
        QCOMPARE(menus, QStringList{"Copy"});

        menus.clear();
        m_chart->Chart()->zoomIn(
            QRectF(m_chart->Chart()->plotArea().topLeft(), m_chart->Chart()->plotArea().center()));
        const auto before = m_chart->ValueAxisRange();
        QTest::mousePress(view, Qt::RightButton, {}, at);
        QTest::mouseMove(view, at + QPoint(0, 40));
        QTest::mouseRelease(view, Qt::RightButton, {}, at + QPoint(0, 40));
        closeMenus();
        QVERIFY(menus.isEmpty());
        QVERIFY(m_chart->ValueAxisRange() != before);
    }
};

QTEST_MAIN(SpreadChartTest)
#include "SpreadChartTest.moc"

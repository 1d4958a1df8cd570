#include "views/FloodFill.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QtTest>

#include <functional>
#include <vector>

namespace {

const QRgb White = qRgb(255, 255, 255);
const QRgb LightBlue = qRgb(187, 221, 255);

// The fill as the radar chart first had it: one pixel at a time, each
// pushing its four neighbours. Slow, and plainly right.
void ReferenceFill(QImage& image, QPoint seed, QRgb colour)
{
    std::vector<QPoint> stack{seed};
    while (!stack.empty()) {
        const QPoint p = stack.back();
        stack.pop_back();
        if (!image.rect().contains(p) || image.pixel(p) != White)
            continue;
        image.setPixel(p, colour);
        stack.insert(stack.end(),
                     {p + QPoint(1, 0), p - QPoint(1, 0), p + QPoint(0, 1), p - QPoint(0, 1)});
    }
}

QImage Drawn(QSize size, const std::function<void(QPainter&)>& draw)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(White);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    draw(painter);
    return image;
}

// Ink scattered at random, seeded, so runs open and close on every row.
QImage Speckled(quint32 seed, int percent)
{
    QImage image(61, 47, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, random.bounded(100) < percent ? qRgb(0, 0, 0) : White);
    image.setPixel(30, 23, White);
    return image;
}

} // namespace

class FloodFillTest : public QObject
{
    Q_OBJECT

private slots:
    void fillsWhatThePerPixelFillFills_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QPoint>("seed");
        // Pixels the fill colours, where a shape makes them plain; -1 leaves
        // the count to the reference.
        QTest::addColumn<int>("filled");
        QTest::newRow("inside a box")
            << Drawn({20, 12}, [](QPainter& p) { p.drawRect(2, 2, 9, 5); }) << QPoint(5, 4)
            << 8 * 4;
        QTest::newRow("around a box, to the edges")
            << Drawn({20, 12}, [](QPainter& p) { p.drawRect(2, 2, 9, 5); }) << QPoint(0, 0)
            << 20 * 12 - 10 * 6;
        QTest::newRow("seed on ink")
            << Drawn({20, 12}, [](QPainter& p) { p.drawRect(2, 2, 9, 5); }) << QPoint(2, 2) << 0;
        QTest::newRow("seed outside") << Drawn({20, 12}, [](QPainter&) {}) << QPoint(20, 3) << 0;
        QTest::newRow("ring leaves its hole") << Drawn({40, 40}, [](QPainter& p) {
            p.drawEllipse(2, 2, 35, 35);
            p.drawEllipse(12, 12, 15, 15);
        }) << QPoint(6, 20) << -1;
        // Pockets opening up and down, which a fill must reach from both sides.
        QTest::newRow("comb") << Drawn({40, 30}, [](QPainter& p) {
            p.drawRect(0, 0, 39, 29);
            for (int x = 4; x < 36; x += 4)
                p.drawLine(x, x % 8 ? 1 : 6, x, x % 8 ? 23 : 28);
        }) << QPoint(2, 15) << -1;
        QTest::newRow("triangle, ratio 2") << Drawn({600, 600}, [](QPainter& p) {
            p.scale(2, 2);
            p.drawPolygon(QPolygon({{150, 20}, {11, 280}, {289, 280}}));
            p.drawLine(150, 20, 150, 186);
        }) << QPoint(200, 360) << -1;
        for (const quint32 seed : {1u, 2u, 3u})
            for (const int percent : {25, 35})
                QTest::addRow("speckled %u at %d %%", seed, percent)
                    << Speckled(seed, percent) << QPoint(30, 23) << -1;
    }

    void fillsWhatThePerPixelFillFills()
    {
        QFETCH(QImage, image);
        QFETCH(QPoint, seed);
        QFETCH(int, filled);
        QImage expected = image.copy();
        ReferenceFill(expected, seed, LightBlue);
        QImage actual = image.copy();
        FloodFill(actual, seed, LightBlue);
        QCOMPARE(actual, expected);
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                count += actual.pixel(x, y) != image.pixel(x, y);
        if (filled >= 0)
            QCOMPARE(count, filled);
        else
            QVERIFY(count > 1);
    }
};

QTEST_MAIN(FloodFillTest)
#include "FloodFillTest.moc"

#include "views/FloodFill.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

const QRgb White = qRgb(255, 255, 255);

// The fill as the radar chart first had it, one pixel at a time, each
// pushing its four neighbours: slow, and plainly right.
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
    draw(painter);
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
        // Pixels coloured where a shape makes them plain; -1: some.
        QTest::addColumn<int>("filled");
        const QImage box = Drawn({20, 12}, [](QPainter& p) { p.drawRect(2, 2, 9, 5); });
        QTest::newRow("inside a box") << box << QPoint(5, 4) << 8 * 4;
        QTest::newRow("around a box, to the edges") << box << QPoint(0, 0) << 20 * 12 - 10 * 6;
        QTest::newRow("seed on ink") << box << QPoint(2, 2) << 0;
        QTest::newRow("seed outside") << box << QPoint(20, 3) << 0;
        // Pockets opening up and down, reached from both sides.
        QTest::newRow("comb") << Drawn({40, 30}, [](QPainter& p) {
            p.drawRect(0, 0, 39, 29);
            for (int x = 4; x < 36; x += 4)
                p.drawLine(x, x % 8 ? 1 : 6, x, x % 8 ? 23 : 28);
        }) << QPoint(2, 15) << -1;
        // Ink at random, so runs open and close on every row.
        for (const quint32 seed : {1u, 2u, 3u}) {
            QRandomGenerator random(seed);
            QImage speckled = Drawn({61, 47}, [&](QPainter& p) {
                for (int y = 0; y < 47; ++y)
                    for (int x = 0; x < 61; ++x)
                        if (random.bounded(100) < 30)
                            p.drawPoint(x, y);
            });
            speckled.setPixel(30, 23, White);
            QTest::addRow("speckled %u", seed) << speckled << QPoint(30, 23) << -1;
        }
    }

    void fillsWhatThePerPixelFillFills()
    {
        QFETCH(QImage, image);
        QFETCH(QPoint, seed);
        QFETCH(int, filled);
        const QRgb lightBlue = qRgb(187, 221, 255);
        QImage expected = image.copy();
        ReferenceFill(expected, seed, lightBlue);
        QImage actual = image.copy();
        FloodFill(actual, seed, lightBlue);
        QCOMPARE(actual, expected);
        const auto* pixels = reinterpret_cast<const QRgb*>(actual.constBits());
        const auto count = std::count(pixels, pixels + actual.width() * actual.height(), lightBlue);
        QVERIFY2(filled < 0 ? count > 1 : count == filled, qPrintable(QString::number(count)));
    }
};

QTEST_MAIN(FloodFillTest)
#include "FloodFillTest.moc"

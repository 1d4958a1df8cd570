#include "views/FloodFill.h"

#include <algorithm>
#include <vector>

// Fills whole runs of a row at once and remembers one pixel per run
// above and below, so each pixel is read a few times instead of being pushed
// and popped from four sides. An explicit stack: a large region would
// overflow the call stack of a recursive fill.
void FloodFill(QImage& image, QPoint seed, QRgb colour, QRgb region)
{
    if (!image.rect().contains(seed) || image.pixel(seed) != region || colour == region)
        return;
    uchar* const bits = image.bits();
    const qsizetype bytesPerLine = image.bytesPerLine();
    const auto line = [&](int y) { return reinterpret_cast<QRgb*>(bits + y * bytesPerLine); };
    const int width = image.width();
    const int height = image.height();

    std::vector<QPoint> stack{seed};
    while (!stack.empty()) {
        const QPoint p = stack.back();
        stack.pop_back();
        QRgb* const row = line(p.y());
        if (row[p.x()] != region)
            continue;
        int left = p.x();
        int right = p.x();
        while (left > 0 && row[left - 1] == region)
            --left;
        while (right + 1 < width && row[right + 1] == region)
            ++right;
        std::fill(row + left, row + right + 1, colour);
        for (const int y : {p.y() - 1, p.y() + 1}) {
            if (y < 0 || y >= height)
                continue;
            const QRgb* const next = line(y);
            for (int x = left; x <= right; ++x) {
                if (next[x] == region && (x == left || next[x - 1] != region))
                    stack.push_back({x, y});
            }
        }
    }
}

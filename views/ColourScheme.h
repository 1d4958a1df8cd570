#pragma once

#include <QColor>

#include <array>

QT_BEGIN_NAMESPACE
class QPalette;
QT_END_NAMESPACE

// The colours the result views paint with, named by what they mean, once for
// a light ground and once for a dark one. A view picks the set that suits its
// palette when it paints, so a change of appearance needs only a redraw. The
// light set is the program's design; the dark one keeps each meaning (below,
// equal or above the HQ figure, the marked DEX range, the best figure, the
// pins) in colours that carry light text on a dark ground.
struct TColourScheme
{
    bool IsDark = false;

    // Cells and plots: a value equal to its HQ figure, uncoloured headers,
    // the plot areas and the radar's ground.
    QColor Ground;
    QColor Text;
    // The lines that separate groups, the outlines and frames.
    QColor Line;
    // The lines inside a group.
    QColor MinorLine;
    // A value below its HQ figure; the speed grid's DEX rows.
    QColor Below;
    // A value above its HQ figure; the speed grid's delay rows.
    QColor Above;
    // The speed grid's range holding the character's DEX.
    QColor Mark;
    // The best figure of the compare tables.
    QColor Best;
    // The damage grid's accuracy names, top to bottom, and damage level
    // names, left to right: darker further down and across.
    std::array<QColor, 6> AccuracyHeads;
    std::array<QColor, 6> DamageHeads;

    // Around the spread chart's plot.
    QColor Surround;
    QColor Title;
    // The spread's bars and the steadiness gauge.
    QColor Bar;
    // The edges between the faces of the 3D bars.
    QColor BarEdge;
    // The radar's data polygon: its outline and its fill.
    QColor Outline;
    QColor Fill;
    // The current setup's line and value on the sweep chart, and the grid
    // lines they must stand out from.
    QColor Current;
    QColor Marker;
    QColor ChartGrid;
    // The settings dialog's complaint about a formula.
    QColor Error;
    // One per pinned setup: far apart from each other and from the bars,
    // the outline and the fill.
    std::array<QColor, 6> Pins;

    // Pin `index`; further indexes repeat the six.
    QColor Pin(int index) const;

    static const TColourScheme& Light();
    static const TColourScheme& Dark();
    // Dark for a palette whose window is dark.
    static const TColourScheme& For(const QPalette& palette);
};

// A palette counts as dark when its window colour is darker than middle grey.
bool IsDarkPalette(const QPalette& palette);

#include "views/ColourScheme.h"

#include <QPalette>

namespace {

TColourScheme MakeLight()
{
    TColourScheme s;
    s.IsDark = false;
    s.Ground = QColor(0xFF, 0xFF, 0xFF);
    s.Text = QColor(0x00, 0x00, 0x00);
    s.Line = QColor(0x00, 0x00, 0x00);
    s.MinorLine = QColor(0xC0, 0xC0, 0xC0);
    s.Below = QColor(0xBB, 0xDD, 0xFF);
    s.Above = QColor(0xFF, 0xCC, 0xAA);
    // Light yellow: apart from the blue and red rows, and as easy on black text.
    s.Mark = QColor(0xFF, 0xF4, 0x99);
    // Light green: apart from the blue and red of the damage grid.
    s.Best = QColor(0xCC, 0xF0, 0xCC);
    // The last damage step is deliberately larger.
    s.AccuracyHeads = {QColor(0x00, 0xAA, 0xFF), QColor(0x00, 0x99, 0xFF),
                       QColor(0x00, 0x88, 0xFF), QColor(0x00, 0x77, 0xFF),
                       QColor(0x00, 0x66, 0xFF), QColor(0x00, 0x55, 0xFF)};
    s.DamageHeads = {QColor(0xFF, 0xAA, 0x00), QColor(0xFF, 0x99, 0x00), QColor(0xFF, 0x88, 0x00),
                     QColor(0xFF, 0x77, 0x00), QColor(0xFF, 0x66, 0x00), QColor(0xFF, 0x44, 0x00)};
    s.Surround = QColor(0xC0, 0xC0, 0xC0);
    s.Title = QColor(0x00, 0x00, 0xFF);
    s.Bar = QColor(0xFF, 0x00, 0x00);
    s.BarEdge = QColor(0x00, 0x00, 0x00);
    s.Outline = QColor(0x00, 0x00, 0xFF);
    s.Fill = QColor(0xBB, 0xDD, 0xFF);
    s.Current = QColor(0x00, 0x00, 0x80);
    s.Marker = QColor(0x80, 0x80, 0x80);
    // Unused: the light chart keeps the grid of its theme.
    s.ChartGrid = QColor(0xD6, 0xD6, 0xD6);
    s.Error = QColor(0xC0, 0x00, 0x00);
    // Dark and saturated enough for a thin line on white.
    s.Pins = {QColor(0, 150, 0),   QColor(240, 140, 0), QColor(120, 40, 200),
              QColor(0, 160, 176), QColor(230, 0, 160), QColor(130, 85, 40)};
    return s;
}

TColourScheme MakeDark()
{
    TColourScheme s;
    s.IsDark = true;
    s.Ground = QColor(0x1E, 0x1E, 0x1E);
    s.Text = QColor(0xE6, 0xE6, 0xE6);
    s.Line = QColor(0x9A, 0x9A, 0x9A);
    s.MinorLine = QColor(0x4A, 0x4A, 0x4A);
    s.Below = QColor(0x1C, 0x3A, 0x5E);
    s.Above = QColor(0x5C, 0x2E, 0x1A);
    s.Mark = QColor(0x6B, 0x5E, 0x12);
    s.Best = QColor(0x17, 0x3D, 0x22);
    // The light heads at half their brightness, so the steps read alike.
    s.AccuracyHeads = {QColor(0x00, 0x55, 0x80), QColor(0x00, 0x4C, 0x80),
                       QColor(0x00, 0x44, 0x80), QColor(0x00, 0x3B, 0x80),
                       QColor(0x00, 0x33, 0x80), QColor(0x00, 0x2A, 0x80)};
    s.DamageHeads = {QColor(0x80, 0x55, 0x00), QColor(0x80, 0x4C, 0x00), QColor(0x80, 0x44, 0x00),
                     QColor(0x80, 0x3B, 0x00), QColor(0x80, 0x33, 0x00), QColor(0x80, 0x22, 0x00)};
    s.Surround = QColor(0x3C, 0x3C, 0x3C);
    s.Title = QColor(0x8A, 0xB4, 0xFF);
    s.Bar = QColor(0xE8, 0x30, 0x30);
    // Dark, as in the light picture: light edges would outline every face.
    s.BarEdge = QColor(0x10, 0x10, 0x10);
    s.Outline = QColor(0x6E, 0xA8, 0xFF);
    s.Fill = QColor(0x2A, 0x4A, 0x70);
    s.Current = QColor(0x8A, 0xB4, 0xFF);
    s.Marker = QColor(0xC8, 0xC8, 0xC8);
    // Well below the marker, which the dark theme's own grid would hide.
    s.ChartGrid = QColor(0x4A, 0x4A, 0x4A);
    s.Error = QColor(0xFF, 0x7B, 0x7B);
    // The light pins brightened, so a thin line stands out on the dark ground.
    s.Pins = {QColor(80, 200, 80),  QColor(255, 170, 60),  QColor(180, 130, 255),
              QColor(60, 210, 225), QColor(255, 110, 200), QColor(205, 155, 105)};
    return s;
}

} // namespace

QColor TColourScheme::Pin(int index) const
{
    const int count = static_cast<int>(Pins.size());
    const int slot = index % count;
    return Pins[static_cast<std::size_t>(slot < 0 ? slot + count : slot)];
}

const TColourScheme& TColourScheme::Light()
{
    static const TColourScheme scheme = MakeLight();
    return scheme;
}

const TColourScheme& TColourScheme::Dark()
{
    static const TColourScheme scheme = MakeDark();
    return scheme;
}

const TColourScheme& TColourScheme::For(const QPalette& palette)
{
    return IsDarkPalette(palette) ? Dark() : Light();
}

bool IsDarkPalette(const QPalette& palette)
{
    return palette.color(QPalette::Window).lightness() < 128;
}

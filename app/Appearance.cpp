#include "app/Appearance.h"

#include <QApplication>
#include <QColor>
#include <QEvent>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>

#include <memory>

namespace {

const QString ForcedStyle = QStringLiteral("Fusion");

// The desktop's style, taken before the program first replaces it.
struct TDesktop
{
    QString Style;
    bool Replaced = false;
};

TDesktop& Desktop()
{
    static TDesktop desktop{
        QApplication::style() != nullptr ? QApplication::style()->name() : QString(), false};
    return desktop;
}

// Qt tells the windows that are on screen; a window not shown yet would keep
// the old palette, and every widget in it with it.
void SetPalette(const QPalette& palette)
{
    QApplication::setPalette(palette);
    for (QWidget* window : QApplication::topLevelWidgets()) {
        QEvent changed(QEvent::ApplicationPaletteChange);
        QCoreApplication::sendEvent(window, &changed);
    }
}

void SetStyle(const QString& name)
{
    if (name.isEmpty() || QApplication::style() == nullptr ||
        QApplication::style()->name().compare(name, Qt::CaseInsensitive) == 0) {
        return;
    }
    QApplication::setStyle(name);
}

} // namespace

QPalette LightPalette()
{
    const std::unique_ptr<QStyle> fusion(QStyleFactory::create(ForcedStyle));
    return fusion ? fusion->standardPalette() : QPalette(QColor(0xEF, 0xEF, 0xEF));
}

QPalette DarkPalette()
{
    QPalette palette;
    const QColor text(0xF0, 0xF0, 0xF0);
    // Bright enough for the compare page's differences on its darkest cell.
    const QColor disabledText(0xA0, 0xA0, 0xA0);
    palette.setColor(QPalette::Window, QColor(0x35, 0x35, 0x35));
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, QColor(0x24, 0x24, 0x24));
    palette.setColor(QPalette::AlternateBase, QColor(0x2E, 0x2E, 0x2E));
    palette.setColor(QPalette::ToolTipBase, QColor(0x2E, 0x2E, 0x2E));
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, disabledText);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, QColor(0x3C, 0x3C, 0x3C));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, QColor(0xFF, 0x6E, 0x6E));
    palette.setColor(QPalette::Light, QColor(0x50, 0x50, 0x50));
    palette.setColor(QPalette::Midlight, QColor(0x44, 0x44, 0x44));
    palette.setColor(QPalette::Mid, QColor(0x2A, 0x2A, 0x2A));
    palette.setColor(QPalette::Dark, QColor(0x20, 0x20, 0x20));
    palette.setColor(QPalette::Shadow, QColor(0x10, 0x10, 0x10));
    palette.setColor(QPalette::Highlight, QColor(0x2F, 0x65, 0xCA));
    palette.setColor(QPalette::HighlightedText, QColor(0xFF, 0xFF, 0xFF));
    palette.setColor(QPalette::Link, QColor(0x6E, 0xA8, 0xFF));
    palette.setColor(QPalette::LinkVisited, QColor(0xB4, 0x8C, 0xFF));
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::HighlightedText}) {
        palette.setColor(QPalette::Disabled, role, disabledText);
    }
    palette.setColor(QPalette::Disabled, QPalette::Highlight, QColor(0x50, 0x50, 0x50));
    return palette;
}

void ApplyAppearance(TAppearance appearance)
{
    TDesktop& desktop = Desktop();
    if (appearance == TAppearance::System) {
        // Left alone until replaced, so the desktop's look stays exactly its own.
        if (desktop.Replaced) {
            SetStyle(desktop.Style);
            // A palette that sets no role takes every one from the desktop.
            QPalette none;
            none.setResolveMask(0);
            SetPalette(none);
            desktop.Replaced = false;
        }
        return;
    }
    desktop.Replaced = true;
    SetStyle(ForcedStyle);
    SetPalette(appearance == TAppearance::Dark ? DarkPalette() : LightPalette());
}

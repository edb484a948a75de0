#include "app/aid_colours.h"

namespace korvanta::app {

namespace {

// Mixes a tint into the base colour: strong enough to see, weak enough to
// keep the palette's text readable on it.
QColor blend(const QColor& base, const QColor& tint, qreal amount)
{
    return QColor::fromRgbF(base.redF() + (tint.redF() - base.redF()) * amount,
                            base.greenF() + (tint.greenF() - base.greenF()) * amount,
                            base.blueF() + (tint.blueF() - base.blueF()) * amount);
}

}  // namespace

bool isDarkPalette(const QPalette& palette)
{
    return palette.color(QPalette::Base).lightnessF() < palette.color(QPalette::Text).lightnessF();
}

QColor changedBackground(const QPalette& palette)
{
    const QColor base = palette.color(QPalette::Base);
    return isDarkPalette(palette) ? blend(base, QColor(255, 170, 0), 0.45) : blend(base, QColor(255, 200, 0), 0.55);
}

QColor currentBackground(const QPalette& palette)
{
    const QColor base = palette.color(QPalette::Base);
    return isDarkPalette(palette) ? blend(base, QColor(60, 140, 255), 0.40) : blend(base, QColor(90, 160, 255), 0.35);
}

QColor breakpointColour(const QPalette& palette)
{
    return isDarkPalette(palette) ? QColor(255, 90, 90) : QColor(200, 0, 0);
}

}  // namespace korvanta::app

#pragma once

// The colours of the learning aids, taken from the palette in use so that
// they read in light and dark palettes alike: a tint for what the last step
// changed, one for the line and memory row about to run, and the breakpoint
// mark. Every panel takes them from here, never from fixed colours.

#include <QColor>
#include <QPalette>

namespace korvanta::app {

// Whether the palette is a dark one (light text on a dark base).
bool isDarkPalette(const QPalette& palette);

// A background that marks a changed value; the text stays the palette's text.
QColor changedBackground(const QPalette& palette);
// The background of the line and memory row of the instruction at PC.
QColor currentBackground(const QPalette& palette);
// The breakpoint dot.
QColor breakpointColour(const QPalette& palette);

}  // namespace korvanta::app
